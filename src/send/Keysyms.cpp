#include "send/Keysyms.h"

#include <array>

namespace torvo {
namespace {

struct NamedKeysym {
    const char* name;
    quint32 keysym;
};

constexpr std::array<NamedKeysym, 26> Named{{
    {"ENTER", 0xff0d},  {"TAB", 0xff09},  {"ESC", 0xff1b},  {"BACKSPACE", 0xff08}, {"DELETE", 0xffff},
    {"INSERT", 0xff63}, {"HOME", 0xff50}, {"END", 0xff57},  {"PGUP", 0xff55},      {"PGDN", 0xff56},
    {"UP", 0xff52},     {"DOWN", 0xff54}, {"LEFT", 0xff51}, {"RIGHT", 0xff53},     {"F1", 0xffbe},
    {"F2", 0xffbf},     {"F3", 0xffc0},   {"F4", 0xffc1},   {"F5", 0xffc2},        {"F6", 0xffc3},
    {"F7", 0xffc4},     {"F8", 0xffc5},   {"F9", 0xffc6},   {"F10", 0xffc7},       {"F11", 0xffc8},
    {"F12", 0xffc9},
}};

quint32 keysymOfChar(char32_t ch) {
    switch (ch) {
    case U'\t':
        return 0xff09;
    case U'\r':
    case U'\n':
        return 0xff0d;
    case 0x08:
        return 0xff08;
    case 0x1B:
        return 0xff1b;
    default:
        break;
    }
    // Latin-1 keysyms are the code points; everything else has a Unicode keysym.
    if ((ch >= 0x20 && ch <= 0x7E) || (ch >= 0xA0 && ch <= 0xFF)) return quint32(ch);
    return 0x01000000u | quint32(ch);
}

} // namespace

std::optional<Stroke> strokeOf(const KeyAction& a) {
    if (a.kind == KeyAction::Press) {
        for (const NamedKeysym& k : Named)
            if (a.key == QLatin1StringView(k.name)) return Stroke{k.keysym, a.modifiers};
        return std::nullopt;
    }
    if (a.ch < 0x20 && a.ch != U'\t' && a.ch != U'\r' && a.ch != U'\n' && a.ch != 0x08 && a.ch != 0x1B) {
        const char32_t base = a.ch + 0x40;
        return Stroke{quint32(base >= U'A' && base <= U'Z' ? base + 0x20 : base),
                      a.modifiers | KeyAction::Ctrl};
    }
    return Stroke{keysymOfChar(a.ch), a.modifiers};
}

} // namespace torvo
