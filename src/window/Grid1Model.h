#pragma once

#include "art/CharGrid.h"

#include <QAbstractTableModel>
#include <QFont>

namespace torvo {

// The character grid as a table model: each cell's character and text colour,
// computed on demand from the CharGrid, never a widget item per cell.
class Grid1Model : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Grid1Model(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const CharGrid& grid() const { return grid_; }
    // Replaces the whole grid (one model reset).
    void setGrid(CharGrid grid);
    // Edits the grid in place; call changed() once afterwards.
    CharGrid& editGrid() { return grid_; }
    // Redraws every cell once (after a fill).
    void changed();
    void changedCell(int r, int c);
    // Takes a grid of another size whose common cells are this one's: rows and columns
    // are added or taken away, so the view keeps its current cell.
    void resizeTo(CharGrid grid);

    void setCellFont(const QFont& font);
    const QFont& cellFont() const { return font_; }

private:
    CharGrid grid_;
    QFont font_;
};

} // namespace torvo
