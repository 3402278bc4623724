#include "convert/TaggedFollower.h"

#include "art/DocumentBridge.h"
#include "convert/TaggedText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace torvo {
namespace {

const QString LineBreak = QStringLiteral("\r\n");

// Characters a document splits blocks at, or might: text holding them is written whole.
bool hasBoundary(QStringView s) {
    return std::any_of(s.begin(), s.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\r' || u == u'\n' || u == 0x2028 || u == 0x2029 || u == 0xFFFC ||
               (u >= 0xFDD0 && u <= 0xFDEF);
    });
}

// Each block rewritten where it differs only: a painted cell changes a few characters of a
// long tagged line. Each change reaches the next block, so that the lines are laid out
// again only when shown.
void replaceBlocksInPlace(QTextCursor& cursor, QTextBlock block, const QStringList& blocks) {
    for (const QString& now : blocks) {
        const QString was = block.text();
        const qsizetype shorter = std::min(was.size(), now.size());
        qsizetype head = 0;
        while (head < shorter && was[head] == now[head])
            ++head;
        if (head == was.size() && head == now.size()) {
            block = block.next();
            continue;
        }
        qsizetype tail = 0;
        while (tail < shorter - head && was[was.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        const int start = block.position();
        cursor.setPosition(start + int(head));
        cursor.setPosition(start + int(was.size() - tail), QTextCursor::KeepAnchor);
        const QString middle = now.mid(head, now.size() - head - tail);
        if (middle.isEmpty())
            cursor.removeSelectedText();
        else
            cursor.insertText(middle);
        block = cursor.block();
        reachNextBlock(cursor, block);
        block = block.next();
    }
}

} // namespace

void applyBlockSplices(QTextDocument& document, const std::vector<BlockSplice>& splices) {
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (const BlockSplice& s : splices) {
        const int count = document.blockCount();
        const QString text = s.blocks.join(u'\n');
        auto endOf = [&](int b) {
            const QTextBlock block = document.findBlockByNumber(b);
            return block.position() + block.length() - 1;
        };
        if (s.removed == s.blocks.size()) {
            replaceBlocksInPlace(cursor, document.findBlockByNumber(s.at), s.blocks);
        } else if (s.removed > 0 && !s.blocks.isEmpty()) {
            // With the line break after them when there is one, for the reason of
            // reachNextBlock: the lines are then laid out only when shown.
            const bool withBreak = s.at + s.removed < count;
            cursor.setPosition(document.findBlockByNumber(s.at).position());
            cursor.setPosition(withBreak ? document.findBlockByNumber(s.at + s.removed).position()
                                         : endOf(s.at + s.removed - 1),
                               QTextCursor::KeepAnchor);
            cursor.insertText(withBreak ? text + u'\n' : text);
        } else if (!s.blocks.isEmpty()) {
            if (s.at < count) {
                cursor.setPosition(document.findBlockByNumber(s.at).position());
                cursor.insertText(text + u'\n');
            } else {
                cursor.setPosition(endOf(count - 1));
                cursor.insertText(u'\n' + text);
            }
        } else if (s.removed > 0) {
            // Blocks that go with the line break after them, or, at the end, before them.
            if (s.at + s.removed < count) {
                cursor.setPosition(document.findBlockByNumber(s.at).position());
                cursor.setPosition(document.findBlockByNumber(s.at + s.removed).position(),
                                   QTextCursor::KeepAnchor);
            } else {
                cursor.setPosition(endOf(s.at - 1));
                cursor.setPosition(endOf(count - 1), QTextCursor::KeepAnchor);
            }
            cursor.removeSelectedText();
        }
    }
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
}

void TaggedFollower::note(const LineEdits& changed) {
    pending_.add(changed);
}

QStringView TaggedFollower::Line::tail() const {
    return at < 0 ? QStringView() : QStringView(out).mid(at + LineBreak.size());
}

TaggedFollower::Line TaggedFollower::walkLine(const RichText& art, int line, const CodeWalkState& start,
                                              CodeWalker& walker) const {
    Line l;
    l.start = start;
    l.end = start;
    const bool hasBreak = line + 1 < art.lineCount();
    const int end = hasBreak ? art.lineStart(line + 1) : art.size();
    walker.walk(art, art.lineStart(line), end, l.end, l.out);
    // The break's text ends the line's output but for the code after it.
    if (hasBreak) l.at = l.out.lastIndexOf(LineBreak);
    l.odd = (hasBreak && l.at < 0) || hasBoundary(l.body()) || hasBoundary(l.tail());
    return l;
}

QString TaggedFollower::block(int b) const {
    const QStringView body = lines_[std::size_t(b)].body();
    if (b == 0) return body.toString();
    const QStringView tail = lines_[std::size_t(b - 1)].tail();
    QString s;
    s.reserve(tail.size() + body.size());
    s.append(tail);
    s.append(body);
    return s;
}

QString TaggedFollower::whole() const {
    qsizetype size = 0;
    for (const Line& l : lines_)
        size += l.out.size();
    QString out;
    out.reserve(size);
    for (const Line& l : lines_)
        out += l.out;
    return out;
}

std::optional<TaggedPatch> TaggedFollower::update(const RichText& art, const Palette& palette, bool useTags,
                                                  const std::function<bool()>& cancelled) {
    const int lines = art.lineCount();
    const bool whole = !built_ || !(palette == palette_) || useTags != useTags_ ||
                       !pending_.fit(int(lines_.size()), lines) || odd_ > 0;
    const Palette& walkPalette = whole ? palette : palette_;
    const CodeWalkPolicy policy = taggedPolicy(walkPalette, useTags);
    CodeWalker walker(policy);
    if (whole) {
        std::vector<Line> fresh;
        fresh.reserve(std::size_t(lines));
        CodeWalkState state = CodeWalker::start(policy);
        int odd = 0;
        for (int line = 0; line < lines; ++line) {
            if (cancelled && cancelled()) return std::nullopt;
            fresh.push_back(walkLine(art, line, state, walker));
            state = fresh.back().end;
            odd += fresh.back().odd;
        }
        lines_ = std::move(fresh);
        odd_ = odd;
        palette_ = palette;
        useTags_ = useTags;
        built_ = true;
        pending_.clear();
        return TaggedPatch{this->whole(), {}};
    }
    if (cancelled && cancelled()) return std::nullopt;

    // The lines walked again, as runs of lines replaced, in order.
    struct Run {
        int at, removed, inserted;
    };
    std::vector<Run> runs;
    auto touch = [&runs](int at, int removed, int inserted) {
        if (!runs.empty() && runs.back().at + runs.back().inserted == at) {
            runs.back().removed += removed;
            runs.back().inserted += inserted;
        } else {
            runs.push_back({at, removed, inserted});
        }
    };
    auto startOf = [&](int line) {
        return line == 0 ? CodeWalker::start(policy) : lines_[std::size_t(line - 1)].end;
    };
    int next = 0; // lines before it are up to date
    // Lines up to `to` that the walk now reaches in another state are walked again.
    auto carryOn = [&](int to) {
        for (; next < to; ++next) {
            const CodeWalkState state = startOf(next);
            Line& l = lines_[std::size_t(next)];
            if (l.start == state) break;
            odd_ -= l.odd;
            l = walkLine(art, next, state, walker);
            odd_ += l.odd;
            touch(next, 1, 1);
        }
        next = to;
    };
    for (const LineEdits::Stretch& s : pending_.stretches()) {
        carryOn(s.newFirst);
        const auto first = lines_.begin() + s.newFirst;
        for (auto it = first; it != first + s.oldLines; ++it)
            odd_ -= it->odd;
        std::vector<Line> fresh;
        fresh.reserve(std::size_t(s.newLines));
        CodeWalkState state = startOf(s.newFirst);
        for (int line = s.newFirst; line < s.newEnd(); ++line) {
            fresh.push_back(walkLine(art, line, state, walker));
            state = fresh.back().end;
            odd_ += fresh.back().odd;
        }
        spliceLines(lines_, s.newFirst, s.oldLines, std::move(fresh));
        touch(s.newFirst, s.oldLines, s.newLines);
        next = s.newEnd();
    }
    carryOn(lines);
    pending_.clear();
    if (odd_ > 0) return TaggedPatch{this->whole(), {}};

    // A line's block starts with what the line before wrote after its break, so the block
    // after a run changes with it.
    TaggedPatch patch;
    for (const Run& r : runs) {
        const int after = r.at + r.inserted < lines ? 1 : 0;
        BlockSplice splice{r.at, r.removed + after, {}};
        for (int b = r.at; b < r.at + r.inserted + after; ++b)
            splice.blocks.push_back(block(b));
        patch.splices.push_back(std::move(splice));
    }
    return patch;
}

} // namespace torvo
