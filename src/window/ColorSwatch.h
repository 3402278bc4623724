#pragma once

#include "art/Colour.h"

#include <QFrame>

namespace torvo {

// A plain coloured box that reports mouse presses (a palette swatch, Picture1, ColorPicker).
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    void setColour(Colour c);
    Colour colour() const { return colour_; }
    // The swatch of the current colour is framed.
    void setMarked(bool marked);
    bool isMarked() const { return marked_; }

signals:
    // Button as the handlers number it: 1 left, 2 right, 4 middle.
    void mousePressed(int Button);
    void clicked();
    void colourChanged(Colour c);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Colour colour_;
    bool marked_ = false;
};

int vbButton(Qt::MouseButton button);
int vbButtons(Qt::MouseButtons buttons);

} // namespace torvo
