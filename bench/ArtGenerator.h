#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

namespace torvo::bench {

// Art of cols x rows printable characters, the colour changing every `run` characters
// through the palette, every line ended by a line break.
inline RichText makeArt(int cols, int rows, int run = 3) {
    static const char16_t chars[] = u"#@*+=-:.oO%&$abcXYZ█░▒▓";
    const int nchars = int(std::size(chars)) - 1;
    const Palette palette;
    RichText t;
    t.reserve(std::size_t(rows) * std::size_t(cols + 2));
    int k = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c, ++k)
            t.append(chars[(r * 7 + c) % nchars], palette[(k / run) % 16]);
        t.appendLineBreak();
    }
    return t;
}

} // namespace torvo::bench
