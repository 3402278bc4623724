#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// What the keystroke string holds for one character: the characters the keystroke
// language reads as commands go between braces, the grave accent becomes an apostrophe,
// everything else is itself. Texto is compared whole (one character, or a surrogate pair).
QString IntercambiarSK(const QString& Texto);

// Appends the escaped form of one code point (the same table, without building a string).
void appendEscaped(QString& out, char32_t ch);

// The whole art as one keystroke string: the send code before every change of colour,
// "{ENTER}" and the code in force at every line break, each character escaped.
// Nullopt when `cancelled` turns true (the window is closing).
std::optional<QString> buildKeystrokes(const RichText& text, const Palette& palette,
                                       const std::function<bool()>& cancelled = {});

} // namespace torvo
