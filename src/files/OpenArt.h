#pragma once

#include "art/RichText.h"
#include "base/Result.h"
#include "files/RtfReader.h"
#include "palette/Palette.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// What "Abrir" gives: the art, and the status line that says so ("Abierto «x».", with a
// note on what the art could not keep). A file that was not recognised says so instead,
// and `warning` holds that line for the command line.
struct OpenedArt {
    RichText text;
    QString status;
    QString warning;
};

// ANSI art is told by its name: ".ans" in any letter case.
bool isAnsiPath(const QString& path);

// The open command without its dialog: reads the file (at most 512 MB) and decodes it,
// ANSI art by its name, else the own art file, RTF or plain text. The palette colours ANSI
// art. Art of more than maxPositions positions is refused. A failure's line names the
// file; nullopt when called off (only ANSI art is played long enough to be).
std::optional<Result<OpenedArt>> openArtFile(const QString& path, const Palette& palette,
                                             int maxPositions = kRtfMaxPositions,
                                             const std::function<bool()>& cancelled = {});

// The same decoding of a file's bytes (read with readWholeFile) for writing the art out
// without holding it whole: `take` gets it in order, whole lines at a time, ANSI art as
// its rows are played. Fails as openArtFile does; nullopt when `take` said false. The
// value is the warning of a file that was not recognised (empty when it was).
std::optional<Result<QString>> streamArtFile(const QString& path, QByteArrayView bytes,
                                             const Palette& palette,
                                             const std::function<bool(const RichText&)>& take,
                                             int maxPositions = kRtfMaxPositions);

} // namespace torvo
