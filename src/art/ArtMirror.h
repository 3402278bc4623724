#pragma once

#include "art/ArtChange.h"
#include "art/RichText.h"

#include <QTextCharFormat>

class QTextDocument;

namespace torvo {

// Keeps the art equal to a text document, change by change: what snapshotDocument with
// a terminated last line would give, without reading more than the changed lines. Each
// change comes back as the hunks that turn the old art into the new one, which is what
// the history keeps and the views rebuild from.
class ArtMirror {
public:
    const RichText& art() const { return art_; }

    // Takes the whole document as it stands (a new document, or after bulk loading).
    ArtChange reset(const QTextDocument& document);
    // Takes a document just filled by loadDocument with `art`, without reading it again;
    // returns the lines replaced (all of them).
    std::vector<LineSpan> reset(const QTextDocument& document, const RichText& art);
    // Follows a change that left [position, position + added) of the document new, as
    // the document's contentsChange reports it (also when several edits were merged).
    ArtChange follow(const QTextDocument& document, int position, int added);
    // Characters without a colour of their own, and line breaks with no character before
    // them, take the typing colour.
    ArtChange setTypingColour(Colour typing);

    // Writes the hunks into the document, or takes them back, each edit in an edit block
    // of its own, and follows each edit as it is made: the caller leaves the document's own
    // reports of them aside. Returns the lines the edits replaced, in the order they were
    // made. A last line with characters ends the document, as typing leaves it. `base` is
    // the format of the text.
    std::vector<LineSpan> write(QTextDocument& document, const std::vector<ArtHunk>& hunks, bool undo,
                                const QTextCharFormat& base);

private:
    // Line breaks of the empty lines from `line` on take the colour before them again;
    // returns how many lines changed.
    int refreshBreaks(int line);
    // Puts `fresh` in place of the art's positions [from, to), whole lines from `first` on,
    // for a document of `blocks` blocks: the change, with the line breaks after it recoloured.
    ArtChange replaceLines(int first, int from, int to, const RichText& fresh, int blocks);
    // The art after `with` was written over its positions [at, at + length), without
    // reading the document; nullopt where the document may hold it otherwise.
    std::optional<ArtChange> followWrite(const QTextDocument& document, int at, int length,
                                         const RichText& with);

    RichText art_;
    int blocks_ = 1;
};

} // namespace torvo
