// The picture import on arbitrary bytes as a picture file: no crash, no hang, no decode
// beyond the pixel bound; a picture read is at most the working size, and chafa draws it
// as rows of the width asked for, each ended by a line break.
#include "image/PictureImport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

using namespace torvo;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt finds its JPEG, GIF and WebP readers through the application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    // A few bytes may claim the largest picture allowed, whose decode takes seconds under
    // the sanitizers: a smaller bound keeps each run within the hang limit, over the working size.
    const Result<QImage> picture = readPicture(file, qint64(WorkingSide) * WorkingSide * 2);
    if (!picture) {
        if (picture.why().isEmpty()) std::abort();
        return 0;
    }
    const QImage::Format format = picture->format();
    if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32) || picture->width() < 1 ||
        picture->height() < 1 || picture->width() > WorkingSide || picture->height() > WorkingSide)
        std::abort();
    // Few columns, so that a run spends its time reading pictures rather than drawing them.
    const int columns = MinColumns + int(size % 9);
    const CellSize cells = cellSizeFor(picture->size(), columns);
    const RichText art =
        convertPicture(*picture, {columns, SymbolSet(size % 4), Dithering(size % 3)}, Palette());
    if (art.lineCount() - 1 != cells.rows || !art.endsWithLineBreak()) std::abort();
    return 0;
}
