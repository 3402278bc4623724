#pragma once

#include "art/RichText.h"
#include "files/ExportText.h"
#include "palette/Palette.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// ESC "[2J": clears the terminal's screen.
QString clrScr();

// Replaces every tag word and every grave-accent code of the text by its escape
// sequence, row by row of the conversion table. Converts str in place and returns it.
QString ANSIConvert(QString& str);

// The art as an ANSI art file's text (without the closing CR LF): the tag words of the
// palette colours at each change, CR LF line breaks, then ANSIConvert. Nullopt when
// cancelled, so nothing is written.
std::optional<QString> SalvarComoAnsi(const RichText& text, const Palette& palette,
                                      const std::function<bool()>& cancelled = {});

// The palette entry a terminal colour stands for (0-7 normal, 8-15 bright): the entry
// whose tag word the export writes as that colour, so reading an export gives its colours
// back. Black (0) is entry 8, which has no tag word.
int paletteEntryOfAnsiColour(int ansi);

} // namespace torvo
