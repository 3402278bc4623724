#pragma once

#include "art/RichText.h"
#include "base/Result.h"
#include "files/RtfReader.h"
#include "palette/Palette.h"

#include <QByteArrayView>
#include <functional>
#include <optional>

namespace torvo {

// ANSI art as a terminal shows it.
struct AnsiArt {
    RichText text;
    // Cells whose background was not black: the text keeps no backgrounds.
    qsizetype backgroundCells = 0;
    int columns = 0; // where the lines wrapped
    bool utf8 = false;
};

// The terminal the art is played on: 25 rows like the PC's text screen, as wide as the
// SAUCE record says (80 columns without one), the rows that scroll off the top kept.
inline constexpr int AnsiRows = 25;
inline constexpr int AnsiColumns = 80;
inline constexpr int AnsiMaxColumns = 4000;

// Where the picture goes as it is played, for writing long art out without holding it
// whole: `take` gets the rows that became final, whole lines in order, each time at least
// `piece` positions wait and once more at the end. It says false to stop, which calls the
// read off. Pieces are small (64 KB of positions) so that the few on their way between a
// reader and a writer touch little fresh memory: each page first touched costs a fault.
struct PictureStream {
    std::function<bool(const RichText&)> take;
    qsizetype piece = 8 * 1024;
};

// Reads an ANSI art file: its SAUCE record and anything after a DOS end-of-file byte are
// left out, the bytes are UTF-8 when they are valid UTF-8 and code page 437 otherwise,
// and a terminal state machine plays them (cursor movement, saved cursor, clears, line
// wrap, colours with bold as bright). Each character takes the palette colour of its
// foreground; trailing blanks of every row and empty rows at the end are dropped, and
// every row ends with a line break. Fails when the picture has more than maxPositions
// positions; nullopt when called off. Text, line ends and colours alone are played
// without the state machine, to the same picture; `plain` false plays every file on it.
// With a stream the picture goes there and the art's text stays empty.
std::optional<Result<AnsiArt>> readAnsiArt(QByteArrayView file, const Palette& palette,
                                           int maxPositions = kRtfMaxPositions,
                                           const std::function<bool()>& cancelled = {}, bool plain = true,
                                           const PictureStream* stream = nullptr);

} // namespace torvo
