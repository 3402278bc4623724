#pragma once

// The art the keystroke tests send, and the bytes a raw terminal reads for it.

#include "../support/WorkedExample.h"
#include "art/RichText.h"
#include "palette/Palette.h"
#include "send/KeyInterpreter.h"
#include "send/Keystrokes.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace torvo::test {

// What the raw terminal reads for the actions: UTF-8 for characters, control bytes
// for Ctrl+letter and the keys used here.
inline QByteArray bytesOf(const std::vector<KeyAction>& actions) {
    static const QHash<QString, QByteArray> named{
        {"ENTER", "\r"}, {"TAB", "\t"}, {"ESC", "\x1b"}, {"LEFT", "\x1b[D"}, {"F1", "\x1bOP"}};
    QByteArray out;
    for (const KeyAction& a : actions) {
        if (a.kind == KeyAction::Press) {
            if (!named.contains(a.key)) qFatal("no byte form for %s", qPrintable(a.key));
            out += named[a.key];
        } else if (a.modifiers == KeyAction::Ctrl) {
            out += char(a.ch & 0x1F);
        } else {
            QString s;
            appendCodePoint(s, a.ch);
            out += s.toUtf8();
        }
    }
    return out;
}

// Mixed art: ASCII (every escaped character included), accented letters, box drawing,
// blocks and other non-map characters, two beyond the 16-bit range, lines of varying length, colours from the
// palette, black and off the palette.
inline RichText mixedArt(int characters, quint32 seed) {
    const Palette palette;
    const QList<uint> pool =
        QStringLiteral(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                       "abcdefghijklmnopqrstuvwxyz{|}~"
                       "áéíóúñüÁÉÍÓÚÑÜçÇàèìòùÀÈÌÒÙâêîôûäëïöÿ¿¡€£¥©®°±µ"
                       "─│┌┐└┘├┤┬┴┼═║╔╗╚╝╠╣╦╩╬░▒▓█▀▄▌▐■"
                       "\U0001F600\U0001D11E")
            .toUcs4();
    const Colour extra[] = {colours::Black, Colour{0x123456}, Colour{0xFFFFFE}};
    quint32 x = seed;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    RichText art;
    int column = 0;
    for (int i = 0; i < characters; ++i) {
        const quint32 c = next() % 19;
        const Colour colour = c < 16 ? palette[int(c)] : extra[c - 16];
        art.append(char32_t(pool.at(qsizetype(next() % quint32(pool.size())))), colour);
        if (++column >= 40 + int(next() % 40)) {
            art.appendLineBreak();
            column = 0;
        }
    }
    art.appendLineBreak();
    return art;
}

// `distinct` CJK characters with a letter now and then, and the first 30 again once
// the keys they took were rebound.
inline QString distinctCharacters(int distinct) {
    QString text;
    for (int i = 0; i < distinct; ++i) {
        text += QChar(char16_t(0x4E00 + i));
        if (i % 7 == 0) text += QLatin1Char('a' + i % 26);
    }
    for (int i = 0; i < 30; ++i)
        text += QChar(char16_t(0x4E00 + i));
    return text;
}

// What a raw terminal reads for the worked example with its final line break, known by hand.
inline QByteArray workedExampleBytes() {
    return QByteArray::fromHex("5e574869205e525e0d5e5216476f6b0d1647");
}

// Keys and the bytes a raw terminal reads for them: the worked example and named keys with
// modifiers, known by hand, and mixed art from `seed`.
inline std::vector<std::pair<QString, QByteArray>> keyCases(quint32 seed) {
    const QString mixed = *buildKeystrokes(mixedArt(2000, seed), Palette());
    return {{*buildKeystrokes(workedExample(true), Palette()), workedExampleBytes()},
            {"{TAB}{ESC}^c+(ab){LEFT}{F1}~x{a 3}", "\t\x1b\x03"
                                                   "AB\x1b[D\x1bOP\rxaaa"},
            {mixed, bytesOf(*parseKeys(mixed))}};
}

} // namespace torvo::test
