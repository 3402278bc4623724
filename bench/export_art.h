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
