#pragma once

#include "art/Colour.h"

#include <QLineEdit>

namespace torvo {

// The one-character box of the current character: every key first empties it, so it
// ends up holding only the last character typed, or nothing after a key that types none.
// Pasting more than one character keeps the last, as typing them would.
class CharacterBox : public QLineEdit {
    Q_OBJECT
public:
    explicit CharacterBox(QWidget* parent = nullptr);

    // The character shows on the current colour.
    void setBackground(Colour c);

signals:
    void keyDown();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace torvo
