#include "history/GridStep.h"

#include <algorithm>

namespace torvo {

std::vector<CellChange> diffGrids(const CharGrid& before, const CharGrid& after) {
    std::vector<CellChange> cells;
    const Cell none;
    const int rows = std::max(before.rows(), after.rows()), cols = std::max(before.cols(), after.cols());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const Cell& a = before.contains(r, c) ? before.at(r, c) : none;
            const Cell& b = after.contains(r, c) ? after.at(r, c) : none;
            if (!(a == b)) cells.push_back({r, c, a, b});
        }
    return cells;
}

std::vector<int> rowsOf(const std::vector<CellChange>& cells) {
    std::vector<int> rows;
    rows.reserve(cells.size());
    for (const CellChange& c : cells)
        rows.push_back(c.row);
    return rows;
}

void GridStep::applyTo(CharGrid& grid, bool undo) const {
    // Grown before the cells go in, shrunk after they were put back.
    if (resized_ && !undo) grid.resize(after_.rows, after_.cols);
    for (const CellChange& change : cells_)
        if (grid.contains(change.row, change.col))
            grid.at(change.row, change.col) = undo ? change.before : change.after;
    if (resized_ && undo) grid.resize(before_.rows, before_.cols);
}

qint64 GridStep::bytes() const {
    return qint64(sizeof(*this)) + qint64(cells_.size() * sizeof(CellChange));
}

} // namespace torvo
