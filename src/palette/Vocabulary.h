#pragma once

#include <QString>

namespace torvo::vocabulary {

// The three textual forms of a coded palette entry (0-7, 9-15). Entry 8 has none:
// each function returns an empty string for it.
QString tagWord(int index);    // "<red>"
QString letterCode(int index); // 0x16 followed by the letter
QString sendCode(int index);   // "{^}R" or "^vR"

} // namespace torvo::vocabulary
