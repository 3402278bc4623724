#include "convert/TextGrid.h"

#include <algorithm>

namespace torvo {
namespace {

struct Measure {
    int longest = 0;
    int breaks = 0;
};

Measure measure(const RichText& text) {
    Measure m;
    int length = 0;
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const char32_t ch = text.charAt(p);
        if (ch == RichText::LF) {
            ++m.breaks;
            length = 0;
        } else if (ch != RichText::CR) {
            m.longest = std::max(m.longest, ++length);
        }
    }
    return m;
}

} // namespace

int GridMayor(const RichText& text, QChar Atributo) {
    if (text.isEmpty()) return 1;
    const Measure m = measure(text);
    if (Atributo == u'C') return m.longest;
    return std::max(m.breaks, 1);
}

std::optional<CharGrid> RestaurarGrid(const RichText& text, const std::function<bool()>& cancelled) {
    if (text.isEmpty()) return CharGrid(1, 1);
    const Measure m = measure(text);
    CharGrid grid(std::max(m.breaks, 1), m.longest);
    int row = 0;
    int col = 0;
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const char32_t ch = text.charAt(p);
        if (ch == RichText::CR) continue;
        if (ch == RichText::LF) {
            ++row;
            col = 0;
            if (cancelled && cancelled()) return std::nullopt;
            continue;
        }
        // A text whose last line has no break still reaches the grid's one row.
        if (row < grid.rows()) {
            Cell& cell = grid.at(row, col);
            cell.ch = ch;
            cell.hasChar = true;
            cell.colour = text.colourAt(p);
        }
        ++col;
    }
    return grid;
}

void appendGridRow(RichText& text, const CharGrid& grid, int r) {
    int pending = 0;
    for (const Cell& cell : grid.row(r)) {
        if (!cell.hasChar) {
            ++pending;
            continue;
        }
        for (; pending > 0; --pending)
            text.append(U' ', cell.colour);
        text.append(cell.ch, cell.colour);
    }
    text.appendLineBreak();
}

std::optional<RichText> RestaurarMensaje(const CharGrid& grid, Colour typing,
                                         const std::function<bool()>& cancelled) {
    RichText text(typing);
    text.reserve(std::size_t(grid.rows()) * std::size_t(grid.cols() + 2));
    for (int r = 0; r < grid.rows(); ++r) {
        if (cancelled && cancelled()) return std::nullopt;
        appendGridRow(text, grid, r);
    }
    return text;
}

} // namespace torvo
