#pragma once

#include "art/ArtMirror.h"
#include "art/Colour.h"

#include <QPlainTextEdit>

class QAction;

namespace torvo {

// The text view: an editor of characters and their text colours. A plain-text editor
// lays out only what it shows, so even very large art stays quick to replace and type in;
// every character still carries its own colour and font.
// It keeps the art (art()) equal to what it shows, change by change, and reports every
// change with what it did, so that the history and the other views need not read it all.
// Pasted RTF is read with the project's RTF reader and pasted HTML as Qt reads it, both
// keeping their colours and taking the view's font; backgrounds, sizes, images and
// tables are dropped.
class MensajeEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    // Who made a change.
    enum class Source {
        Typing,  // keys typed or deleting in the view
        User,    // anything else the user did in the view: paste, drop, colouring
        System,  // the window's own rewrites (replaceArt)
        History, // undo and redo (applyHunks)
    };

    explicit MensajeEdit(QWidget* parent = nullptr);

    // The character format of the art: the view's font, no colour, unshaped.
    static QTextCharFormat artFormat();
    static QFont artFont();

    const RichText& art() const { return mirror_.art(); }

    void setTypingColour(Colour c);
    // Colours the selection, or the characters typed next when nothing is selected.
    void setTextColour(Colour c);
    // The same, and with nothing selected the colour also becomes the typing colour.
    void colourSelection(Colour c);
    Colour textColour() const;
    Colour typingColour() const { return art().typingColour(); }

    // Makes the art `target` in one change and returns it: the lines that differ are
    // rewritten, or the whole document is replaced when most of it changes.
    ArtChange replaceArt(const RichText& text);
    // The same for a change already worked out as hunks of the art.
    ArtChange patchArt(std::vector<ArtHunk> hunks);
    // Does the hunks again, or takes them back.
    void applyHunks(const std::vector<ArtHunk>& hunks, bool undo);
    // A last line with characters gets its line break in the view too.
    void endWithEmptyLine();
    // Puts the caret at the end of the text and brings it into view.
    void caretToEnd();

    // The lines changed since they were last taken, by any change.
    const LineEdits& changedLines() const { return changed_; }
    LineEdits takeChangedLines();

    // The window's undo and redo, which the keys and the context menu use.
    void setHistoryActions(QAction* undo, QAction* redo);

signals:
    void artChanged(const torvo::ArtChange& change, torvo::MensajeEdit::Source source);
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
    void watch(QTextDocument* document);
    static void setLineOptions(QTextDocument* document);
    void noteChange(int position, int removed, int added);
    void settle();
    void normalise(int from, int to);
    // Writes hunks (or takes them back) and reports the change; the lines it replaced.
    std::vector<LineSpan> write(const std::vector<ArtHunk>& hunks, bool undo);
    // An empty document of the view's kind: its layout, font and tab stop, without undo.
    QTextDocument* newDocument();
    // Scrolls to a line without measuring the way there (the view is painted whole next).
    void scrollQuietly(int line);
    // Replaces the document by one holding `target`, built off the view; the lines it
    // replaced (the caller reports the change).
    std::vector<LineSpan> swapDocument(const RichText& target);
    void report(const ArtChange& change);
    // New text's format: artFormat(), shaped once the art holds a character that needs it.
    QTextCharFormat format() const;
    QFont::StyleStrategy strategy() const;
    // Shapes the whole art if the new text of the hunks needs it and it is not shaped yet.
    void shapeFor(const std::vector<ArtHunk>& hunks);
    void shapeAll();

    ArtMirror mirror_;
    LineEdits changed_;
    Source source_ = Source::User;
    bool inKeyPress_ = false;
    bool shaped_ = false;
    // Edits of the view's own (formatting, and writes the mirror follows itself) that
    // the document's report of changes must not be followed for.
    int quiet_ = 0;
    bool pending_ = false;
    int pendingFrom_ = 0;
    int pendingTo_ = 0;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

} // namespace torvo
