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

void Grid1Model::changed() {
    if (grid_.rows() > 0 && grid_.cols() > 0)
        emit dataChanged(index(0, 0), index(grid_.rows() - 1, grid_.cols() - 1));
}

void Grid1Model::resizeTo(CharGrid grid) {
    const int rows = grid.rows(), cols = grid.cols();
    const int oldRows = grid_.rows(), oldCols = grid_.cols();
    CharGrid& g = grid_;
    if (rows < oldRows) {
        beginRemoveRows({}, rows, oldRows - 1);
        g.resize(rows, oldCols);
        endRemoveRows();
    }
    if (cols < oldCols) {
        beginRemoveColumns({}, cols, oldCols - 1);
        g.resize(g.rows(), cols);
        endRemoveColumns();
    }
    if (rows > g.rows()) {
        beginInsertRows({}, g.rows(), rows - 1);
        g.resize(rows, g.cols());
        endInsertRows();
    }
    if (cols > g.cols()) {
        beginInsertColumns({}, g.cols(), cols - 1);
        g.resize(g.rows(), cols);
        endInsertColumns();
    }
    grid_ = std::move(grid);
    changed();
}

void Grid1Model::setCellFont(const QFont& font) {
    font_ = font;
    changed();
}

void Grid1Model::changedCell(int r, int c) {
    const QModelIndex i = index(r, c);
    emit dataChanged(i, i);
}

} // namespace torvo
