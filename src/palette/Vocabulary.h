#pragma once

#include "art/Colour.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace torvo::vocabulary {

// The textual forms of the coded palette entries (0-7, 9-15), one table by entry. Entry 8
// has none: each of these returns an empty string for it.
QString tagWord(int index);    // "<red>"
QString letterCode(int index); // 0x16 followed by the letter
QString sendCode(int index);   // "{^}R" or "^vR"
// The entry's colour in Spanish ("rojo claro"), for entry 2 by its value now.
QString colourName(int index, Colour value);

// The terminal colour the ANSI conversion writes for a tag word, ESC "[" bold ";3" colour
// "m" read as 0-7 normal and 8-15 bold: every coded entry's tag word has one, and so has
// "<lblack>", entry 8's, which no conversion writes but the ANSI conversion reads.
std::optional<int> ansiColourOfTag(QStringView word);

// The entry's number in the PC's 16-colour text mode (0 black, 1 blue, 4 red, 15 white):
// the terminal colour above with red and blue swapped, the one place the two orders differ.
int textModeNumber(int index);

// The palette entry whose tag word stands for a terminal colour (0-15), so that reading an
// ANSI export gives its colours back; black (0) is entry 8.
int paletteEntryOfAnsiColour(int ansi);

} // namespace torvo::vocabulary
