#pragma once

#include <QObject>
#include <array>

class QLabel;
class QStatusBar;

namespace torvo {

class ColorSwatch;
class Form1;

// The palette from the keyboard: Ctrl+Down and Ctrl+Up step the current colour through the
// 16 entries (on the grid, where Ctrl+arrows move the block, Ctrl+Shift+Down and Up), Alt+1
// ... Alt+8 choose the top row and Alt+Shift+1 ... Alt+Shift+8 the bottom row, each as a
// click on the swatch. Every swatch says its colour, tag word and key; the current colour's
// swatch is framed and named in the status bar.
class PaletteKeys : public QObject {
    Q_OBJECT
public:
    PaletteKeys(Form1& form, const std::array<ColorSwatch*, 16>& swatches, ColorSwatch* current,
                ColorSwatch* toggle, QStatusBar* statusBar);

    // The tooltips and the mark, after the colours changed.
    void refresh();

private:
    Form1& form_;
    std::array<ColorSwatch*, 16> swatches_;
    ColorSwatch* current_;
    QLabel* label_;
};

} // namespace torvo
