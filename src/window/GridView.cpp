#include "window/GridView.h"

#include "window/ColorSwatch.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace torvo {

GridView::GridView(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setMouseTracking(true);
}

int GridView::Row() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}
int GridView::Col() const {
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void GridView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    // A rebuilt model has no current cell and no selection: neither does the grid.
    connect(model, &QAbstractItemModel::modelReset, this, [this] { rowSel_ = colSel_ = -1; });
}

void GridView::setCurrentCell(int row, int col) {
    if (!model()) return;
    const QModelIndex i = model()->index(row, col);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    rowSel_ = row;
    colSel_ = col;
    selectRange();
}

void GridView::setSelectionCorner(int row, int col) {
    rowSel_ = row;
    colSel_ = col;
    selectRange();
}

void GridView::selectRange() {
    if (!model() || !selectionModel()) return;
    const QModelIndex a = model()->index(Row(), Col());
    const QModelIndex b = model()->index(rowSel_, colSel_);
    if (!a.isValid() || !b.isValid()) {
        selectionModel()->clearSelection();
        return;
    }
    // The selection is drawn by the view; the handlers read Row/Col and RowSel/ColSel.
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == QAbstractItemView::SelectRows) flags |= QItemSelectionModel::Rows;
    selectionModel()->select(QItemSelection(a, b), flags);
    viewport()->update();
}

void GridView::trackPointer(const QPoint& pos) {
    const QModelIndex i = indexAt(pos);
    mouseRow_ = i.isValid() ? i.row() : -1;
    mouseCol_ = i.isValid() ? i.column() : -1;
}

void GridView::mousePressEvent(QMouseEvent* event) {
    trackPointer(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (mouseRow_ >= 0) {
            setCurrentCell(mouseRow_, mouseCol_);
            dragging_ = true;
        }
    }
    emit mouseDown(vbButton(event->button()));
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    trackPointer(event->position().toPoint());
    if (dragging_ && (event->buttons() & Qt::LeftButton) && mouseRow_ >= 0)
        setSelectionCorner(mouseRow_, mouseCol_);
    emit mouseMove(vbButtons(event->buttons()));
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    trackPointer(event->position().toPoint());
    if (event->button() == Qt::LeftButton) dragging_ = false;
    emit mouseUp(vbButton(event->button()));
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        emit keyDown(event->key());
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        emit keyPress(text);
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Keyboard navigation moves the current cell and collapses the selection onto it.
    if (!dragging_) {
        rowSel_ = current.isValid() ? current.row() : -1;
        colSel_ = current.isValid() ? current.column() : -1;
        selectRange();
    }
}

} // namespace torvo
