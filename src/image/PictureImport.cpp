#include "image/PictureImport.h"

#include "base/FileMessages.h"
#include "palette/Vocabulary.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <chafa.h>
#include <memory>

namespace torvo {
namespace {

const QByteArray Formats[] = {"png", "jpeg", "jpg", "gif", "bmp", "webp"};

QString notAPicture() {
    return QStringLiteral("no es una imagen que se pueda leer (PNG, JPEG, GIF, BMP o WebP).");
}
QString brokenPicture() {
    return QStringLiteral("la imagen está dañada o incompleta.");
}

template <class T, void (*Free)(T*)> struct Unref {
    void operator()(T* p) const { Free(p); }
};
using SymbolMap = std::unique_ptr<ChafaSymbolMap, Unref<ChafaSymbolMap, chafa_symbol_map_unref>>;
using CanvasConfig = std::unique_ptr<ChafaCanvasConfig, Unref<ChafaCanvasConfig, chafa_canvas_config_unref>>;
using Canvas = std::unique_ptr<ChafaCanvas, Unref<ChafaCanvas, chafa_canvas_unref>>;

ChafaDitherMode chafaDither(Dithering d) {
    switch (d) {
    case Dithering::Ordered:
        return CHAFA_DITHER_MODE_ORDERED;
    case Dithering::Diffusion:
        return CHAFA_DITHER_MODE_DIFFUSION;
    case Dithering::None:
        break;
    }
    return CHAFA_DITHER_MODE_NONE;
}

// A size brought within the working size, keeping its shape, at least a pixel each way.
QSize workingSize(QSize size) {
    if (size.width() <= WorkingSide && size.height() <= WorkingSide) return size;
    const QSize scaled = size.scaled(WorkingSide, WorkingSide, Qt::KeepAspectRatio);
    return {std::max(scaled.width(), 1), std::max(scaled.height(), 1)};
}

// Pixels chafa takes as they are, straight alpha: Qt's 32-bit ARGB words (and RGB32, whose
// alpha is always opaque), which lie in memory as their bytes fall.
QImage::Format chafaFormat(const QImage& image) {
    return image.format() == QImage::Format_RGB32 || !image.hasAlphaChannel() ? QImage::Format_RGB32
                                                                              : QImage::Format_ARGB32;
}
constexpr ChafaPixelType ChafaPixels = QSysInfo::ByteOrder == QSysInfo::LittleEndian
                                           ? CHAFA_PIXEL_BGRA8_UNASSOCIATED
                                           : CHAFA_PIXEL_ARGB8_UNASSOCIATED;

QString failureOf(const QImageReader& reader) {
    switch (reader.error()) {
    case QImageReader::UnsupportedFormatError:
        return notAPicture();
    case QImageReader::InvalidDataError:
        return brokenPicture();
    case QImageReader::DeviceError:
    case QImageReader::FileNotFoundError:
        return QStringLiteral("no se pudo leer el archivo.");
    default:
        return QStringLiteral("no se pudo leer la imagen.");
    }
}

} // namespace

bool pngChunksFit(QIODevice& device) {
    if (device.isSequential() || device.peek(8) != QByteArrayView(PngSignature)) return true;
    const qint64 start = device.pos();
    const qint64 end = device.size();
    bool fits = true;
    for (qint64 at = start + 8; fits && device.seek(at);) {
        const QByteArray head = device.read(8);
        if (head.size() < 8) {
            fits = head.isEmpty();
            break;
        }
        const quint32 length = qFromBigEndian<quint32>(head.constData());
        at += 12 + qint64(length);
        fits = length <= 0x7fffffff && at <= end;
        if (head.endsWith("IEND")) break;
    }
    device.seek(start);
    return fits;
}

Result<QImage> readPicture(QIODevice& device, qint64 maxPixels) {
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    // Qt's own bound on what one decode may allocate, in megabytes: 4 bytes a pixel.
    reader.setAllocationLimit(int(maxPixels * 4 / (1 << 20)) + 1);
    if (!reader.canRead() || !std::count(std::begin(Formats), std::end(Formats), reader.format()))
        return Failure{notAPicture()};
    if (!pngChunksFit(device)) return Failure{brokenPicture()};
    // The size from the header, before any pixel is decoded.
    const QSize size = reader.size();
    if (size.isValid() && (size.width() == 0 || size.height() == 0))
        return Failure{QStringLiteral("la imagen no tiene píxeles.")};
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels)
        return Failure{QStringLiteral("la imagen es demasiado grande: %1 × %2 píxeles (el máximo es %3 "
                                      "millones).")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(double(maxPixels) / 1000000, 0, 'g', 3)};
    // A JPEG is decoded straight at about that size, a fraction of the work.
    if (size.isValid() && workingSize(size) != size) reader.setScaledSize(workingSize(size));
    QImage image;
    if (!reader.read(&image)) return Failure{failureOf(reader)};
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return Failure{QStringLiteral("la imagen no tiene píxeles.")};
    // A GIF's frame may be larger than the size its header gives.
    if (workingSize(image.size()) != image.size())
        image = image.scaled(workingSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(chafaFormat(image));
}

Result<QImage> readPictureFile(const QString& path) {
    QFile file(path);
    errno = 0;
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return Failure{QStringLiteral("No se pudo abrir «%1»: %2")
                           .arg(shownPath(path), systemError(QFileInfo(path).isDir() ? EISDIR
                                                             : errno                 ? errno
                                                                                     : EACCES))};
    Result<QImage> picture = readPicture(file);
    if (!picture)
        return Failure{QStringLiteral("No se pudo abrir «%1»: %2").arg(shownPath(path), picture.why())};
    return picture;
}

RichText convertPicture(const QImage& picture, const PictureChoices& choices, const Palette& palette) {
    const QImage pixels = picture.convertToFormat(chafaFormat(picture));
    const CellSize size = cellSizeFor(pixels.size(), choices.columns);
    const SymbolSetName& set = symbolSetName(choices.symbols);
    const SymbolMap symbols(chafa_symbol_map_new());
    chafa_symbol_map_apply_selectors(symbols.get(), set.selectors, nullptr);
    // Foreground only, chafa still picks each cell as if it could paint a background, and
    // would leave a cell of one dark colour blank: its fill symbols draw that colour.
    const SymbolMap fill(chafa_symbol_map_new());
    chafa_symbol_map_apply_selectors(fill.get(), set.fill, nullptr);
    const CanvasConfig config(chafa_canvas_config_new());
    chafa_canvas_config_set_canvas_mode(config.get(), CHAFA_CANVAS_MODE_INDEXED_16);
    chafa_canvas_config_set_fg_only_enabled(config.get(), TRUE);
    chafa_canvas_config_set_symbol_map(config.get(), symbols.get());
    chafa_canvas_config_set_fill_symbol_map(config.get(), fill.get());
    chafa_canvas_config_set_dither_mode(config.get(), chafaDither(choices.dithering));
    chafa_canvas_config_set_geometry(config.get(), size.columns, size.rows);
    const Canvas canvas(chafa_canvas_new(config.get()));
    chafa_canvas_draw_all_pixels(canvas.get(), ChafaPixels, pixels.constBits(), pixels.width(),
                                 pixels.height(), int(pixels.bytesPerLine()));

    const Colour blank = palette[8];
    RichText art;
    for (int y = 0; y < size.rows; ++y) {
        int spaces = 0; // waiting: written only when a character follows them
        for (int x = 0; x < size.columns; ++x) {
            const gunichar c = chafa_canvas_get_char_at(canvas.get(), x, y);
            gint fg = -1, bg = -1;
            chafa_canvas_get_raw_colors_at(canvas.get(), x, y, &fg, &bg);
            const int entry = fg >= 0 && fg < 16 ? vocabulary::paletteEntryOfAnsiColour(fg) : 8;
            if (c == 0 || c == ' ' || entry == 8) {
                ++spaces;
                continue;
            }
            for (; spaces > 0; --spaces)
                art.append(U' ', blank);
            art.append(char32_t(c), palette[entry]);
        }
        art.appendLineBreak();
    }
    return art;
}

QString pictureStatus(CellSize size) {
    return QStringLiteral("Imagen convertida: %1 × %2 caracteres.").arg(size.columns).arg(size.rows);
}

Result<OpenedArt> openPictureFile(const QString& path, const Palette& palette,
                                  const PictureChoices& choices) {
    const Result<QImage> picture = readPictureFile(path);
    if (!picture) return picture.failure();
    return OpenedArt{convertPicture(*picture, choices, palette),
                     pictureStatus(cellSizeFor(picture->size(), choices.columns)), QString()};
}

} // namespace torvo
