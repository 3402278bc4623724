#pragma once

#include "art/Colour.h"
#include "convert/ColourChange.h"

#include <QAbstractTableModel>
#include <vector>

namespace torvo {

// The colour-change table: one row per distinct colour of the art, the old colour in
// column 0 and its replacement in column 1, each shown as a swatch.
class Grid2Model : public QAbstractTableModel {
    Q_OBJECT
public:
    // A colour of the art and its replacement.
    using Row = ColourReplacement;

    explicit Grid2Model(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<Row>& rows() const { return rows_; }
    void setRows(std::vector<Row> rows);
    void setReplacement(int row, Colour to);
    // Every row from r1 to r2 (either way round) takes the replacement; nothing when a row
    // is not in the table.
    void setReplacements(int r1, int r2, Colour to);

private:
    std::vector<Row> rows_;
};

} // namespace torvo
