#pragma once

#include "art/RichText.h"

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace torvo {

// Limits that keep hostile documents from exhausting the stack or the memory.
inline constexpr int kRtfMaxDepth = 1000;
inline constexpr int kRtfMaxPositions = 50'000'000;

// Reads an RTF document as word processors, browsers and other editors write it: the
// characters with their text colours (the automatic colour reads as black), paragraph
// and line ends as line breaks, section ends as the program that wrote the document
// shows them, unknown destinations skipped. The last line is returned
// as the document has it. The typing colour of the result is white. On failure returns
// nullopt and, when error is given, one Spanish line saying why. A document with more
// than maxPositions positions fails rather than exhaust the memory.
std::optional<RichText> readRtf(QByteArrayView rtf, QString* error, int maxPositions = kRtfMaxPositions);

} // namespace torvo
