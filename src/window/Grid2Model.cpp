#include "window/Grid2Model.h"

#include <algorithm>

#include <QBrush>

namespace torvo {

Grid2Model::Grid2Model(QObject* parent) : QAbstractTableModel(parent) {}

int Grid2Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int Grid2Model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant Grid2Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Row& row = rows_[std::size_t(index.row())];
    const Colour c = index.column() == 0 ? row.from : row.to;
    if (role == Qt::BackgroundRole) return QBrush(c.toQColor());
    if (role == Qt::ToolTipRole) return c.toQColor().name(QColor::HexRgb).toUpper();
    return {};
}

QVariant Grid2Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == 0 ? QStringLiteral("Color") : QStringLiteral("Cambiar a");
}

void Grid2Model::setRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void Grid2Model::setReplacements(int r1, int r2, Colour to) {
    const int rows = int(rows_.size());
    if (r1 < 0 || r2 < 0 || r1 >= rows || r2 >= rows) return;
    for (int r = std::min(r1, r2); r <= std::max(r1, r2); ++r)
        setReplacement(r, to);
}

void Grid2Model::setReplacement(int row, Colour to) {
    if (row < 0 || row >= int(rows_.size())) return;
    rows_[std::size_t(row)].to = to;
    const QModelIndex i = index(row, 1);
    emit dataChanged(i, i);
}

} // namespace torvo
