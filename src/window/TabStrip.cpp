#include "window/TabStrip.h"

#include <QPainter>
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
