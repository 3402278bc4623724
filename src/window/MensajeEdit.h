#pragma once

#include "art/Colour.h"

#include <QTextEdit>

namespace torvo {

// The text view: a rich-text editor that keeps only characters and their text colours.
// Pasted RTF is read with the project's RTF reader and pasted HTML as Qt reads it, both
// keeping their colours and taking the view's font; backgrounds, sizes, images and
// tables are dropped.
class MensajeEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit MensajeEdit(QWidget* parent = nullptr);

    // The character format of the art: the view's font, no colour.
    static QTextCharFormat artFormat();
    static QFont artFont();

    void setTypingColour(Colour c) { typing_ = c; }
    Colour typingColour() const { return typing_; }

signals:
    void pasteProblem(const QString& message);
    // A file from the desktop was dropped on the view: it is opened, not pasted.
    void fileDropped(const QString& path);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    Colour typing_ = colours::White;
};

} // namespace torvo
