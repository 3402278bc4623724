#pragma once

#include "art/Colour.h"
#include "palette/Palette.h"

#include <array>
#include <optional>

namespace torvo::chat {

// ---- IRC (mIRC colour codes) ----

// The mIRC colour (0-15) clients show a text-mode colour number (0-15) as.
int mircOfTextMode(int textMode);
// The text-mode number of a mIRC colour 0-15; nullopt for any other number.
std::optional<int> textModeOfMirc(int mirc);

// The colour a character is written in by the chat formats: its own when the palette holds
// it (black included), else the entry "Cambio Color" suggests for it, at its current value.
Colour paletteColourOf(Colour c, const Palette& palette);

// The mIRC colour of a character: the text-mode number of the palette colour it is written
// in. Entry 2 switched to dark red writes as dark red does.
int mircColourOf(Colour c, const Palette& palette);

// The colour IRC art's mIRC colour is read as: 0-15 the palette entry of their text-mode
// number, the extended colours 16-98 (by the RGB clients draw them in) the palette colour
// they would be written in, anything else (99, the client's default) white.
Colour colourOfMirc(int mirc, const Palette& palette);

// ---- Discord (```ansi code blocks) ----

struct DiscordColour {
    int sgr;       // 30-37
    Colour colour; // as Discord draws it
};

// The colours Discord draws SGR 30-37 in inside an ```ansi code block, and the block's
// background (dark theme), as Rebane's "Discord Colored Text Generator"
// (https://rebane2001.github.io/discord-colored-text-generator/) renders them from
// Discord's stylesheet; Discord's documentation gives no values.
inline constexpr std::array<DiscordColour, 8> DiscordColours{{
    {30, Colour::fromRgb(0x4F, 0x54, 0x5C)}, // grey
    {31, Colour::fromRgb(0xDC, 0x32, 0x2F)}, // red
    {32, Colour::fromRgb(0x85, 0x99, 0x00)}, // green
    {33, Colour::fromRgb(0xB5, 0x89, 0x00)}, // yellow
    {34, Colour::fromRgb(0x26, 0x8B, 0xD2)}, // blue
    {35, Colour::fromRgb(0xD3, 0x36, 0x82)}, // pink
    {36, Colour::fromRgb(0x2A, 0xA1, 0x98)}, // cyan
    {37, Colour::fromRgb(0xFF, 0xFF, 0xFF)}, // white
}};
inline constexpr Colour DiscordCodeBlock = Colour::fromRgb(0x2F, 0x31, 0x36);

// The Discord colour (an index of DiscordColours) of a colour: the nearest to the
// palette colour it is written in.
int discordColourOf(Colour c, const Palette& palette);

} // namespace torvo::chat
