#pragma once

#include "art/RichText.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

namespace torvo {

// The picture's font: "Courier New" 8.25 pt, or a metric twin where it is missing.
QFont textImageFont();

// One character cell in pixels: the advance of a space by the height of a printed line.
QSize measureCell(const QFont& font);

// Pictures larger than this many pixels are refused (renderArt returns a null image).
inline constexpr qint64 MaxBitmapPixels = qint64(128) << 20;

// A picture of (MaxCols + 1) x (MaxRows + 1) cells on black, with the art's characters
// drawn from the top left in their colours: one text line per cell row, each character
// in its own cell column. What falls outside the picture is cut off. Returns a null
// image when the picture would be too large. Needs a QGuiApplication.
QImage renderArt(const RichText& text, int MaxCols, int MaxRows, const QFont& font);

// Saves the picture as a Windows BMP file, replacing the file only once it is complete.
// Returns an empty string on success, otherwise one Spanish line for the status bar.
QString saveBitmap(const QImage& image, const QString& path);

} // namespace torvo
