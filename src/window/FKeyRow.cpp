#include "window/FKeyRow.h"

#include "base/CodePoints.h"
#include "paint/Fill.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPainter>
#include <QSettings>
#include <QShortcut>
#include <QToolBar>

namespace torvo {
namespace {

const QString SetKey = QStringLiteral("teclasF/juego");
const QString OwnKey = QStringLiteral("teclasF/propio");
constexpr int CellSize = 26, CellHeight = 30;

QString textOf(char32_t ch) {
    QString s;
    appendCodePoint(s, ch);
    return s;
}

} // namespace

FKeyRow::FKeyRow(QMainWindow* form, GridView* grid, QWidget* text)
    : QWidget(form), grid_(grid), text_(text), sets_(new QComboBox(form)) {
    setObjectName(QStringLiteral("teclasF"));
    sets_->setObjectName(QStringLiteral("juegoTeclasF"));
    sets_->setFocusPolicy(Qt::NoFocus);
    for (const CharacterSet& set : BuiltInSets)
        sets_->addItem(QString::fromUtf16(set.name));
    sets_->addItem(QString::fromUtf16(OwnSetName));
    setFocusPolicy(Qt::ClickFocus);
    setFont(MensajeEdit::artFont());
    auto* bar = new QToolBar(QStringLiteral("Teclas F"), form);
    bar->setObjectName(QStringLiteral("barraTeclasF"));
    bar->setMovable(false);
    bar->addWidget(sets_);
    bar->addWidget(this);
    form->addToolBar(Qt::BottomToolBarArea, bar);
    // The window's inner area keeps its size.
    form->resize(form->width(), form->height() + bar->sizeHint().height());
    for (int k = 0; k < 10; ++k) {
        auto* key = new QShortcut(QKeySequence(Qt::Key(Qt::Key_F1 + k)), form);
        connect(key, &QShortcut::activated, this, [this, k] { press(k); });
    }
    const QSettings settings;
    own_ = ownSetOfSetting(settings.value(OwnKey).toString());
    connect(sets_, &QComboBox::currentIndexChanged, this, &FKeyRow::chooseSet);
    chooseSet(std::clamp(settings.value(SetKey, 0).toInt(), 0, OwnSet));
}

void FKeyRow::chooseSet(int index) {
    sets_->setCurrentIndex(index);
    characters_ = index == OwnSet ? own_ : BuiltInSets[std::size_t(index)].characters;
    editing_ = -1;
    QSettings().setValue(SetKey, index);
    setToolTip(index == OwnSet ? QStringLiteral("F1 … F10. Clic en una casilla y una tecla: su carácter.")
                               : QStringLiteral("F1 … F10 escriben estos caracteres."));
    update();
}

void FKeyRow::press(int k) {
    // The key's character as typed: the view's own typing takes it.
    const QString ch = textOf(characters_[std::size_t(k)]);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
    if (grid_->isVisible()) {
        QCoreApplication::sendEvent(grid_, &key);
        const int next = grid_->Col() + 1;
        if (next < grid_->model()->columnCount()) grid_->setCurrentCell(grid_->Row(), next);
    } else if (text_->isVisible()) {
        QCoreApplication::sendEvent(text_, &key);
    }
}

QRect FKeyRow::cellRect(int k) const {
    return {k * CellSize, 0, CellSize - 2, CellHeight};
}

QSize FKeyRow::sizeHint() const {
    return {10 * CellSize, CellHeight};
}

void FKeyRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont small = font();
    small.setPointSizeF(6);
    small.setBold(false);
    QFont big = font();
    big.setPointSizeF(11);
    for (int k = 0; k < 10; ++k) {
        const QRect r = cellRect(k);
        painter.fillRect(r, Qt::black);
        painter.setPen(k == editing_ ? QColor(255, 64, 255) : QColor(96, 96, 96));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(QColor(160, 160, 160));
        painter.setFont(small);
        painter.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("F%1").arg(k + 1));
        painter.setPen(Qt::white);
        painter.setFont(big);
        painter.drawText(r.adjusted(0, 8, 0, 0), Qt::AlignCenter, textOf(characters_[std::size_t(k)]));
    }
}

void FKeyRow::mousePressEvent(QMouseEvent* event) {
    const int k = int(event->position().x()) / CellSize;
    if (k < 0 || k >= 10) return;
    // A cell of the own set takes the next character typed; one of another set types its own.
    if (sets_->currentIndex() != OwnSet) {
        press(k);
        return;
    }
    editing_ = k;
    setFocus(Qt::MouseFocusReason);
    update();
}

void FKeyRow::keyPressEvent(QKeyEvent* event) {
    const auto units = event->text().toUcs4();
    if (editing_ < 0 || units.size() != 1 || !isTypableCell(units.front())) {
        if (event->key() == Qt::Key_Escape) editing_ = -1, update();
        return QWidget::keyPressEvent(event);
    }
    own_[std::size_t(editing_)] = units.front();
    characters_ = own_;
    QSettings().setValue(OwnKey, ownSetSetting(own_));
    editing_ = -1;
    update();
}

void FKeyRow::focusOutEvent(QFocusEvent* event) {
    editing_ = -1;
    update();
    QWidget::focusOutEvent(event);
}

} // namespace torvo
