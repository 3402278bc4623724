#include "window/Eyedropper.h"

#include "window/CharacterBox.h"
#include "window/ColorSwatch.h"
#include "window/Grid1Model.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"

#include <QMouseEvent>

namespace torvo {

Eyedropper::Eyedropper(GridView* grid, MensajeEdit* text, ColorSwatch* colour, CharacterBox* character)
    : QObject(colour), grid_(grid), text_(text), colour_(colour), character_(character) {
    grid_->viewport()->installEventFilter(this);
    text_->viewport()->installEventFilter(this);
}

bool Eyedropper::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return false;
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::LeftButton || !(press->modifiers() & Qt::AltModifier)) return false;
    const QPoint at = press->position().toPoint();
    std::optional<Cell> taken;
    if (watched == grid_->viewport()) {
        const QModelIndex i = grid_->indexAt(at);
        const CharGrid& g = static_cast<const Grid1Model*>(grid_->model())->grid();
        if (i.isValid() && g.contains(i.row(), i.column())) taken = g.at(i.row(), i.column());
    } else {
        taken = text_->characterAt(at);
    }
    // A click beside the art takes nothing, and does nothing else either.
    if (!taken) return true;
    colour_->setColour(taken->colour);
    character_->setBackground(taken->colour);
    if (taken->hasChar) character_->setText(taken->text());
    return true;
}

} // namespace torvo
