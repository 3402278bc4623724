#pragma once

#include "art/RichText.h"
#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace torvo {

// The own art file keeps the colours (RTF payload); any other name gets plain text.
enum class SaveFormat { Own, Text };

// Own when the last three characters of the path, in any case, are "qcg".
SaveFormat formatForPath(const QString& path);

// The file as saved: a double quote, the payload, a double quote, CR LF. The payload is
// the RTF document for Own, the plain text in UTF-8 (CR LF line ends) for Text.
QByteArray encodeArtFile(const RichText& text, SaveFormat format);

struct LoadedArt {
    RichText text;
    bool rich = false;      // read from RTF, colours kept
    bool recognised = true; // false: no known shape, and control bytes no text file holds
};

// Opens any file the open command accepts: the own art file, a quoted text file, RTF or
// plain text. Plain text loses nothing: it is read as UTF-8 when valid, otherwise as
// Windows-1252, every line end becomes CR LF, the last line is terminated and all of
// it is white. Plain text that holds control bytes other than line ends, tabs, form feeds,
// escapes and end-of-file marks (NUL and the like) is opened all the same, as not
// recognised.
Result<LoadedArt> decodeArtFile(QByteArrayView bytes);

// Whether opening the file gives back `art` (its last line terminated, as the text view's
// working copy has it): every character with its colour.
bool reopensAs(QByteArrayView bytes, const RichText& art);

} // namespace torvo
