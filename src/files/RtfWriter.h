#pragma once

#include "art/RichText.h"

#include <QByteArray>

namespace torvo {

// The art as a complete RTF document in pure ASCII: a font table, a colour table of the
// distinct colours, one \cfN per change of colour, each line break as \par, everything
// outside ASCII as \uN with a '?' fallback. A double quote is written as \'22 so the
// document can sit between the quotes of the own art file.
QByteArray writeRtf(const RichText& text);

} // namespace torvo
