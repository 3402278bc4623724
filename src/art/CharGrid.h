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
class CharGrid {
public:
    static constexpr Colour DefaultColour = colours::Yellow;

    CharGrid() { reset(1, 1); }
    CharGrid(int rows, int cols) { reset(rows, cols); }

    // Every cell loses its character and colour.
    void reset(int rows, int cols);

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool contains(int r, int c) const { return r >= 0 && c >= 0 && r < rows_ && c < cols_; }

    const Cell& at(int r, int c) const {
        return cells_[std::size_t(r) * std::size_t(cols_) + std::size_t(c)];
    }
    Cell& at(int r, int c) { return cells_[std::size_t(r) * std::size_t(cols_) + std::size_t(c)]; }

    void setChar(int r, int c, char32_t ch) { at(r, c).ch = ch, at(r, c).hasChar = true; }
    void setColour(int r, int c, Colour colour) { at(r, c).colour = colour; }

    friend bool operator==(const CharGrid&, const CharGrid&) = default;

private:
    int rows_ = 0;
    int cols_ = 0;
    std::vector<Cell> cells_;
};

} // namespace torvo
