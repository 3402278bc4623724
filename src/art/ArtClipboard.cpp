#include "art/ArtClipboard.h"

#include "art/DocumentBridge.h"
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

#include <QMimeData>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace torvo {
namespace {

const QStringList RtfTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

QString rtfType(const QMimeData& source) {
    for (const QString& type : RtfTypes)
        if (source.hasFormat(type)) return type;
    return {};
}

} // namespace

std::unique_ptr<QMimeData> artMimeData(const RichText& piece, const QString& plainText, const QFont& font) {
    auto mime = std::make_unique<QMimeData>();
    mime->setText(plainText);
    QTextDocument document;
    document.setDefaultFont(font);
    QTextCharFormat base;
    base.setFont(font, QTextCharFormat::FontPropertiesAll);
    loadDocument(document, piece, base);
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    mime->setHtml(QTextDocumentFragment(all).toHtml());
    mime->setData(RtfTypes.front(), writeRtf(piece));
    return mime;
}

bool hasRtf(const QMimeData& source) {
    return !rtfType(source).isEmpty();
}

PastedArt readPastedArt(const QMimeData& source, Colour typing) {
    PastedArt pasted;
    const QString rtf = rtfType(source);
    if (!rtf.isEmpty()) {
        if (Result<RichText> read = readRtf(source.data(rtf))) {
            pasted.art = std::move(*read);
            return pasted;
        } else {
            pasted.problem =
                QStringLiteral("No se pudo leer el texto con formato pegado: %1").arg(read.why());
        }
    }
    if (source.hasHtml()) {
        QTextDocument document;
        document.setHtml(source.html());
        pasted.art = snapshotDocument(document, typing, false);
    } else if (source.hasText()) {
        pasted.art = RichText(typing);
        pasted.art->appendText(source.text(), typing);
    }
    return pasted;
}

} // namespace torvo
