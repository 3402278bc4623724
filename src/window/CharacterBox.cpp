#include "window/CharacterBox.h"

#include "base/CodePoints.h"

#include <QKeyEvent>

namespace torvo {

CharacterBox::CharacterBox(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto units = text.toUcs4();
        if (units.size() < 2) return;
        QString last;
        appendCodePoint(last, char32_t(units.back()));
        setText(last);
    });
}

void CharacterBox::setBackground(Colour c) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, c.toQColor());
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

void CharacterBox::keyPressEvent(QKeyEvent* event) {
    // Tab still moves the focus; every other key replaces the character.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    emit keyDown();
    QLineEdit::keyPressEvent(event);
}

} // namespace torvo
