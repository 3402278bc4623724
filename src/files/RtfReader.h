#pragma once

#include "art/RichText.h"
#include "base/Result.h"

#include <QByteArrayView>

namespace torvo {

// Limits that keep hostile documents from exhausting the stack or the memory.
inline constexpr int kRtfMaxDepth = 1000;
inline constexpr int kRtfMaxPositions = 50'000'000;

// Reads an RTF document as word processors, browsers and other editors write it: the
// characters with their text colours (the automatic colour reads as black), paragraph
// and line ends as line breaks, section ends as the program that wrote the document
// shows them, unknown destinations skipped. The last line is returned
// as the document has it. The typing colour of the result is white. A document with more
// than maxPositions positions fails rather than exhaust the memory.
Result<RichText> readRtf(QByteArrayView rtf, int maxPositions = kRtfMaxPositions);

} // namespace torvo
