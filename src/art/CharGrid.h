#pragma once

#include "art/Colour.h"

#include <QString>
#include <vector>

namespace torvo {

// One cell of the character grid: a character or nothing, and a text colour.
// A cell whose colour was never set reports the grid's default text colour (yellow).
struct Cell {
    char32_t ch = 0;
    bool hasChar = false;
    Colour colour = colours::Yellow;

    QString text() const;
    friend bool operator==(const Cell&, const Cell&) = default;
};

// Rows x columns of cells. Zero columns is allowed (a text made only of line breaks).
// Each row is held on its own, so that rows come and go without moving the others.
class CharGrid {
public:
    static constexpr Colour DefaultColour = colours::Yellow;
    using Row = std::vector<Cell>;

    CharGrid() { reset(1, 1); }
    CharGrid(int rows, int cols) { reset(rows, cols); }

    // Every cell loses its character and colour.
    void reset(int rows, int cols);

    int rows() const { return int(rows_.size()); }
    int cols() const { return cols_; }
    bool contains(int r, int c) const { return r >= 0 && c >= 0 && r < rows() && c < cols_; }

    const Cell& at(int r, int c) const { return rows_[std::size_t(r)][std::size_t(c)]; }
    Cell& at(int r, int c) { return rows_[std::size_t(r)][std::size_t(c)]; }
    const Row& row(int r) const { return rows_[std::size_t(r)]; }

    void setChar(int r, int c, char32_t ch) { at(r, c).ch = ch, at(r, c).hasChar = true; }
    void setColour(int r, int c, Colour colour) { at(r, c).colour = colour; }

    // Replaces the rows [at, at + count) by `with`, each cut or padded with empty cells
    // to the width of the grid.
    void replaceRows(int at, int count, std::vector<Row> with);
    // Cuts every row to `cols` cells or pads it with empty ones.
    void setCols(int cols);

    friend bool operator==(const CharGrid&, const CharGrid&) = default;

private:
    int cols_ = 0;
    std::vector<Row> rows_;
};

} // namespace torvo
