#pragma once

#include <QObject>

namespace torvo {

class CharacterBox;
class ColorSwatch;
class GridView;
class MensajeEdit;

// Alt+click on a grid cell or a character of the text view takes its colour as the current
// colour and its character as the current character.
class Eyedropper : public QObject {
    Q_OBJECT
public:
    Eyedropper(GridView* grid, MensajeEdit* text, ColorSwatch* colour, CharacterBox* character);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridView* grid_;
    MensajeEdit* text_;
    ColorSwatch* colour_;
    CharacterBox* character_;
};

} // namespace torvo
