#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

// The art the export benchmarks run over: cols x rows characters, the colour moving to
// the next coded palette entry every 3 characters, with a few spaces and markup characters.
inline torvo::RichText exportSampleArt(int cols = 400, int rows = 1000) {
    static constexpr char Chars[] = "#@%&*+=-:.<>$O0X/\\|  ";
    const torvo::Palette palette;
    torvo::RichText art;
    art.reserve(std::size_t(cols + 2) * std::size_t(rows));
    int k = 0;
    for (int r = 0; r < rows; ++r) {
        if (r > 0) art.appendLineBreak();
        for (int c = 0; c < cols; ++c, ++k) {
            int entry = (k / 3) % 15;
            if (entry >= 8) ++entry; // entry 8 has no code
            art.append(char32_t(Chars[(k * 7 + r) % (sizeof(Chars) - 1)]), palette[entry]);
        }
    }
    return art;
}

// Art of every kind at once, for the whole-process timings: lines from 1 to `cols` long at
// random, a colour change every few characters, one character in ten outside ASCII (some of
// them outside code page 437) and colours outside the palette.
inline torvo::RichText variedSampleArt(int cols = 400, int rows = 1000, quint32 seed = 1) {
    static const char32_t Foreign[] = {U'á', U'ñ', U'Ü', U'█', U'▓',  U'░', U'─',
                                       U'╬', U'€', U'λ', U'Ж', U'日', U'☺'};
    static constexpr char Ascii[] = "#@%&*+=-:.<>$O0X/\\|  abcxyz";
    const torvo::Palette palette;
    quint32 x = seed;
    auto next = [&x](quint32 n) {
        x = x * 1664525u + 1013904223u;
        return (x >> 8) % n;
    };
    torvo::RichText art;
    torvo::Colour colour = palette[0];
    for (int r = 0; r < rows; ++r) {
        if (r > 0) art.appendLineBreak();
        const int length = 1 + int(next(quint32(cols)));
        for (int c = 0; c < length; ++c) {
            if (next(4) == 0) colour = next(5) == 0 ? torvo::Colour(next(0x1000000)) : palette[int(next(16))];
            const char32_t ch = next(10) == 0 ? Foreign[next(sizeof Foreign / sizeof *Foreign)]
                                              : char32_t(Ascii[next(sizeof Ascii - 1)]);
            art.append(ch, colour);
        }
    }
    return art;
}
