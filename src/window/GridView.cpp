#include "window/GridView.h"

#include "window/ColorSwatch.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <optional>

namespace torvo {
namespace {

// Ctrl with an arrow: the step it moves a block by.
QPoint blockStep(const QKeyEvent* event) {
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return {};
    switch (event->key()) {
    case Qt::Key_Left:
        return {-1, 0};
    case Qt::Key_Right:
        return {1, 0};
    case Qt::Key_Up:
        return {0, -1};
    case Qt::Key_Down:
        return {0, 1};
    default:
        return {};
    }
}

} // namespace

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

bool GridView::event(QEvent* event) {
    // The block's keys are the grid's own, before any of the window's shortcuts.
    if (blockFrame_ && event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!blockStep(key).isNull() || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
            key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void GridView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!blockFrame_ || !model()) return;
    const QModelIndex a = model()->index(Row(), Col()), b = model()->index(rowSel_, colSel_);
    if (!a.isValid() || !b.isValid()) return;
    const QRect frame = visualRect(a).united(visualRect(b)).adjusted(0, 0, -1, -1);
    QPainter painter(viewport());
    painter.setPen(QPen(Qt::white, 1, Qt::SolidLine));
    painter.drawRect(frame);
    painter.setPen(QPen(QColor(255, 64, 255), 1, Qt::DashLine));
    painter.drawRect(frame);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (blockFrame_) {
        const QPoint step = blockStep(event);
        const auto block = event->matches(QKeySequence::Copy)    ? BlockKey::Copy
                           : event->matches(QKeySequence::Cut)   ? BlockKey::Cut
                           : event->matches(QKeySequence::Paste) ? BlockKey::Paste
                           : event->key() == Qt::Key_Delete && !(event->modifiers() & ~Qt::KeypadModifier)
                               ? BlockKey::Empty
                               : std::optional<BlockKey>();
        if (!step.isNull()) return emit moveKey(step.y(), step.x());
        if (block) return emit blockKey(*block);
        // Shift with an arrow moves the selection's far corner, the current cell staying.
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier && Row() >= 0) {
            const int dr = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
            const int dc = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
            if (dr || dc) {
                setSelectionCorner(std::clamp(rowSel_ + dr, 0, model()->rowCount() - 1),
                                   std::clamp(colSel_ + dc, 0, model()->columnCount() - 1));
                scrollTo(model()->index(rowSel_, colSel_));
                return;
            }
        }
    }
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
