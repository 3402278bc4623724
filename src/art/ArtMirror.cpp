#include "art/ArtMirror.h"

#include "art/DocumentBridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace torvo {
namespace {

int breaksIn(const RichText& t) {
    int n = 0;
    for (const RichText::Position& p : t.positions())
        n += p.ch == RichText::LF;
    return n;
}

int utf16Length(char32_t ch) {
    return ch >= 0x10000 ? 2 : 1;
}

} // namespace

ArtChange ArtMirror::reset(const QTextDocument& document) {
    RichText fresh = snapshotDocument(document, art_.typingColour(), true);
    ArtChange change;
    change.hunks = diffArt(art_, fresh);
    change.oldLines = art_.lineCount();
    change.newLines = fresh.lineCount();
    art_ = std::move(fresh);
    blocks_ = document.blockCount();
    return change;
}

ArtChange ArtMirror::follow(const QTextDocument& document, int position, int added) {
    const int last = document.characterCount() - 1;
    const int first = document.findBlock(std::clamp(position, 0, last)).blockNumber();
    const int end = document.findBlock(std::clamp(position + added, 0, last)).blockNumber();
    const int blocks = document.blockCount();
    const int oldEnd = end - (blocks - blocks_);
    if (first < 0 || end < first || oldEnd < first || oldEnd >= blocks_) return reset(document);

    // The lines of the blocks [first, oldEnd] as they were, and as they are now.
    const int from = art_.lineStart(first);
    const int to = oldEnd + 1 < blocks_ ? art_.lineStart(oldEnd + 1) : art_.size();
    const bool toEnd = to == art_.size();
    RichText fresh(from > 0 ? art_.colourAt(from - 1) : art_.typingColour());
    const Colour typing = art_.typingColour();
    QTextBlock block = document.findBlockByNumber(first);
    for (int b = first; b <= end && block.isValid(); ++b, block = block.next()) {
        const bool hasChars = appendBlock(fresh, block, typing);
        if (b + 1 < blocks || hasChars) fresh.appendLineBreak();
    }

    ArtChange change;
    change.firstLine = first;
    const RichText old = art_.mid(from, to - from);
    change.hunks = diffArt(old, fresh, from);
    change.oldLines = breaksIn(old) + (toEnd ? 1 : 0);
    change.newLines = breaksIn(fresh) + (toEnd ? 1 : 0);
    art_.replace(from, to - from, fresh);
    blocks_ = blocks;
    const int fixed = toEnd ? 0 : refreshBreaks(first + change.newLines);
    if (change.hunks.empty() && fixed == 0) {
        change.oldLines = change.newLines = 0; // a line break where the art already had one
        return change;
    }
    change.oldLines += fixed;
    change.newLines += fixed;
    return change;
}

ArtChange ArtMirror::setTypingColour(Colour typing) {
    art_.setTypingColour(typing);
    ArtChange change;
    change.oldLines = change.newLines = std::max(refreshBreaks(0), art_.isEmpty() ? 1 : 0);
    return change;
}

int ArtMirror::refreshBreaks(int line) {
    int fixed = 0;
    for (; line < art_.lineCount(); ++line) {
        const int p = art_.lineStart(line);
        if (p >= art_.size() || art_.charAt(p) != RichText::CR) break;
        const Colour before = p > 0 ? art_.colourAt(p - 1) : art_.typingColour();
        if (art_.colourAt(p) == before) break;
        art_.setColour(p, before);
        art_.setColour(p + 1, before);
        ++fixed;
    }
    return fixed;
}

void ArtMirror::write(QTextDocument& document, const std::vector<ArtHunk>& hunks, bool undo,
                      const QTextCharFormat& base) {
    struct Edit {
        int at, length;
        const RichText* with;
    };
    std::vector<Edit> edits;
    int shift = 0;
    for (const ArtHunk& h : hunks) {
        if (undo)
            edits.push_back({h.at, h.inserted.size(), &h.removed});
        else
            edits.push_back({h.at - shift, h.removed.size(), &h.inserted});
        shift += h.inserted.size() - h.removed.size();
    }
    if (edits.empty()) return;

    // The art once written: how many line breaks, and whether its last line is empty.
    int breaks = art_.lineCount() - 1;
    for (const Edit& e : edits) {
        breaks += breaksIn(*e.with);
        for (int q = e.at; q < e.at + e.length; ++q)
            breaks -= art_.charAt(q) == RichText::LF;
    }
    std::vector<char32_t> tail; // its last three positions, from the end
    for (int i = int(edits.size()), end = art_.size(); tail.size() < 3; --i) {
        const int from = i > 0 ? edits[std::size_t(i - 1)].at + edits[std::size_t(i - 1)].length : 0;
        for (int q = end - 1; q >= from && tail.size() < 3; --q)
            tail.push_back(art_.charAt(q));
        if (i == 0) break;
        const RichText& with = *edits[std::size_t(i - 1)].with;
        for (int q = with.size() - 1; q >= 0 && tail.size() < 3; --q)
            tail.push_back(with.charAt(q));
        end = edits[std::size_t(i - 1)].at;
    }
    const bool lastLineEmpty = tail.size() == 2 || (tail.size() == 3 && tail[2] == RichText::LF);

    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // When the last line has characters, its line break exists only in the art; an edit
    // that reaches it needs it in the document too.
    const int size = art_.size();
    const bool atEnd = std::any_of(edits.begin(), edits.end(),
                                   [size](const Edit& e) { return e.at + e.length >= size - 2; });
    if (document.lastBlock().length() > 1 && std::any_of(edits.begin(), edits.end(), [size](const Edit& e) {
            return e.at + e.length > size - 2;
        })) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertBlock();
    }
    auto documentPosition = [&](int p) {
        const int line = art_.lineOf(p);
        int position = document.findBlockByNumber(line).position();
        for (int q = art_.lineStart(line); q < p; ++q)
            position += utf16Length(art_.charAt(q));
        return position;
    };
    // From the last edit to the first, so that the positions of the others stay put.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const int from = documentPosition(it->at);
        int to = from;
        for (int q = it->at; q < it->at + it->length; ++q)
            to += art_.charAt(q) == RichText::CR ? 0 : utf16Length(art_.charAt(q));
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        insertRichText(cursor, *it->with, base);
    }
    // The document ends as the art does: a last line with characters ends the document,
    // and an empty last line needs one more line break, or it would not count.
    if (atEnd && breaks > 0) {
        cursor.movePosition(QTextCursor::End);
        if (lastLineEmpty && document.blockCount() == breaks)
            cursor.insertBlock();
        else if (!lastLineEmpty && document.blockCount() == breaks + 1 && document.lastBlock().length() == 1)
            cursor.deletePreviousChar();
    }
    cursor.endEditBlock();
}

} // namespace torvo
