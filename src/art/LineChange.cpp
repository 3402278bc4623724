#include "art/LineChange.h"

#include <algorithm>

namespace torvo {
namespace {

// Where line `line` of the art starts; the end of the art past its last line.
int startOf(const RichText& art, int line) {
    return line < art.lineCount() ? art.lineStart(line) : art.size();
}

bool sameRange(const RichText& a, int from, int to, const RichText& b, int bFrom, int bTo) {
    if (to - from != bTo - bFrom) return false;
    const auto& x = a.positions();
    const auto& y = b.positions();
    for (int i = 0; i < to - from; ++i)
        if (!sameCharacter(x[std::size_t(from + i)], y[std::size_t(bFrom + i)])) return false;
    return true;
}

} // namespace

int linesIn(const RichText& lines) {
    return int(std::count_if(lines.positions().begin(), lines.positions().end(),
                             [](const RichText::Position& p) { return p.ch == RichText::LF; }));
}

RichText linesOf(const RichText& art, int first, int count) {
    const int from = startOf(art, first);
    return art.mid(from, startOf(art, first + count) - from);
}

bool sameLines(const RichText& a, const RichText& b) {
    return sameRange(a, 0, a.size(), b, 0, b.size());
}

std::vector<LineChange> diffLines(const RichText& before, const RichText& after) {
    // Whole lines only: the last line of each, empty after its line break, is no line here.
    const int b = before.lineCount() - 1;
    const int a = after.lineCount() - 1;
    auto same = [&](int lb, int la) {
        return sameRange(before, before.lineStart(lb), before.lineStart(lb + 1), after, after.lineStart(la),
                         after.lineStart(la + 1));
    };
    int head = 0;
    while (head < b && head < a && same(head, head))
        ++head;
    int tail = 0;
    while (tail < b - head && tail < a - head && same(b - 1 - tail, a - 1 - tail))
        ++tail;
    std::vector<LineChange> changes;
    if (b != a) {
        if (head < b - tail || head < a - tail)
            changes.push_back(
                {head, linesOf(before, head, b - tail - head), linesOf(after, head, a - tail - head)});
        return changes;
    }
    for (int line = head; line < b - tail;) {
        if (same(line, line)) {
            ++line;
            continue;
        }
        int end = line + 1;
        while (end < b - tail && !same(end, end))
            ++end;
        changes.push_back({line, linesOf(before, line, end - line), linesOf(after, line, end - line)});
        line = end;
    }
    return changes;
}

void applyLineChanges(RichText& art, const std::vector<LineChange>& changes, bool undo) {
    for (const LineChange& c : undo ? inverted(changes) : changes) {
        const int from = startOf(art, c.first);
        art.replace(from, startOf(art, c.first + linesIn(c.before)) - from, c.after);
    }
}

std::vector<LineChange> inverted(const std::vector<LineChange>& changes) {
    std::vector<LineChange> back;
    back.reserve(changes.size());
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
        back.push_back({it->first, it->after, it->before});
    return back;
}

} // namespace torvo
