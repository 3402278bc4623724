#pragma once

#include "base/Result.h"
#include "send/KeyInterpreter.h"

#include <QStringView>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace torvo {

// A key the keystroke language names ("{ENTER}"), with its X keysym (the numbers X11, XKB
// and the desktop portal share).
struct NamedKey {
    const char* name; // as the interpreter writes it in KeyAction::key
    quint32 keysym;
    std::array<const char*, 2> otherNames; // other spellings the language accepts
    char32_t control;                      // the control character typed as this key, or 0
};

// The one table of named keys: the interpreter reads names with it, the back ends type
// with it.
inline constexpr std::array<NamedKey, 26> NamedKeys{{
    {"ENTER", 0xff0d, {}, U'\r'},
    {"TAB", 0xff09, {}, U'\t'},
    {"ESC", 0xff1b, {"ESCAPE"}, 0x1B},
    {"BACKSPACE", 0xff08, {"BS", "BKSP"}, 0x08},
    {"DELETE", 0xffff, {"DEL"}, 0},
    {"INSERT", 0xff63, {"INS"}, 0},
    {"HOME", 0xff50, {}, 0},
    {"END", 0xff57, {}, 0},
    {"PGUP", 0xff55, {}, 0},
    {"PGDN", 0xff56, {}, 0},
    {"UP", 0xff52, {}, 0},
    {"DOWN", 0xff54, {}, 0},
    {"LEFT", 0xff51, {}, 0},
    {"RIGHT", 0xff53, {}, 0},
    {"F1", 0xffbe, {}, 0},
    {"F2", 0xffbf, {}, 0},
    {"F3", 0xffc0, {}, 0},
    {"F4", 0xffc1, {}, 0},
    {"F5", 0xffc2, {}, 0},
    {"F6", 0xffc3, {}, 0},
    {"F7", 0xffc4, {}, 0},
    {"F8", 0xffc5, {}, 0},
    {"F9", 0xffc6, {}, 0},
    {"F10", 0xffc7, {}, 0},
    {"F11", 0xffc8, {}, 0},
    {"F12", 0xffc9, {}, 0},
}};

// The named key a name stands for, in any letter case and any of its spellings; nullptr
// for a name no key has.
const NamedKey* findNamedKey(QStringView name);

// One key as every keyboard map names it: a keysym and the modifiers held around it.
struct Stroke {
    quint32 keysym = 0;
    int modifiers = 0;
    friend bool operator==(const Stroke&, const Stroke&) = default;
};

namespace keysyms {
inline constexpr quint32 ShiftL = 0xffe1;
inline constexpr quint32 ControlL = 0xffe3;
inline constexpr quint32 AltL = 0xffe9;
} // namespace keysyms

// The stroke for an action. Control characters other than those of the named keys (Tab,
// Enter for CR and LF, Backspace, Escape) go as a terminal reads them: Ctrl with the letter
// or sign 0x40 above them (a pasted colour code 0x16, say). Nullopt for a key name no
// keyboard has.
std::optional<Stroke> strokeOf(const KeyAction& action);

// The strokes of every action; a failure, before anything is typed, for a key name no
// keyboard has.
Result<std::vector<Stroke>> strokesOf(const std::vector<KeyAction>& actions);

} // namespace torvo
