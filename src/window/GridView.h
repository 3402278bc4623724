#pragma once

#include <QTableView>

namespace torvo {

// A table view that keeps the flex-grid notions the handlers use: the current cell
// (Row, Col), the far corner of the selection (RowSel, ColSel) and the cell under the
// pointer (MouseRow, MouseCol; -1 past the last row or column), and reports mouse and
// key events with the buttons numbered 1 left, 2 right, 4 middle. What it highlights is
// always the rectangle from the current cell to the far corner; with no current cell
// (an empty grid, or just rebuilt) all four are -1 and nothing is highlighted.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    int Row() const;
    int Col() const;
    int RowSel() const { return rowSel_; }
    int ColSel() const { return colSel_; }
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // Makes (row, col) the current cell and collapses the selection onto it.
    void setCurrentCell(int row, int col);
    // Selects from the current cell to (row, col).
    void setSelectionCorner(int row, int col);

    void setModel(QAbstractItemModel* model) override;
    // Draws a frame round the selected rectangle (the art's grid; the colour table does
    // without).
    void setBlockFrame(bool shown) { blockFrame_ = shown; }

    // What the block keys ask for.
    enum class BlockKey { Copy, Cut, Paste, Empty };

signals:
    void keyPress(const QString& text);
    // Backspace or Delete.
    void keyDown(int KeyCode);
    void mouseDown(int Button);
    void mouseMove(int Buttons);
    void mouseUp(int Button);
    // Ctrl+C, Ctrl+X, Ctrl+V, Delete; Ctrl+arrows move the block a cell.
    void blockKey(GridView::BlockKey key);
    void moveKey(int dr, int dc);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void trackPointer(const QPoint& pos);
    void selectRange();

    int rowSel_ = -1;
    int colSel_ = -1;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
    bool dragging_ = false;
    bool blockFrame_ = false;
};

} // namespace torvo
