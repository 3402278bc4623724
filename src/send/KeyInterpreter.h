#pragma once

#include "base/Result.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace torvo {

// One step of typing: a character typed as itself, or a named key pressed, with the
// modifiers held down around it.
struct KeyAction {
    enum Kind { Type, Press } kind = Type;
    char32_t ch = 0; // Type
    QString key;     // Press: the key's name in the table of named keys (send/Keysyms.h)
    int modifiers = 0;

    static constexpr int Ctrl = 1;
    static constexpr int Shift = 2;
    static constexpr int Alt = 4;

    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

// The largest repeat count accepted in braces ("{LEFT 3}").
inline constexpr int MaxKeyRepeat = 1000;

// Reads a string in the keystroke language:
//  - ordinary characters are typed as themselves;
//  - "{x}" types any one character x literally ("{{}", "{}}", "{^}", "{~}", "{(}"...);
//  - "{ENTER}" and "~" press Enter; "{NAME}" presses a named key (any letter case, any of
//    its spellings in the table of named keys);
//  - "{x n}" / "{NAME n}" repeats it n times (0..MaxKeyRepeat);
//  - "^", "+", "%" hold Ctrl, Shift, Alt for the next key or the next group "(...)";
//  - "[" and "]" are reserved and rejected outside braces.
// A malformed string is rejected whole, with its fault and where it is.
Result<std::vector<KeyAction>> parseKeys(QStringView keys);

} // namespace torvo
