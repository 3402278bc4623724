#include "send/Keysyms.h"

namespace torvo {
namespace {

// The named key a control character is typed as: Enter for CR and LF alike.
const NamedKey* keyOfControl(char32_t ch) {
    if (ch == U'\n') ch = U'\r';
    for (const NamedKey& k : NamedKeys)
        if (k.control != 0 && k.control == ch) return &k;
    return nullptr;
}

} // namespace

const NamedKey* findNamedKey(QStringView name) {
    auto is = [name](const char* spelling) {
        return spelling && name.compare(QLatin1StringView(spelling), Qt::CaseInsensitive) == 0;
    };
    for (const NamedKey& k : NamedKeys)
        if (is(k.name) || is(k.otherNames[0]) || is(k.otherNames[1])) return &k;
    return nullptr;
}

std::optional<Stroke> strokeOf(const KeyAction& a) {
    if (a.kind == KeyAction::Press) {
        const NamedKey* k = findNamedKey(a.key);
        if (!k) return std::nullopt;
        return Stroke{k->keysym, a.modifiers};
    }
    if (const NamedKey* k = keyOfControl(a.ch)) return Stroke{k->keysym, a.modifiers};
    if (a.ch < 0x20) {
        const char32_t base = a.ch + 0x40;
        return Stroke{quint32(base >= U'A' && base <= U'Z' ? base + 0x20 : base),
                      a.modifiers | KeyAction::Ctrl};
    }
    // Latin-1 keysyms are the code points; everything else has a Unicode keysym.
    if ((a.ch >= 0x20 && a.ch <= 0x7E) || (a.ch >= 0xA0 && a.ch <= 0xFF))
        return Stroke{quint32(a.ch), a.modifiers};
    return Stroke{0x01000000u | quint32(a.ch), a.modifiers};
}

Result<std::vector<Stroke>> strokesOf(const std::vector<KeyAction>& actions) {
    std::vector<Stroke> strokes;
    strokes.reserve(actions.size());
    for (const KeyAction& a : actions) {
        const std::optional<Stroke> s = strokeOf(a);
        if (!s) return Failure{QStringLiteral("Tecla desconocida «%1»: no se ha enviado nada.").arg(a.key)};
        strokes.push_back(*s);
    }
    return strokes;
}

} // namespace torvo
