#include "window/Grid1Model.h"

#include <QBrush>

namespace torvo {

Grid1Model::Grid1Model(QObject* parent) : QAbstractTableModel(parent) {}

int Grid1Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.rows();
}

int Grid1Model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.cols();
}

QVariant Grid1Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !grid_.contains(index.row(), index.column())) return {};
    const Cell& cell = grid_.at(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        return cell.text();
    case Qt::ForegroundRole:
        return QBrush(cell.colour.toQColor());
    case Qt::FontRole:
        return font_;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignTop);
    default:
        return {};
    }
}

void Grid1Model::setGrid(CharGrid grid) {
    beginResetModel();
    grid_ = std::move(grid);
    endResetModel();
}

void Grid1Model::apply(GridPatch patch) {
    if (patch.whole) {
        setGrid(std::move(*patch.whole));
        return;
    }
    if (patch.cols > grid_.cols()) {
        beginInsertColumns({}, grid_.cols(), patch.cols - 1);
        grid_.setCols(patch.cols);
        endInsertColumns();
    }
    for (GridPatch::Splice& s : patch.splices) {
        // Rows that stay are changed in place; the others come or go.
        const int common = std::min(s.removed, int(s.rows.size()));
        std::vector<CharGrid::Row> extra(std::make_move_iterator(s.rows.begin() + common),
                                         std::make_move_iterator(s.rows.end()));
        s.rows.resize(std::size_t(common));
        grid_.replaceRows(s.at, common, std::move(s.rows));
        if (common > 0 && grid_.cols() > 0)
            emit dataChanged(index(s.at, 0), index(s.at + common - 1, grid_.cols() - 1));
        if (s.removed > common) {
            beginRemoveRows({}, s.at + common, s.at + s.removed - 1);
            grid_.replaceRows(s.at + common, s.removed - common, {});
            endRemoveRows();
        }
        if (!extra.empty()) {
            beginInsertRows({}, s.at + common, s.at + common + int(extra.size()) - 1);
            grid_.replaceRows(s.at + common, 0, std::move(extra));
            endInsertRows();
        }
    }
    if (patch.cols < grid_.cols()) {
        beginRemoveColumns({}, patch.cols, grid_.cols() - 1);
        grid_.setCols(patch.cols);
        endRemoveColumns();
    }
}

void Grid1Model::changed() {
    if (grid_.rows() > 0 && grid_.cols() > 0)
        emit dataChanged(index(0, 0), index(grid_.rows() - 1, grid_.cols() - 1));
}

void Grid1Model::changedCell(int r, int c) {
    const QModelIndex i = index(r, c);
    emit dataChanged(i, i);
}

} // namespace torvo
