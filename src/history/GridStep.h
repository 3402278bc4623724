#pragma once

#include "art/CharGrid.h"
#include "history/History.h"

#include <vector>

namespace torvo {

struct CellChange {
    int row = 0, col = 0;
    Cell before, after;
};

// The rows and columns of a grid.
struct GridSize {
    int rows = 0, cols = 0;
    friend bool operator==(const GridSize&, const GridSize&) = default;
};
inline GridSize sizeOf(const CharGrid& grid) {
    return {grid.rows(), grid.cols()};
}

// The cells that differ between two grids; where the sizes differ, a cell only one of them
// has is an empty cell in the other.
std::vector<CellChange> diffGrids(const CharGrid& before, const CharGrid& after);
// The rows the cells lie in.
std::vector<int> rowsOf(const std::vector<CellChange>& cells);

// A step of the grid's history: the cells one edit changed (a typed cell, a paint
// gesture, a whole fill, a block), and the grid's size before and after it when the edit
// grew it (a paste past the edge).
class GridStep : public History::Step {
public:
    explicit GridStep(std::vector<CellChange> cells) : cells_(std::move(cells)) {}
    GridStep(std::vector<CellChange> cells, GridSize before, GridSize after)
        : cells_(std::move(cells)), before_(before), after_(after), resized_(!(before == after)) {}
    const std::vector<CellChange>& cells() const { return cells_; }
    bool resizes() const { return resized_; }
    // Puts the cells back as they were, or as the edit left them, in the size they had.
    void applyTo(CharGrid& grid, bool undo) const;
    qint64 bytes() const override;

private:
    std::vector<CellChange> cells_;
    GridSize before_, after_;
    bool resized_ = false;
};

} // namespace torvo
