#pragma once

#include "send/KeyInterpreter.h"

#include <QtGlobal>
#include <optional>

namespace torvo {

// One key as every keyboard map names it: an X keysym (the numbers X11, XKB and the
// desktop portal share) and the modifiers held around it.
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

// The stroke for an action. Control characters other than Tab, Enter, Backspace and
// Escape (a pasted colour code 0x16, say) go as a terminal reads them: Ctrl with the
// letter or sign 0x40 above them. Nullopt for a key name no keyboard has.
std::optional<Stroke> strokeOf(const KeyAction& action);

} // namespace torvo
