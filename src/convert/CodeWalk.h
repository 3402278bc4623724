#pragma once

#include "art/RichText.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// The walk shared by the tagged text, the keystroke string and the ANSI and HTML
// exports. A code is written only before a character that is not a space and whose
// code differs from the last one written; the two halves of a line break write the
// break text followed by the code in force once (the toggle runs over the whole text
// and is never reset), without changing the last written code.
struct CodeWalkPolicy {
    // The code of a colour, or nullopt when the colour has none (the code in force stays).
    std::function<std::optional<QString>(Colour)> codeOf;
    // Appends the text written for one character (never a line-break half).
    std::function<void(QString& out, char32_t ch)> appendChar;
    QString lineBreak;
    // Code in force and last written code at the start; nullopt is "no code".
    std::optional<QString> initialCode;
};

// Returns nullopt when `cancelled` turns true before a position (the window is closing).
std::optional<QString> walkCodes(const RichText& text, const CodeWalkPolicy& policy,
                                 const std::function<bool()>& cancelled = {});

} // namespace torvo
