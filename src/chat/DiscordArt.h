#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QStringList>

namespace torvo::chat {

// The most characters a Discord message holds.
inline constexpr int DiscordMessageLimit = 2000;

struct DiscordBlocks {
    QStringList blocks;     // each one message: "```ansi", LF, the lines, LF, "```"
    bool lineSplit = false; // a line longer than a block was split inside it
};

// The art as ```ansi code blocks: each character in the nearest of Discord's colours
// (ESC "[3Xm" before a character that is not a space and whose colour differs from the one
// in force; each block starts with none), the lines split among the fewest blocks of at
// most `limit` characters (UTF-16 units, fences, line feeds and escape characters counted:
// never more than Discord counts). A line that fits no block goes on from one block into
// the next, inside the line. The empty line after a final line break is not a line.
DiscordBlocks discordBlocks(const RichText& art, const Palette& palette, int limit = DiscordMessageLimit);

// The art as Discord shows it: each character in the Discord colour it is written in.
RichText discordPreview(const RichText& art, const Palette& palette);

} // namespace torvo::chat
