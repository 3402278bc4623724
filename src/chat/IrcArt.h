#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace torvo::chat {

inline constexpr char16_t MircColour = 0x03;

// The art as IRC lines with mIRC colour codes, each code \x03 FF ",01": two-digit foreground
// (so that a digit after it is never read as part of it) and black background (so that the
// art looks as drawn in clients with a light theme too). A line starts with the code of its
// first character that is not a space (white when it has none); after that a code comes
// only before a character that is not a space and whose code differs from the last one
// written. An empty line is its code and a space, which clients do not drop. The empty line
// after a final line break is not a line.
QStringList ircLines(const RichText& art, const Palette& palette);

// The lines as IRC art archives keep them: UTF-8, each line ending with CR LF.
QByteArray ircFile(const RichText& art, const Palette& palette);

// A ".irc" name, in any letter case.
bool isIrcPath(const QString& path);

// Text that holds mIRC colour codes.
bool hasIrcCodes(QStringView text);

struct IrcArt {
    RichText text;
    qsizetype backgroundCells = 0; // characters drawn on a background other than black
};

// Reads IRC art as irssi and HexChat show it (where they differ, as HexChat and mIRC do).
// Each line starts white, as each message does: \x03 with one or two digits sets the
// foreground, a comma and one or two digits after it the background (also with no
// foreground: "\x03,5"), \x03 without digits and \x0F go back to white; a third digit or a
// comma without digits after it is text; \x02, \x1D, \x1F and \x16 are left out. Foregrounds
// are read with colourOfMirc; backgrounds are dropped and counted. A line that is only a
// space is an empty line (as ircLines writes one); every line ends with a line break, and
// text with no characters at all is empty art.
IrcArt readIrcArt(QStringView text, const Palette& palette);

} // namespace torvo::chat
