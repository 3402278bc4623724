#include "art/ArtMirror.h"

#include "art/DocumentBridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>

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

// Text a document gives back as it was written: characters kept as themselves, and line
// breaks whole.
bool readsBackAsWritten(const RichText& t) {
    const int n = t.size();
    for (int q = 0; q < n; ++q) {
        const char32_t ch = t.charAt(q);
        if (ch == RichText::CR) {
            if (q + 1 == n || t.charAt(q + 1) != RichText::LF) return false;
        } else if (ch == RichText::LF) {
            if (q == 0 || t.charAt(q - 1) != RichText::CR) return false;
        } else if (!keptAsItself(ch)) {
            return false;
        }
    }
    return true;
}

} // namespace

ArtChange ArtMirror::reset(const QTextDocument& document) {
    RichText fresh = snapshotDocument(document, art_.typingColour(), true);
    ArtChange change;
    change.hunks = diffArt(art_, fresh);
    if (const auto lines = differingLines(art_, fresh)) change.lines.push_back(*lines);
    art_ = std::move(fresh);
    blocks_ = document.blockCount();
    return change;
}

std::vector<LineSpan> ArtMirror::reset(const QTextDocument& document, const RichText& art) {
    RichText fresh = loadedArt(art, art_.typingColour());
    std::vector<LineSpan> lines{{0, art_.lineCount(), fresh.lineCount()}};
    art_ = std::move(fresh);
    blocks_ = document.blockCount();
    return lines;
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
    RichText fresh(from > 0 ? art_.colourAt(from - 1) : art_.typingColour());
    const Colour typing = art_.typingColour();
    QTextBlock block = document.findBlockByNumber(first);
    const QTextBlock endBlock = document.findBlockByNumber(end);
    if (endBlock.isValid())
        fresh.reserve(std::size_t(endBlock.position() + endBlock.length() - block.position()) + 2);
    for (int b = first; b <= end && block.isValid(); ++b, block = block.next()) {
        const bool hasChars = appendBlock(fresh, block, typing);
        if (b + 1 < blocks || hasChars) fresh.appendLineBreak();
    }
    return replaceLines(first, from, to, fresh, blocks);
}

ArtChange ArtMirror::replaceLines(int first, int from, int to, const RichText& fresh, int blocks) {
    const bool toEnd = to == art_.size();
    ArtChange change;
    const RichText old = art_.mid(from, to - from);
    change.hunks = diffArt(old, fresh, from);
    const int oldLines = breaksIn(old) + (toEnd ? 1 : 0);
    const int newLines = breaksIn(fresh) + (toEnd ? 1 : 0);
    art_.replace(from, to - from, fresh);
    blocks_ = blocks;
    const int fixed = toEnd ? 0 : refreshBreaks(first + newLines);
    // Nothing to report for a line break where the art already had one.
    if (!change.hunks.empty() || fixed > 0)
        change.lines.push_back({first, oldLines + fixed, newLines + fixed});
    return change;
}

ArtChange ArtMirror::setTypingColour(Colour typing) {
    art_.setTypingColour(typing);
    ArtChange change;
    const int lines = std::max(refreshBreaks(0), art_.isEmpty() ? 1 : 0);
    if (lines > 0) change.lines.push_back({0, lines, lines});
    return change;
}

std::optional<ArtChange> ArtMirror::followWrite(const QTextDocument& document, int at, int length,
                                                const RichText& with) {
    // Away from the art's last line break (the document ends differently), between line
    // breaks, and only text that reads back as it was written.
    const int size = art_.size();
    if (at + length >= size - 2 || art_.charAt(at) == RichText::LF ||
        art_.charAt(at + length) == RichText::LF || !readsBackAsWritten(with))
        return std::nullopt;
    // The lines the edit touches as they were, and as the document now holds them: the
    // text around the edit with the edit's own, line breaks in the colour before them.
    const int first = art_.lineOf(at);
    const int last = art_.lineOf(at + length);
    const int from = art_.lineStart(first);
    const int to = last + 1 < art_.lineCount() ? art_.lineStart(last + 1) : size;
    RichText fresh(from > 0 ? art_.colourAt(from - 1) : art_.typingColour());
    fresh.reserve(std::size_t(to - from + with.size() - length) + 2);
    auto add = [&fresh](const RichText& t, int begin, int end) {
        for (int q = begin; q < end; ++q) {
            const char32_t ch = t.charAt(q);
            if (ch == RichText::CR)
                fresh.appendLineBreak();
            else if (ch != RichText::LF)
                fresh.append(ch, t.colourAt(q));
        }
    };
    add(art_, from, at);
    add(with, 0, with.size());
    add(art_, at + length, to);
    return replaceLines(first, from, to, fresh, document.blockCount());
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

std::vector<LineSpan> ArtMirror::write(QTextDocument& document, const std::vector<ArtHunk>& hunks, bool undo,
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
    std::vector<LineSpan> lines;
    if (edits.empty()) return lines;

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

    // Each edit is followed as it is made, so that edits far apart cost only their own
    // lines, and is its own edit block: edits merged in one block make the plain-text
    // layout forget the layout of every line from the first edit to well past the last.
    auto followEdit = [&](int position, int added) {
        const ArtChange change = follow(document, position, added);
        lines.insert(lines.end(), change.lines.begin(), change.lines.end());
    };
    QTextCursor cursor(&document);
    // When the last line has characters, its line break exists only in the art; an edit
    // that reaches it needs it in the document too.
    const int size = art_.size();
    const bool atEnd = std::any_of(edits.begin(), edits.end(),
                                   [size](const Edit& e) { return e.at + e.length >= size - 2; });
    if (document.lastBlock().length() > 1 && std::any_of(edits.begin(), edits.end(), [size](const Edit& e) {
            return e.at + e.length > size - 2;
        })) {
        cursor.beginEditBlock();
        // A cursor moved by position needs no layout of the line it leaves.
        const int at = document.characterCount() - 1;
        cursor.setPosition(at);
        cursor.insertBlock();
        cursor.endEditBlock();
        followEdit(at, 1);
    }
    auto documentPosition = [&](int p) {
        const int line = art_.lineOf(p);
        int position = document.findBlockByNumber(line).position();
        for (int q = art_.lineStart(line); q < p; ++q)
            position += utf16Length(art_.charAt(q));
        return position;
    };
    // From the last edit to the first, so that the art before each one is as it was.
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        const int from = documentPosition(it->at);
        int to = from;
        for (int q = it->at; q < it->at + it->length; ++q)
            to += art_.charAt(q) == RichText::CR ? 0 : utf16Length(art_.charAt(q));
        cursor.beginEditBlock();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        insertRichText(cursor, *it->with, base);
        const int added = cursor.position() - from;
        // Laid out again only when shown, wherever the line is.
        reachNextBlock(cursor, document.findBlock(from + added));
        cursor.endEditBlock();
        // What was written is known: the art takes it without reading the lines back.
        if (const auto known = followWrite(document, it->at, it->length, *it->with)) {
            lines.insert(lines.end(), known->lines.begin(), known->lines.end());
            continue;
        }
        followEdit(from, added);
    }
    // The document ends as the art does: a last line with characters ends the document,
    // and an empty last line needs one more line break, or it would not count.
    if (atEnd && breaks > 0) {
        cursor.beginEditBlock();
        // A cursor moved by position needs no layout of the line it leaves.
        const int at = document.characterCount() - 1;
        cursor.setPosition(at);
        int added = -1;
        if (lastLineEmpty && document.blockCount() == breaks) {
            cursor.insertBlock();
            added = 1;
        } else if (!lastLineEmpty && document.blockCount() == breaks + 1 &&
                   document.lastBlock().length() == 1) {
            cursor.deletePreviousChar();
            added = 0;
        }
        cursor.endEditBlock();
        if (added >= 0) followEdit(at - 1 + added, added);
    }
    return lines;
}

} // namespace torvo
