#pragma once

#include "art/RichText.h"
#include "base/Result.h"
#include "files/OpenArt.h"
#include "image/PictureChoices.h"
#include "palette/Palette.h"

#include <QByteArrayView>
#include <QImage>
#include <QString>

class QIODevice;

namespace torvo {

// Pictures of more pixels are refused from their header, before anything is decoded;
// Qt's reader is held to the same bound as it decodes.
inline constexpr qint64 MaxPicturePixels = 64'000'000;

// The working size: a picture is read at most this many pixels across and down, which
// gives chafa its 8 × 8 pixels a cell for art up to 200 columns wide (wider art is drawn
// from fewer). Every conversion starts from the picture so read, made once: the dialog's
// preview converts it again at each change without reading or scaling the original again.
inline constexpr int WorkingSide = 1600;

// The first frame of a PNG, JPEG, GIF, BMP or WebP picture, told by its content, at its
// working size and in a pixel format chafa takes as it is (RGB32, or ARGB32 with alpha). Each failure is one
// line: not a picture, broken, too large (over maxPixels), empty.
Result<QImage> readPicture(QIODevice& device, qint64 maxPixels = MaxPicturePixels);
// Whether every chunk of a PNG ends within the device, as far as its end chunk (true for
// what is not a PNG, or a device that cannot seek). libpng allocates what a chunk claims
// before reading it: a few bytes claiming a gigabyte of text would take a gigabyte.
// Leaves the device where it was.
bool pngChunksFit(QIODevice& device);
// The same from a file; the failure's line names the file.
Result<QImage> readPictureFile(const QString& path);

// The art chafa draws from a picture: its 16-colour mode, foreground only (the art
// is characters on black), the chosen symbols and their fill, the chosen dithering,
// columns × cellSizeFor rows.
// chafa's colour numbers are terminal colours, 0-15 in the ANSI order; each becomes the
// palette entry of that terminal colour (the colour vocabulary's table, the one the ANSI
// reader maps with) in the palette's current colour. Black cells, transparent ones and
// blanks become spaces; every row ends with a line break, its trailing spaces left out.
RichText convertPicture(const QImage& working, const PictureChoices& choices, const Palette& palette);

// The status line of a conversion: "Imagen convertida: 80 × 37 caracteres."
QString pictureStatus(CellSize size);

// "Abrir" for a picture: read, converted with `choices`, and its status line.
Result<OpenedArt> openPictureFile(const QString& path, const Palette& palette, const PictureChoices& choices);

} // namespace torvo
