#include "window/PaletteKeys.h"

#include "palette/Vocabulary.h"
#include "window/ColorSwatch.h"
#include "window/Form1.h"

#include <QLabel>
#include <QShortcut>
#include <QStatusBar>

namespace torvo {
namespace {

// The key of the swatch of entry `index`: its place in its row.
QString keyOf(int index) {
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 8; ++k)
            if (swatchAt(row, k) == index)
                return (row == 0 ? QStringLiteral("Alt+%1") : QStringLiteral("Alt+Mayús+%1")).arg(k + 1);
    return {};
}

} // namespace

PaletteKeys::PaletteKeys(Form1& form, const std::array<ColorSwatch*, 16>& swatches, ColorSwatch* current,
                         ColorSwatch* toggle, QStatusBar* statusBar)
    : QObject(&form), form_(form), swatches_(swatches), current_(current), label_(new QLabel) {
    label_->setObjectName(QStringLiteral("colorActual"));
    statusBar->addPermanentWidget(label_);
    auto shortcut = [this](QKeySequence keys, auto act) {
        auto* s = new QShortcut(keys, &form_);
        connect(s, &QShortcut::activated, this, act);
    };
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 8; ++k) {
            const int index = swatchAt(row, k);
            const auto digit = Qt::Key(Qt::Key_1 + k);
            shortcut(row == 0 ? QKeySequence(Qt::ALT | digit) : QKeySequence(Qt::ALT | Qt::SHIFT | digit),
                     [this, index] { form_.Color_MouseDown(index, 1); });
        }
    for (const int step : {1, -1}) {
        const auto arrow = step > 0 ? Qt::Key_Down : Qt::Key_Up;
        for (const QKeyCombination mods : {Qt::CTRL | arrow, Qt::CTRL | Qt::SHIFT | arrow})
            shortcut(QKeySequence(mods), [this, step] {
                form_.Color_MouseDown(form_.palette().stepped(form_.currentColour(), step), 1);
            });
    }
    connect(current_, &ColorSwatch::colourChanged, this, &PaletteKeys::refresh);
    connect(toggle, &ColorSwatch::clicked, this, &PaletteKeys::refresh);
    refresh();
}

void PaletteKeys::refresh() {
    const Palette& palette = form_.palette();
    const Colour now = current_->colour();
    const std::optional<int> at = now == colours::Black ? std::optional<int>(8) : palette.lookup(now);
    for (int i = 0; i < 16; ++i) {
        const QString tag = vocabulary::tagWord(i);
        swatches_[std::size_t(i)]->setToolTip(QStringLiteral("%1 — %2 — %3")
                                                  .arg(vocabulary::colourName(i, palette[i]),
                                                       tag.isEmpty() ? QStringLiteral("sin etiqueta") : tag,
                                                       keyOf(i)));
        swatches_[std::size_t(i)]->setMarked(at == i);
    }
    const QString name = at ? vocabulary::colourName(*at, now) : QStringLiteral("fuera de la paleta");
    label_->setText(QStringLiteral("Color: %1 (#%2)").arg(name).arg(now.toQColor().name().mid(1).toUpper()));
}

} // namespace torvo
