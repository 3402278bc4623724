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
// Each row holds its cells up to the last one given: the cells after it are empty, so a
// grid as wide as its longest row costs only the cells its rows have.
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

    const Cell& at(int r, int c) const {
        const Row& row = rows_[std::size_t(r)];
        return std::size_t(c) < row.size() ? row[std::size_t(c)] : Empty;
    }
    Cell& at(int r, int c) {
        Row& row = rows_[std::size_t(r)];
        if (std::size_t(c) >= row.size()) row.resize(std::size_t(cols_));
        return row[std::size_t(c)];
    }
    // A row's cells up to its last one held; those after it are empty.
    const Row& row(int r) const { return rows_[std::size_t(r)]; }

    void setChar(int r, int c, char32_t ch) { at(r, c).ch = ch, at(r, c).hasChar = true; }
    void setColour(int r, int c, Colour colour) { at(r, c).colour = colour; }

    // Cell for cell, whatever each row holds.
    friend bool operator==(const CharGrid& a, const CharGrid& b);

private:
    static constexpr Cell Empty{};

    int cols_ = 0;
    std::vector<Row> rows_;
};

} // namespace torvo
