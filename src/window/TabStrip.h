#pragma once

#include <QTabBar>
#include <QWidget>

namespace torvo {

// The tab strip: one row of tabs over one page area on which the views are stacked.
// Which view shows is decided by the window, never by the strip. It answers the
// keyboard the way tab strips do: Ctrl+Tab and Ctrl+PgDn choose the next enabled tab,
// Ctrl+Shift+Tab and Ctrl+PgUp the one before.
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    QTabBar* bar() const { return bar_; }
    int Tab() const { return bar_->currentIndex(); }
    void setTab(int index) { bar_->setCurrentIndex(index); }
    void setTabEnabled(int index, bool enabled) { bar_->setTabEnabled(index, enabled); }
    bool isTabEnabled(int index) const { return bar_->isTabEnabled(index); }
    int tabRowHeight() const { return bar_->sizeHint().height(); }
    // Chooses the next enabled tab `step` places on (-1: the one before), going round.
    void chooseNeighbour(int step);

signals:
    // The tab strip changed its current tab; PreviousTab is the tab that was left.
    void tabClicked(int PreviousTab);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* bar_;
    int previous_ = 0;
};

} // namespace torvo
