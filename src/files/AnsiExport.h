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

// Replaces every tag word (those of the vocabulary and "<lblack>") and every grave-accent
// code of the text by its escape sequence, as the rows of the conversion table would one
// after another. Converts str in place and returns it.
QString ANSIConvert(QString& str);

// The art as an ANSI art file's text (without the closing CR LF): the tag words of the
// palette colours at each change, CR LF line breaks, then ANSIConvert. Nullopt when
// cancelled, so nothing is written.
std::optional<QString> SalvarComoAnsi(const RichText& text, const Palette& palette,
                                      const std::function<bool()>& cancelled = {});

} // namespace torvo
