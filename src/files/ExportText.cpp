#include "files/ExportText.h"

#include "chat/IrcArt.h"
#include "files/AnsiFile.h"
#include "files/ArtFile.h"
#include "files/HtmlExport.h"

#include <QDate>

namespace torvo {

QByteArray encodeExport(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.append("\r\n", 2);
    return bytes;
}

std::optional<Result<ArtBytes>> exportTextBytes(ExportFormat format, const RichText& art,
                                                const Palette& palette, const QString& path,
                                                const std::function<bool()>& cancelled) {
    switch (format) {
    case ExportFormat::Ansi:
    case ExportFormat::AnsiUtf8: {
        const AnsiKind kind = format == ExportFormat::Ansi ? AnsiKind::CodePage437 : AnsiKind::Utf8;
        std::optional<AnsiFile> file =
            encodeAnsiFile(art, palette, kind, path, QDate::currentDate(), cancelled);
        if (!file) return std::nullopt;
        return ArtBytes{std::move(file->bytes), missingCharactersNote(file->missing)};
    }
    case ExportFormat::Html: {
        std::optional<QByteArray> page = htmlPageFile(art, cancelled);
        if (!page) return std::nullopt;
        return ArtBytes{std::move(*page), QString()};
    }
    case ExportFormat::Txt:
    case ExportFormat::Qcg:
        return ArtBytes{encodeArtFile(art, format == ExportFormat::Qcg ? SaveFormat::Own : SaveFormat::Text),
                        QString()};
    case ExportFormat::Irc:
        return ArtBytes{chat::ircFile(art, palette), QString()};
    case ExportFormat::Bmp:
        break;
    }
    return Failure{QStringLiteral("bmp no se escribe sin el editor.")};
}

} // namespace torvo
