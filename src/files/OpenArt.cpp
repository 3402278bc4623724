#include "files/OpenArt.h"

#include "files/AnsiReader.h"
#include "files/ArtFile.h"

namespace torvo {

bool isAnsiPath(const QString& path) {
    return path.endsWith(QLatin1String(".ans"), Qt::CaseInsensitive);
}

std::optional<OpenedArt> openArtFile(const QString& path, QByteArrayView bytes, const Palette& palette,
                                     QString* error, int maxPositions,
                                     const std::function<bool()>& cancelled) {
    OpenedArt opened;
    if (isAnsiPath(path)) {
        std::optional<AnsiArt> art = readAnsiArt(bytes, palette, error, maxPositions, cancelled);
        if (!art) return std::nullopt;
        opened.text = std::move(art->text);
        if (art->backgroundCells > 0)
            opened.note =
                QStringLiteral("Se quitó el fondo de color de %1 %2: el texto no lleva fondos.")
                    .arg(art->backgroundCells)
                    .arg(art->backgroundCells == 1 ? QStringLiteral("celda") : QStringLiteral("celdas"));
        return opened;
    }
    std::optional<LoadedArt> loaded = decodeArtFile(bytes, error);
    if (!loaded) return std::nullopt;
    opened.text = std::move(loaded->text);
    return opened;
}

} // namespace torvo
