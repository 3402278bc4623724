#pragma once

#include "art/RichText.h"
#include "files/RtfReader.h"
#include "palette/Palette.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

namespace torvo {

struct OpenedArt {
    RichText text;
    QString note; // what the status line adds to "Abierto", empty when nothing
};

// ANSI art is told by its name: ".ans" in any letter case.
bool isAnsiPath(const QString& path);

// Any file "Abrir" takes: ANSI art by its name, else the own art file, RTF or plain text.
// The palette colours ANSI art; maxPositions bounds the picture it plays out. On failure
// returns nullopt with one Spanish line in error (none when cancelled).
std::optional<OpenedArt> openArtFile(const QString& path, QByteArrayView bytes, const Palette& palette,
                                     QString* error, int maxPositions = kRtfMaxPositions,
                                     const std::function<bool()>& cancelled = {});

} // namespace torvo
