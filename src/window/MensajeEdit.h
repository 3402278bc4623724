#pragma once

#include "art/ArtModel.h"
#include "art/CharGrid.h"
#include "art/Colour.h"

#include <QPlainTextEdit>
#include <optional>

class QAction;

namespace torvo {

// The text view: the art's characters in a plain-text editor, which lays out only what it
// shows, so even very large art stays quick to type in. The colours are the model's, laid
// on each line as it is drawn; the document holds characters only.
//
// What the user does in the view (typing, deleting, cutting, pasting, dropping) is made in
// the document and handed to the model as the lines it changed, the new characters in the
// colour typing gives them (see insertColour) or their own (pasted rich text). Everything
// else the model does is written into the document here, and only where the characters
// differ: a change of colours only colours the lines again.
// Pasted RTF is read with the project's RTF reader and pasted HTML as Qt reads it, both
// keeping their colours; copies carry the colours as RTF and HTML.
class MensajeEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MensajeEdit(ArtModel& model, QWidget* parent = nullptr);

    static QFont artFont();

    // Colours the selection; with nothing selected, the characters typed next, and the typing
    // colour becomes `c`.
    void colourSelection(Colour c);
    // The colour the characters typed next take.
    void setTextColour(Colour c) { pending_ = c; }
    Colour textColour() const;
    // The character drawn at a point of the viewport, with its colour; none beside the text.
    std::optional<Cell> characterAt(const QPoint& point) const;
    // The art's font at another size (the zoom).
    void setArtPoints(qreal points);

    // Puts the caret at the end of the text and brings it into view.
    void caretToEnd();

    // The window's undo and redo, which the keys and the context menu use.
    void setHistoryActions(QAction* undo, QAction* redo);

signals:
    void pasteProblem(const QString& message);
    // A file from the desktop was dropped on the view: it is opened, not pasted.
    void fileDropped(const QString& path);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // The document's report of an edit: [position, position + added) is new, in place of
    // `removed` characters.
    void documentChanged(int position, int removed, int added);
    void modelChanged(const ArtChange& change);
    // Writes the lines of a change the model made into the document.
    void write(const LineChange& change);
    void replaceBlocks(int first, int count, const QStringList& lines);
    // Gives the document the end the model's lines have: with or without the empty line.
    void fitEnd();
    // Lays the model's colours on lines [first, first + count).
    void colourLines(int first, int count);
    // The art's position of a document position (a line break is one document position,
    // two of the art's; a character beyond the 16-bit range two and one).
    int artPosition(int documentPosition) const;
    int documentPosition(int artPosition) const;
    // The colour a character typed at the art's position `p` takes: the one chosen for it
    // (a swatch with nothing selected), otherwise that of the character before it on its
    // line, or of the first character of the line when typed at its start, or the colour
    // in force at the line break before it, or the typing colour.
    Colour insertColour(int p) const;

    ArtModel& model_;
    ArtChange::Source source_ = ArtChange::Source::User;
    bool inKeyPress_ = false;
    bool writing_ = false;   // the view's own writes of the model's changes
    bool following_ = false; // the model takes a change the view made
    std::optional<Colour> pending_;
    // The colours of text pasted into the document now, in its order.
    const RichText* pasting_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace torvo
