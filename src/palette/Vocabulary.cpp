#include "palette/Vocabulary.h"

#include <array>

namespace torvo::vocabulary {
namespace {

struct Entry {
    const char* tag;
    char letter;
    const char* send;
};

constexpr std::array<Entry, 16> Table{{
    {"<white>", 'w', "{^}W"},
    {"<black>", 'k', "{^}Z"},
    {"<red>", 'r', "{^}R"},
    {"<yellow>", 'y', "{^}Y"},
    {"<green>", 'g', "{^}G"},
    {"<cyan>", 'c', "{^}C"},
    {"<blue>", 'b', "{^}B"},
    {"<magenta>", 'm', "{^}M"},
    {"", 0, ""},
    {"<lwhite>", 'W', "^vW"},
    {"<lred>", 'R', "^vR"},
    {"<lyellow>", 'Y', "^vY"},
    {"<lgreen>", 'G', "^vG"},
    {"<lcyan>", 'C', "^vC"},
    {"<lblue>", 'B', "^vB"},
    {"<lmagenta>", 'M', "^vM"},
}};

bool coded(int index) {
    return index >= 0 && index < 16 && index != 8;
}

} // namespace

QString tagWord(int index) {
    return coded(index) ? QString::fromLatin1(Table[index].tag) : QString();
}

QString letterCode(int index) {
    if (!coded(index)) return {};
    QString s;
    s.append(QChar(0x16));
    s.append(QChar::fromLatin1(Table[index].letter));
    return s;
}

QString sendCode(int index) {
    return coded(index) ? QString::fromLatin1(Table[index].send) : QString();
}

} // namespace torvo::vocabulary
