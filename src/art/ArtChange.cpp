#include "art/ArtChange.h"

#include <algorithm>

namespace torvo {
namespace {

using Span = std::pair<int, int>; // [first, last)

// Common prefix and suffix of before[b] and after[a], never splitting a line break.
void trim(const RichText& before, Span& b, const RichText& after, Span& a) {
    const auto& x = before.positions();
    const auto& y = after.positions();
    const Span outer = b;
    while (b.first < b.second && a.first < a.second &&
           sameCharacter(x[std::size_t(b.first)], y[std::size_t(a.first)]))
        ++b.first, ++a.first;
    if (b.first > outer.first && x[std::size_t(b.first - 1)].ch == RichText::CR) --b.first, --a.first;
    while (b.second > b.first && a.second > a.first &&
           sameCharacter(x[std::size_t(b.second - 1)], y[std::size_t(a.second - 1)]))
        --b.second, --a.second;
    if (b.second < outer.second && x[std::size_t(b.second)].ch == RichText::LF) ++b.second, ++a.second;
}

int breaks(const RichText& t, Span s) {
    int n = 0;
    for (int p = s.first; p < s.second; ++p)
        n += t.charAt(p) == RichText::LF;
    return n;
}

// End of the line starting at p within s: just after its LF, or s.second.
int lineEnd(const RichText& t, int p, Span s) {
    while (p < s.second && t.charAt(p) != RichText::LF)
        ++p;
    return p < s.second ? p + 1 : p;
}

void addHunk(std::vector<ArtHunk>& out, const RichText& before, Span b, const RichText& after, Span a,
             int base) {
    trim(before, b, after, a);
    if (b.first == b.second && a.first == a.second) return;
    out.push_back(
        {base + a.first, before.mid(b.first, b.second - b.first), after.mid(a.first, a.second - a.first)});
}

} // namespace

std::vector<ArtHunk> diffArt(const RichText& before, const RichText& after, int base) {
    std::vector<ArtHunk> hunks;
    Span b{0, before.size()};
    Span a{0, after.size()};
    trim(before, b, after, a);
    if (b.first == b.second && a.first == a.second) return hunks;
    const int lines = breaks(before, b);
    if (lines == 0 || lines != breaks(after, a)) {
        addHunk(hunks, before, b, after, a, base);
        return hunks;
    }
    // As many lines on both sides: line by line, so a few changed cells cost a few hunks.
    int p = b.first;
    int q = a.first;
    while (p < b.second || q < a.second) {
        const int pe = lineEnd(before, p, b);
        const int qe = lineEnd(after, q, a);
        addHunk(hunks, before, {p, pe}, after, {q, qe}, base);
        p = pe;
        q = qe;
    }
    return hunks;
}

std::optional<LineSpan> differingLines(const RichText& before, const RichText& after) {
    const int b = before.lineCount();
    const int a = after.lineCount();
    auto same = [&](int lb, int la) {
        const auto& x = before.positions();
        const auto& y = after.positions();
        const int xb = before.lineStart(lb), xe = lb + 1 < b ? before.lineStart(lb + 1) : before.size();
        const int yb = after.lineStart(la), ye = la + 1 < a ? after.lineStart(la + 1) : after.size();
        return std::equal(x.begin() + xb, x.begin() + xe, y.begin() + yb, y.begin() + ye);
    };
    int head = 0;
    while (head < std::min(a, b) && same(head, head))
        ++head;
    if (head == a && a == b) return std::nullopt;
    int tail = 0;
    while (tail < std::min(a, b) - head && same(b - 1 - tail, a - 1 - tail))
        ++tail;
    return LineSpan{head, b - head - tail, a - head - tail};
}

void applyHunks(RichText& art, const std::vector<ArtHunk>& hunks, bool undo) {
    if (undo) {
        for (auto it = hunks.rbegin(); it != hunks.rend(); ++it)
            art.replace(it->at, it->inserted.size(), it->removed);
    } else {
        for (const ArtHunk& h : hunks)
            art.replace(h.at, h.removed.size(), h.inserted);
    }
}

std::vector<ArtHunk> invertHunks(const std::vector<ArtHunk>& hunks) {
    std::vector<ArtHunk> inverse;
    inverse.reserve(hunks.size());
    int shift = 0;
    for (const ArtHunk& h : hunks) {
        inverse.push_back({h.at - shift, h.inserted, h.removed});
        shift += h.inserted.size() - h.removed.size();
    }
    return inverse;
}

qsizetype hunkPositions(const std::vector<ArtHunk>& hunks) {
    qsizetype n = 0;
    for (const ArtHunk& h : hunks)
        n += h.removed.size() + h.inserted.size();
    return n;
}

} // namespace torvo
