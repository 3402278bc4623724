#include "files/SaveArt.h"

#include "base/FileMessages.h"
#include "convert/TextGrid.h"
#include "files/AtomicWrite.h"
#include "files/BitmapExport.h"
#include "files/ExportText.h"

#include <QFileInfo>

namespace torvo {
namespace {

Result<QByteArray> bitmapBytes(const QImage& image, const QString& path) {
    Result<QByteArray> bytes = encodeBitmap(image);
    if (!bytes)
        return Failure{QStringLiteral("No se pudo guardar «%1»: %2").arg(shownPath(path), bytes.why())};
    return bytes;
}

} // namespace

std::optional<Result<ArtBytes>> exportBytes(ExportFormat format, const RichText& art, const Palette& palette,
                                            const QString& path, const std::function<bool()>& cancelled) {
    if (format != ExportFormat::Bmp) return exportTextBytes(format, art, palette, path, cancelled);
    const std::optional<CharGrid> grid = RestaurarGrid(art, cancelled);
    if (!grid) return std::nullopt;
    const Result<QImage> image = renderArt(art, grid->cols(), grid->rows(), textImageFont());
    if (!image) return image.failure();
    Result<QByteArray> bytes = bitmapBytes(*image, path);
    if (!bytes) return bytes.failure();
    return ArtBytes{std::move(*bytes), QString()};
}

Result<QString> saveFile(const QString& path, const QByteArray& bytes, const QString& note) {
    const Result<void> written = writeFileAtomically(path, bytes);
    if (!written) return written.failure();
    return QStringLiteral("Guardado «%1».").arg(QFileInfo(path).fileName()) +
           (note.isEmpty() ? QString() : u' ' + note);
}

Result<QString> saveArtFile(const QString& path, const QByteArray& bytes, SaveFormat format) {
    const Result<QString> saved = saveFile(path, bytes);
    if (!saved || format == SaveFormat::Own) return saved;
    return QStringLiteral("Guardado como texto, sin colores: «%1».").arg(QFileInfo(path).fileName());
}

std::optional<Result<QString>> saveExport(ExportFormat format, const RichText& art, const Palette& palette,
                                          const QString& path, const std::function<bool()>& cancelled) {
    const std::optional<Result<ArtBytes>> file = exportBytes(format, art, palette, path, cancelled);
    if (!file) return std::nullopt;
    if (!*file) return file->failure();
    return saveFile(path, (*file)->bytes, (*file)->note);
}

Result<QString> saveBitmap(const QImage& image, const QString& path) {
    const Result<QByteArray> bytes = bitmapBytes(image, path);
    if (!bytes) return bytes.failure();
    return saveFile(path, *bytes);
}

} // namespace torvo
