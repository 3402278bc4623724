#include "chat/ChatColours.h"

#include "convert/ColourChange.h"
#include "palette/Vocabulary.h"

#include <cmath>

namespace torvo::chat {
namespace {

// Text-mode number -> mIRC colour, the mapping IRC clients share (irssi reads it back the
// same way): 0 black -> 1, 1 blue -> 2, ..., 12 light red -> 4, 15 white -> 0.
constexpr std::array<int, 16> MircOfTextMode{1, 2, 3, 10, 5, 6, 7, 15, 14, 12, 9, 11, 4, 13, 8, 0};

// mIRC's extended colours 16-98 as 0xRRGGBB, as modern.ircdocs.horse lists them and irssi
// and HexChat draw them.
constexpr std::array<std::uint32_t, 83> MircExtended{
    0x470000, 0x472100, 0x474700, 0x324700, 0x004700, 0x00472C, 0x004747, 0x002747, 0x000047, 0x2E0047,
    0x470047, 0x47002A, 0x740000, 0x743A00, 0x747400, 0x517400, 0x007400, 0x007449, 0x007474, 0x004074,
    0x000074, 0x4B0074, 0x740074, 0x740045, 0xB50000, 0xB56300, 0xB5B500, 0x7DB500, 0x00B500, 0x00B571,
    0x00B5B5, 0x0063B5, 0x0000B5, 0x7500B5, 0xB500B5, 0xB5006B, 0xFF0000, 0xFF8C00, 0xFFFF00, 0xB2FF00,
    0x00FF00, 0x00FFA0, 0x00FFFF, 0x008CFF, 0x0000FF, 0xA500FF, 0xFF00FF, 0xFF0098, 0xFF5959, 0xFFB459,
    0xFFFF71, 0xCFFF60, 0x6FFF6F, 0x65FFC9, 0x6DFFFF, 0x59B4FF, 0x5959FF, 0xC459FF, 0xFF66FF, 0xFF59BC,
    0xFF9C9C, 0xFFD39C, 0xFFFF9C, 0xE2FF9C, 0x9CFF9C, 0x9CFFDB, 0x9CFFFF, 0x9CD3FF, 0x9C9CFF, 0xDC9CFF,
    0xFF9CFF, 0xFF94D3, 0x000000, 0x131313, 0x282828, 0x363636, 0x4D4D4D, 0x656565, 0x818181, 0x9F9F9F,
    0xBCBCBC, 0xE2E2E2, 0xFFFFFF,
};

// The entry of the start-up palette that holds a colour the palette can hold (entry 2's
// dark red is entry 10's colour).
int startUpEntryOf(Colour held) {
    static constexpr Palette StartUp;
    for (int i = 0; i < Palette::Size; ++i)
        if (StartUp[i] == held) return i;
    return 0;
}

struct OkLab {
    double L, a, b;
};

// Björn Ottosson's OKLab, from sRGB.
OkLab okLab(Colour c) {
    auto linear = [](int v) {
        const double x = v / 255.0;
        return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    const double r = linear(c.red()), g = linear(c.green()), b = linear(c.blue());
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

} // namespace

int mircOfTextMode(int textMode) {
    return MircOfTextMode[std::size_t(textMode & 15)];
}

std::optional<int> textModeOfMirc(int mirc) {
    for (int t = 0; t < 16; ++t)
        if (MircOfTextMode[std::size_t(t)] == mirc) return t;
    return std::nullopt;
}

Colour paletteColourOf(Colour c, const Palette& palette) {
    return palette.lookup(c) || c == palette[8] ? c : GetColor(c, palette);
}

int mircColourOf(Colour c, const Palette& palette) {
    return mircOfTextMode(vocabulary::textModeNumber(startUpEntryOf(paletteColourOf(c, palette))));
}

Colour colourOfMirc(int mirc, const Palette& palette) {
    if (const std::optional<int> textMode = textModeOfMirc(mirc)) {
        for (int i = 0; i < Palette::Size; ++i)
            if (vocabulary::textModeNumber(i) == *textMode) return palette[i];
    }
    if (mirc >= 16 && mirc <= 98) {
        const std::uint32_t rgb = MircExtended[std::size_t(mirc - 16)];
        return paletteColourOf(Colour::fromRgb(int(rgb >> 16), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)),
                               palette);
    }
    return palette[0];
}

int discordColourOf(Colour c, const Palette& palette) {
    // OKLab distance with the lightness counting half: Discord's eight are all of middling
    // lightness, so the art's colours are told apart by their hue (full OKLab takes grey
    // for cyan and dark red for grey).
    const OkLab from = okLab(paletteColourOf(c, palette));
    int best = 0;
    double bestDistance = 1e9;
    for (std::size_t i = 0; i < DiscordColours.size(); ++i) {
        const OkLab to = okLab(DiscordColours[i].colour);
        const double dL = (from.L - to.L) / 2, da = from.a - to.a, db = from.b - to.b;
        const double distance = dL * dL + da * da + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

} // namespace torvo::chat
