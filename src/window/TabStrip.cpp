#include "window/TabStrip.h"

#include <QPainter>
#include <QShortcut>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace torvo {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
    bar_->setObjectName(QStringLiteral("SSTab1Tabs"));
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
        const int left = previous_;
        previous_ = index;
        if (index != left) emit tabClicked(left);
    });
    const std::pair<QKeySequence, int> keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), +1},
                                                 {QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1},
                                                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                                                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                                                 {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
    for (const auto& [sequence, step] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { chooseNeighbour(step); });
    }
}

void TabStrip::chooseNeighbour(int step) {
    const int count = bar_->count();
    for (int i = 1; i < count; ++i) {
        const int candidate = ((Tab() + step * i) % count + count) % count;
        if (isTabEnabled(candidate)) {
            setTab(candidate);
            return;
        }
    }
}

void TabStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), tabRowHeight());
}

void TabStrip::paintEvent(QPaintEvent*) {
    // The page area's frame below the tab row.
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    option.rect = QRect(0, tabRowHeight() - 1, width(), height() - tabRowHeight() + 1);
    option.tabBarSize = bar_->sizeHint();
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
}

} // namespace torvo
