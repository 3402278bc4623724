#include "window/ColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace torvo {

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int vbButtons(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
}

void ColorSwatch::setColour(Colour c) {
    colour_ = c;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, c.toQColor());
    setPalette(pal);
    emit colourChanged(c);
}

void ColorSwatch::setMarked(bool marked) {
    if (marked_ == marked) return;
    marked_ = marked;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!marked_) return;
    // White outside, black inside: seen on every colour.
    QPainter painter(this);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    emit mousePressed(vbButton(event->button()));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

} // namespace torvo
