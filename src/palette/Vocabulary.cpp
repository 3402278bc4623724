#include "palette/Vocabulary.h"

#include "palette/Palette.h"

#include <array>

namespace torvo::vocabulary {
namespace {

struct Entry {
    const char16_t* tag;
    char letter;
    const char* send;
    int ansi;             // 0-7 normal, 8-15 bold
    const char16_t* name; // what the swatch's tooltip calls it
};

constexpr std::array<Entry, 16> Table{{
    {u"<white>", 'w', "{^}W", 15, u"blanco"},
    {u"<black>", 'k', "{^}Z", 8, u"gris oscuro"},
    {u"<red>", 'r', "{^}R", 9, u"rojo claro"},
    {u"<yellow>", 'y', "{^}Y", 11, u"amarillo"},
    {u"<green>", 'g', "{^}G", 10, u"verde claro"},
    {u"<cyan>", 'c', "{^}C", 14, u"cian claro"},
    {u"<blue>", 'b', "{^}B", 12, u"azul claro"},
    {u"<magenta>", 'm', "{^}M", 13, u"magenta claro"},
    {u"<lblack>", 0, "", 0, u"negro"}, // read by the ANSI conversion only
    {u"<lwhite>", 'W', "^vW", 7, u"gris claro"},
    {u"<lred>", 'R', "^vR", 1, u"rojo oscuro"},
    {u"<lyellow>", 'Y', "^vY", 3, u"amarillo oscuro"},
    {u"<lgreen>", 'G', "^vG", 2, u"verde oscuro"},
    {u"<lcyan>", 'C', "^vC", 6, u"cian oscuro"},
    {u"<lblue>", 'B', "^vB", 4, u"azul oscuro"},
    {u"<lmagenta>", 'M', "^vM", 5, u"magenta oscuro"},
}};

bool coded(int index) {
    return index >= 0 && index < 16 && index != 8;
}

} // namespace

QString tagWord(int index) {
    return coded(index) ? QString::fromUtf16(Table[std::size_t(index)].tag) : QString();
}

QString letterCode(int index) {
    if (!coded(index)) return {};
    QString s;
    s.append(QChar(0x16));
    s.append(QChar::fromLatin1(Table[std::size_t(index)].letter));
    return s;
}

QString colourName(int index, Colour value) {
    if (index < 0 || index >= 16) return {};
    // Entry 2 is light or dark red, as toggled.
    if (index == 2 && value == Palette::DarkRed) return colourName(10, value);
    return QString::fromUtf16(Table[std::size_t(index)].name);
}

QString sendCode(int index) {
    return coded(index) ? QString::fromLatin1(Table[std::size_t(index)].send) : QString();
}

std::optional<int> ansiColourOfTag(QStringView word) {
    for (const Entry& e : Table)
        if (word == QStringView(e.tag)) return e.ansi;
    return std::nullopt;
}

int textModeNumber(int index) {
    const int ansi = Table[std::size_t(index)].ansi;
    return (ansi & 0b1010) | (ansi & 1) << 2 | (ansi & 4) >> 2;
}

int paletteEntryOfAnsiColour(int ansi) {
    for (std::size_t i = 0; i < Table.size(); ++i)
        if (Table[i].ansi == ansi) return int(i);
    return 8;
}

} // namespace torvo::vocabulary
