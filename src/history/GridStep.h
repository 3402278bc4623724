#pragma once

#include "art/CharGrid.h"
#include "history/History.h"

#include <vector>

namespace torvo {

struct CellChange {
    int row = 0, col = 0;
    Cell before, after;
};

// The cells that differ between two grids of one size.
std::vector<CellChange> diffGrids(const CharGrid& before, const CharGrid& after);
// The rows the cells lie in.
std::vector<int> rowsOf(const std::vector<CellChange>& cells);

// A step of the grid's history: the cells one edit changed (a typed cell, a paint
// gesture, a whole fill).
class GridStep : public History::Step {
public:
    explicit GridStep(std::vector<CellChange> cells) : cells_(std::move(cells)) {}
    const std::vector<CellChange>& cells() const { return cells_; }
    // Puts the cells back as they were, or as the edit left them.
    void applyTo(CharGrid& grid, bool undo) const;
    qint64 bytes() const override;

private:
    std::vector<CellChange> cells_;
};

} // namespace torvo
