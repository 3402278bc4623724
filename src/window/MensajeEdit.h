#pragma once

#include "art/Colour.h"

#include <QPlainTextEdit>

namespace torvo {

// The text view: an editor of characters and their text colours. A plain-text editor
// lays out only what it shows, so even very large art stays quick to replace and type in;
// every character still carries its own colour and font.
// Pasted RTF is read with the project's RTF reader and pasted HTML as Qt reads it, both
// keeping their colours and taking the view's font; backgrounds, sizes, images and
// tables are dropped.
class MensajeEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MensajeEdit(QWidget* parent = nullptr);

    // The character format of the art: the view's font, no colour.
    static QTextCharFormat artFormat();
    static QFont artFont();

    void setTypingColour(Colour c) { typing_ = c; }
    // Colours the selection, or the characters typed next when nothing is selected.
    void setTextColour(Colour c);
    Colour textColour() const;
    Colour typingColour() const { return typing_; }

signals:
    void pasteProblem(const QString& message);
    // A file from the desktop was dropped on the view: it is opened, not pasted.
    void fileDropped(const QString& path);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    Colour typing_ = colours::White;
};

} // namespace torvo
