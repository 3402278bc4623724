// The keystroke interpreter on arbitrary strings, and the keystroke string of arbitrary
// art read back by the interpreter.
#include "send/KeyInterpreter.h"
#include "send/Keystrokes.h"
#include "send/Keysyms.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace torvo;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// A pressed key carries its own name in the table, whatever spelling was read.
bool knownKey(const QString& key) {
    const NamedKey* k = findNamedKey(key);
    return k && key == QLatin1String(k->name);
}

void parseAnything(QStringView keys) {
    const Result<std::vector<KeyAction>> actions = parseKeys(keys);
    if (!actions) {
        check(!actions.why().isEmpty() && !actions.why().contains(QLatin1Char('\n')));
        return;
    }
    for (const KeyAction& a : *actions) {
        check(a.modifiers >= 0 && a.modifiers <= 7);
        if (a.kind == KeyAction::Type) {
            check(a.ch <= 0x10FFFF && !(a.ch >= 0xD800 && a.ch <= 0xDFFF));
            check(a.key.isEmpty());
        } else {
            check(knownKey(a.key));
        }
    }
}

// Art from the text, each character coloured by the next byte: the keystroke string
// must always parse, and give back every character (a grave accent as an apostrophe).
void roundTrip(const QString& text, const std::uint8_t* colours, std::size_t n) {
    const Palette palette;
    RichText art;
    art.appendText(text, colours::Black);
    for (int p = 0; p < art.size(); ++p) {
        const std::uint8_t b = n ? colours[std::size_t(p) % n] : 0;
        if (!art.isLineBreak(p)) art.setColour(p, b < 16 ? palette[b] : Colour{b * 0x010101u});
    }
    const QString keys = *buildKeystrokes(art, palette);
    const auto actions = parseKeys(keys);
    check(actions.ok());

    // Without codes (all black) the actions are exactly the characters and breaks.
    RichText plain(colours::Black); // a leading break takes the typing colour
    plain.appendText(text, colours::Black);
    const auto plainActions = parseKeys(*buildKeystrokes(plain, palette));
    check(plainActions.ok() && int(plainActions->size()) <= plain.size());
    std::size_t i = 0;
    for (int p = 0; p < plain.size(); ++p) {
        if (plain.isLineBreak(p)) {
            ++p; // one Enter per break
            check((*plainActions)[i].kind == KeyAction::Press &&
                  (*plainActions)[i].key == QLatin1String("ENTER"));
        } else {
            const char32_t want = plain.charAt(p) == U'`' ? U'\'' : plain.charAt(p);
            check((*plainActions)[i].kind == KeyAction::Type && (*plainActions)[i].ch == want &&
                  (*plainActions)[i].modifiers == 0);
            QString one;
            appendCodePoint(one, plain.charAt(p));
            QString viaTable;
            appendEscaped(viaTable, plain.charAt(p));
            check(IntercambiarSK(one) == viaTable);
        }
        ++i;
    }
    check(i == plainActions->size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    if (mode % 3 == 0) {
        parseAnything(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    } else if (mode % 3 == 1) {
        // Raw UTF-16, lone surrogates included.
        std::vector<char16_t> units(size / 2);
        if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
        parseAnything(QStringView(units.data(), qsizetype(units.size())));
    } else {
        const std::size_t half = size / 2;
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(half));
        roundTrip(text, data + half, size - half);
    }
    return 0;
}
