#pragma once

#include "art/Colour.h"
#include "paint/Block.h"
#include "window/GridView.h"

#include <QObject>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;

namespace torvo {

class GridEditor;

// The grid's selection as a block: copy, cut, paste, empty, move, flip and colour it, each
// one step of the grid's history. The menu "Bloque" holds the flips.
class GridBlocks : public QObject {
    Q_OBJECT
public:
    // `colour` is the current colour (plain text pasted takes it); `maxPositions` the
    // largest art the grid may grow to.
    GridBlocks(GridView& view, GridEditor& editor, QMenuBar* menus, QMenu* before,
               std::function<Colour()> colour, qint64 maxPositions);

    // The rectangle from the current cell to the far corner; none without a current cell.
    std::optional<Block> block() const;
    void copy();
    void cut();
    void paste();
    void empty();
    void move(int dr, int dc);
    void flip(Flip flip);
    // A swatch on the grid colours every cell of the block.
    void colour(Colour c);

signals:
    void status(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onKey(GridView::BlockKey key);
    void select(const Block& block);

    GridView& view_;
    GridEditor& editor_;
    std::function<Colour()> colour_;
    qint64 maxPositions_;
    QMenu* menu_ = nullptr;
};

} // namespace torvo
