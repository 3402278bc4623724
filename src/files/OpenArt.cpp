#include "files/OpenArt.h"

#include "base/FileMessages.h"
#include "files/AnsiReader.h"
#include "files/ArtFile.h"
#include "files/AtomicWrite.h"

namespace torvo {
namespace {

struct Decoded {
    RichText text;
    QString note; // what the status line adds to "Abierto", empty when nothing
    bool recognised = true;
};

QString notRecognised(const QString& path) {
    return QStringLiteral("«%1» no es un archivo de Torvo: abierto como texto.").arg(shownPath(path));
}

// With a stream, ANSI art goes there as it is played and the decoded text stays empty.
std::optional<Result<Decoded>> decode(const QString& path, QByteArrayView bytes, const Palette& palette,
                                      int maxPositions, const std::function<bool()>& cancelled,
                                      const PictureStream* stream = nullptr) {
    if (isAnsiPath(path)) {
        std::optional<Result<AnsiArt>> art =
            readAnsiArt(bytes, palette, maxPositions, cancelled, true, stream);
        if (!art) return std::nullopt;
        if (!*art) return art->failure();
        Decoded decoded{std::move((*art)->text), QString()};
        if (const qsizetype cells = (*art)->backgroundCells; cells > 0)
            decoded.note = QStringLiteral("Se quitó el fondo de color de %1 %2: el texto no lleva fondos.")
                               .arg(cells)
                               .arg(cells == 1 ? QStringLiteral("celda") : QStringLiteral("celdas"));
        return decoded;
    }
    Result<LoadedArt> loaded = decodeArtFile(bytes);
    if (!loaded) return loaded.failure();
    return Decoded{std::move(loaded->text), QString(), loaded->recognised};
}

// The file decoded, with the failures "Abrir" reports.
std::optional<Result<Decoded>> decodeFile(const QString& path, QByteArrayView bytes, const Palette& palette,
                                          int maxPositions, const std::function<bool()>& cancelled,
                                          const PictureStream* stream = nullptr) {
    const QString name = shownPath(path);
    std::optional<Result<Decoded>> decoded = decode(path, bytes, palette, maxPositions, cancelled, stream);
    if (!decoded) return std::nullopt;
    if (!*decoded) return Failure{QStringLiteral("No se pudo abrir «%1»: %2").arg(name, decoded->why())};
    if (const int size = (*decoded)->text.size(); size > maxPositions)
        return Failure{
            QStringLiteral("«%1» es demasiado grande para editarlo: %2 caracteres (el máximo es %3).")
                .arg(name)
                .arg(size)
                .arg(maxPositions)};
    return decoded;
}

} // namespace

bool isAnsiPath(const QString& path) {
    return path.endsWith(QLatin1String(".ans"), Qt::CaseInsensitive);
}

std::optional<Result<OpenedArt>> openArtFile(const QString& path, const Palette& palette, int maxPositions,
                                             const std::function<bool()>& cancelled) {
    const Result<QByteArray> bytes = readWholeFile(path);
    if (!bytes) return bytes.failure();
    std::optional<Result<Decoded>> decoded = decodeFile(path, *bytes, palette, maxPositions, cancelled);
    if (!decoded) return std::nullopt;
    if (!*decoded) return decoded->failure();
    const QString& note = (*decoded)->note;
    if (!(*decoded)->recognised)
        return OpenedArt{std::move((*decoded)->text), notRecognised(path), notRecognised(path)};
    return OpenedArt{std::move((*decoded)->text),
                     QStringLiteral("Abierto «%1».").arg(shownPath(path)) +
                         (note.isEmpty() ? QString() : u' ' + note),
                     QString()};
}

std::optional<Result<QString>> streamArtFile(const QString& path, QByteArrayView bytes,
                                             const Palette& palette,
                                             const std::function<bool(const RichText&)>& take,
                                             int maxPositions) {
    const PictureStream stream{take};
    std::optional<Result<Decoded>> decoded = decodeFile(path, bytes, palette, maxPositions, {}, &stream);
    if (!decoded) return std::nullopt;
    if (!*decoded) return decoded->failure();
    // Art that is not played comes whole.
    const RichText& text = (*decoded)->text;
    if (!text.isEmpty() && !take(text)) return std::nullopt;
    return (*decoded)->recognised ? QString() : notRecognised(path);
}

} // namespace torvo
