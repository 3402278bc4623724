#pragma once

#include "art/LineEdits.h"
#include "art/RichText.h"
#include "convert/CodeWalk.h"
#include "palette/Palette.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QTextDocument;

namespace torvo {

// Blocks [at, at + removed) of a plain-text document replaced by `blocks`.
struct BlockSplice {
    int at = 0; // counts in the document as the splices before left it
    int removed = 0;
    QStringList blocks;
};

// What brings the tagged text up to date: the whole text, or some of its blocks (the
// pieces between line breaks, as a plain-text document holds them).
struct TaggedPatch {
    std::optional<QString> whole;
    std::vector<BlockSplice> splices; // in order
};

// Applies the splices in one edit block. The document's undo history goes, as it goes
// when the whole text is set.
void applyBlockSplices(QTextDocument& document, const std::vector<BlockSplice>& splices);

// Keeps the tagged text (taggedText of the art) change by change. The walk's state at
// each line start is kept, so a changed line is walked again from where the walk stood,
// and the lines after it only while the walk reaches them in another state.
class TaggedFollower {
public:
    // Lines of the art changed (in this order) since the text was last brought up to date.
    void note(const LineEdits& changed);
    void forget() { built_ = false; }

    // Brings the text up to date with the art, the palette and the choice of tag words.
    // Nullopt when cancelled (nothing is taken as done).
    std::optional<TaggedPatch> update(const RichText& art, const Palette& palette, bool useTags,
                                      const std::function<bool()>& cancelled = {});

private:
    struct Line {
        QString out;       // what the walk writes for the line, its line break included
        qsizetype at = -1; // where the break's text starts in it; -1 when none was written
        CodeWalkState start, end;
        bool odd = false; // holds what a document would take for a block boundary
        // What the line writes before its break, and after it (the code in force).
        QStringView body() const { return at < 0 ? QStringView(out) : QStringView(out).left(at); }
        QStringView tail() const;
    };
    Line walkLine(const RichText& art, int line, const CodeWalkState& start, CodeWalker& walker) const;
    QString block(int b) const;
    QString whole() const;

    bool built_ = false;
    Palette palette_;
    bool useTags_ = true;
    LineEdits pending_;
    std::vector<Line> lines_;
    int odd_ = 0;
};

} // namespace torvo
