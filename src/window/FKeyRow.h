#pragma once

#include "paint/CharacterSets.h"

#include <QWidget>

class QComboBox;
class QMainWindow;

namespace torvo {

class GridView;

// Ten characters on F1 ... F10, from a set chosen in the list beside them: a bar above the
// status bar (the window keeps its places). A key types its character into the view shown: the grid's current
// cell, which then moves on a cell, or the text view at its caret. A click on a cell of the own set
// ("Propio") and a character typed then put that character on its key; the chosen set and
// the own set are kept in the settings.
class FKeyRow : public QWidget {
    Q_OBJECT
public:
    FKeyRow(QMainWindow* form, GridView* grid, QWidget* text);

    const KeyCharacters& characters() const { return characters_; }
    void chooseSet(int index);
    // What F<k + 1> does.
    void press(int k);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QSize sizeHint() const override;

private:
    QRect cellRect(int k) const;

    GridView* grid_;
    QWidget* text_;
    QComboBox* sets_;
    KeyCharacters own_;
    KeyCharacters characters_;
    int editing_ = -1; // the own set's cell taking the next character
};

} // namespace torvo
