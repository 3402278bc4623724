#include "palette/Vocabulary.h"

#include <array>

namespace torvo::vocabulary {
namespace {

struct Entry {
    const char16_t* tag;
    char letter;
    const char* send;
    int ansi; // 0-7 normal, 8-15 bold
};

constexpr std::array<Entry, 16> Table{{
    {u"<white>", 'w', "{^}W", 15},
    {u"<black>", 'k', "{^}Z", 8},
    {u"<red>", 'r', "{^}R", 9},
    {u"<yellow>", 'y', "{^}Y", 11},
    {u"<green>", 'g', "{^}G", 10},
    {u"<cyan>", 'c', "{^}C", 14},
    {u"<blue>", 'b', "{^}B", 12},
    {u"<magenta>", 'm', "{^}M", 13},
    {u"<lblack>", 0, "", 0}, // read by the ANSI conversion only
    {u"<lwhite>", 'W', "^vW", 7},
    {u"<lred>", 'R', "^vR", 1},
    {u"<lyellow>", 'Y', "^vY", 3},
    {u"<lgreen>", 'G', "^vG", 2},
    {u"<lcyan>", 'C', "^vC", 6},
    {u"<lblue>", 'B', "^vB", 4},
    {u"<lmagenta>", 'M', "^vM", 5},
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
