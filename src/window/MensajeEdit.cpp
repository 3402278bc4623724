#include "window/MensajeEdit.h"

#include "art/DocumentBridge.h"
#include "files/RtfReader.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

namespace torvo {
namespace {

const QStringList RtfTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

QString rtfType(const QMimeData* source) {
    for (const QString& type : RtfTypes)
        if (source->hasFormat(type)) return type;
    return {};
}

} // namespace

MensajeEdit::MensajeEdit(QWidget* parent) : QPlainTextEdit(parent) {}

void MensajeEdit::setTextColour(Colour c) {
    QTextCharFormat format;
    format.setForeground(c.toQColor());
    mergeCurrentCharFormat(format);
}

Colour MensajeEdit::textColour() const {
    const QBrush brush = currentCharFormat().foreground();
    return brush.style() == Qt::NoBrush ? typing_ : Colour::fromQColor(brush.color());
}

QMimeData* MensajeEdit::createMimeDataFromSelection() const {
    // Copied art keeps its colours for programs that take rich text.
    QMimeData* mime = QPlainTextEdit::createMimeDataFromSelection();
    const QTextDocumentFragment fragment(textCursor());
    mime->setHtml(fragment.toHtml());
    return mime;
}

QFont MensajeEdit::artFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPointSizeF(8);
    return font;
}

QTextCharFormat MensajeEdit::artFormat() {
    QTextCharFormat format;
    format.setFont(artFont(), QTextCharFormat::FontPropertiesAll);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    return format;
}

bool MensajeEdit::canInsertFromMimeData(const QMimeData* source) const {
    return !rtfType(source).isEmpty() || source->hasUrls() || QPlainTextEdit::canInsertFromMimeData(source);
}

void MensajeEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasUrls() && !source->urls().isEmpty() && source->urls().front().isLocalFile()) {
        emit fileDropped(source->urls().front().toLocalFile());
        return;
    }
    RichText pasted(typing_);
    const QString rtf = rtfType(source);
    bool have = false;
    if (!rtf.isEmpty()) {
        QString error;
        if (auto read = readRtf(source->data(rtf), &error)) {
            pasted = std::move(*read);
            have = true;
        } else {
            emit pasteProblem(QStringLiteral("No se pudo leer el texto con formato pegado: %1").arg(error));
        }
    }
    if (!have && source->hasHtml()) {
        QTextDocument document;
        document.setHtml(source->html());
        pasted = snapshotDocument(document, textColour(), false);
        have = true;
    }
    if (!have && source->hasText()) {
        pasted.appendText(source->text(), textColour());
        have = true;
    }
    if (!have) return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertRichText(cursor, pasted, artFormat());
    cursor.endEditBlock();
    setTextCursor(cursor);
}

} // namespace torvo
