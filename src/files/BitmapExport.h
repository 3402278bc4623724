#pragma once

#include "art/RichText.h"
#include "base/Result.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

namespace torvo {

// The picture's font: "Courier New" 8.25 pt, or a metric twin where it is missing.
QFont textImageFont();

// One character cell in pixels: the advance of a space by the height of a printed line.
QSize measureCell(const QFont& font);

// Pictures larger than this many pixels are refused.
inline constexpr qint64 MaxBitmapPixels = qint64(128) << 20;

// A picture of (MaxCols + 1) x (MaxRows + 1) cells on black, with the art's characters
// drawn from the top left in their colours: one text line per cell row, each character
// in its own cell column; blocks and box drawing as shapes that fill the cell to its edges
// (CellShapes). What falls outside the picture is cut off. A picture too large fails.
// Needs a QGuiApplication.
Result<QImage> renderArt(const RichText& text, int MaxCols, int MaxRows, const QFont& font);

// The picture as the bytes of a Windows BMP file.
Result<QByteArray> encodeBitmap(const QImage& image);

} // namespace torvo
