#include "history/GridStep.h"

namespace torvo {

std::vector<CellChange> diffGrids(const CharGrid& before, const CharGrid& after) {
    std::vector<CellChange> cells;
    if (before.rows() != after.rows() || before.cols() != after.cols()) return cells;
    for (int r = 0; r < after.rows(); ++r)
        for (int c = 0; c < after.cols(); ++c)
            if (!(before.at(r, c) == after.at(r, c)))
                cells.push_back({r, c, before.at(r, c), after.at(r, c)});
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
    for (const CellChange& change : cells_)
        if (grid.contains(change.row, change.col))
            grid.at(change.row, change.col) = undo ? change.before : change.after;
}

qint64 GridStep::bytes() const {
    return qint64(sizeof(*this)) + qint64(cells_.size() * sizeof(CellChange));
}

} // namespace torvo
