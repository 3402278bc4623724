#include "paint/Fill.h"

#include "base/CodePoints.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace torvo {

namespace {

// A cell's text as a comparable value: no character, one character, or a text no cell
// can hold (more than one character), which matches nothing.
struct CellText {
    bool valid = true;
    bool hasChar = false;
    char32_t ch = 0;

    bool matches(const Cell& cell) const {
        return valid && cell.hasChar == hasChar && (!hasChar || cell.ch == ch);
    }
    bool operator==(const CellText&) const = default;
};

CellText firstOf(const QString& s) {
    CellText t;
    if (s.isEmpty()) return t;
    t.hasChar = true;
    t.ch = codePointAt(s, 0).ch;
    return t;
}

// Exact text: anything longer than one character (a surrogate pair counts as one) is no
// cell's text.
CellText exactly(const QString& s) {
    CellText t = firstOf(s);
    if (!s.isEmpty() && codePointAt(s, 0).units != s.size()) t.valid = false;
    return t;
}

CellText textOf(const Cell& cell) {
    CellText t;
    t.hasChar = cell.hasChar;
    t.ch = cell.hasChar ? cell.ch : 0;
    return t;
}

// Flood over the eight neighbours with an explicit stack. A cell is changed when pushed,
// which also marks it visited, so each cell enters the stack at most once.
template <class Eligible, class Change>
void flood(CharGrid& grid, int C, int R, int maxCols, int maxRows, Eligible eligible, Change change) {
    const int cols = std::min(maxCols, grid.cols());
    const int rows = std::min(maxRows, grid.rows());
    if (C < 0 || R < 0 || C >= cols || R >= rows || !eligible(grid.at(R, C))) return;
    std::vector<std::uint64_t> stack;
    auto push = [&](int c, int r) {
        change(grid.at(r, c));
        stack.push_back(std::uint64_t(std::uint32_t(r)) << 32 | std::uint32_t(c));
    };
    push(C, R);
    while (!stack.empty()) {
        const std::uint64_t top = stack.back();
        stack.pop_back();
        const int r = int(top >> 32);
        const int c = int(top & 0xFFFFFFFFu);
        for (int dr = -1; dr <= 1; ++dr) {
            const int nr = r + dr;
            if (nr < 0 || nr >= rows) continue;
            for (int dc = -1; dc <= 1; ++dc) {
                const int nc = c + dc;
                if ((dr == 0 && dc == 0) || nc < 0 || nc >= cols) continue;
                if (eligible(grid.at(nr, nc))) push(nc, nr);
            }
        }
    }
}

// One coordinate range of the rectangle walk, in the drag's direction, limited to 0..n-1.
struct Span {
    int first;
    int last;
    int step;
    bool empty() const { return step > 0 ? first > last : first < last; }
};

Span span(int from, int to, int n) {
    if (to >= from) return {std::max(from, 0), std::min(to, n - 1), 1};
    return {std::min(from, n - 1), std::max(to, 0), -1};
}

// Seeds at every cell of the rectangle, in the drag's direction (columns outer, rows
// inner), each flood bounded by the grid's size as the walk started.
template <class Seed> void walkRectangle(CharGrid& grid, int C, int R, int SC, int SR, Seed seed) {
    const int maxCols = grid.cols(), maxRows = grid.rows();
    const Span cs = span(C, SC, maxCols);
    const Span rs = span(R, SR, maxRows);
    if (cs.empty() || rs.empty()) return;
    for (int i = cs.first;; i += cs.step) {
        for (int j = rs.first;; j += rs.step) {
            seed(i, j, maxCols, maxRows);
            if (j == rs.last) break;
        }
        if (i == cs.last) break;
    }
}

void colourFill(CharGrid& grid, int C, int R, const CellText& str, Colour Colr, int MaxCols, int MaxRows) {
    flood(
        grid, C, R, MaxCols, MaxRows,
        [&](const Cell& cell) { return str.matches(cell) && cell.colour != Colr; },
        [&](Cell& cell) { cell.colour = Colr; });
}

void charFill(CharGrid& grid, int C, int R, const CellText& str, const CellText& Wrd, int MaxCols,
              int MaxRows) {
    if (!str.valid || str == Wrd) return;
    flood(
        grid, C, R, MaxCols, MaxRows, [&](const Cell& cell) { return str.matches(cell); },
        [&](Cell& cell) {
            cell.hasChar = Wrd.hasChar;
            cell.ch = Wrd.ch;
        });
}

} // namespace

void SeFill(CharGrid& grid, int C, int R, const QString& str, Colour Colr, int MaxCols, int MaxRows) {
    colourFill(grid, C, R, exactly(str), Colr, MaxCols, MaxRows);
}

void Fill(CharGrid& grid, int C, int R, int SC, int SR, Colour Colr) {
    walkRectangle(grid, C, R, SC, SR, [&](int i, int j, int maxCols, int maxRows) {
        colourFill(grid, i, j, textOf(grid.at(j, i)), Colr, maxCols, maxRows);
    });
}

void ReFill(CharGrid& grid, int C, int R, const QString& str, const QString& Wrd, int MaxCols, int MaxRows) {
    charFill(grid, C, R, exactly(str), firstOf(Wrd), MaxCols, MaxRows);
}

void WFill(CharGrid& grid, int C, int R, int SC, int SR, const QString& Wrd) {
    const CellText w = firstOf(Wrd);
    walkRectangle(grid, C, R, SC, SR, [&](int i, int j, int maxCols, int maxRows) {
        charFill(grid, i, j, textOf(grid.at(j, i)), w, maxCols, maxRows);
    });
}

bool isTypableCell(char32_t ch) {
    return ch >= 0x20 && ch != 0x7F && ch <= 0x10FFFF && !isSurrogate(ch);
}

} // namespace torvo
