#include "window/ArtZoom.h"

#include "window/Grid1Model.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"
#include "window/Twips.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QSettings>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

namespace torvo {
namespace {

const QString ZoomKey = QStringLiteral("zoom");
constexpr std::array<int, 17> Steps{6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36, 40, 48};

} // namespace

ArtZoom::ArtZoom(QMainWindow* form, MensajeEdit* text, GridView* grid, Grid1Model* cells)
    : QObject(form), text_(text), grid_(grid), cells_(cells) {
    const std::pair<QKeySequence, int> keys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Plus), 1},
                                                 {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
                                                 {QKeySequence(Qt::CTRL | Qt::Key_Minus), -1},
                                                 {QKeySequence(Qt::CTRL | Qt::Key_0), 0}};
    for (const auto& [sequence, direction] : keys) {
        auto* shortcut = new QShortcut(sequence, form);
        const int d = direction;
        connect(shortcut, &QShortcut::activated, this, [this, d] { d ? step(d) : setPoints(Normal); });
    }
    text_->viewport()->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    setPoints(QSettings().value(ZoomKey, Normal).toInt());
}

void ArtZoom::setPoints(int points) {
    points_ = std::clamp(points, int(Smallest), int(Largest));
    QSettings().setValue(ZoomKey, points_);
    text_->setArtPoints(points_);
    // The grid's font and cells at the same scale as at 100 %.
    const double scale = double(points_) / Normal;
    QFont font = cells_->cellFont();
    font.setPointSizeF(8.25 * scale);
    cells_->setCellFont(font);
    for (auto [header, twips] :
         {std::pair(grid_->horizontalHeader(), 200), std::pair(grid_->verticalHeader(), 215)})
        header->setDefaultSectionSize(int(std::lround(tw(twips) * scale)));
}

void ArtZoom::step(int direction) {
    const auto next = direction > 0 ? std::upper_bound(Steps.begin(), Steps.end(), points_)
                                    : std::lower_bound(Steps.begin(), Steps.end(), points_);
    if (direction > 0 && next != Steps.end()) setPoints(*next);
    if (direction < 0 && next != Steps.begin()) setPoints(*(next - 1));
}

bool ArtZoom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() != 0) step(wheel->angleDelta().y() > 0 ? 1 : -1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace torvo
