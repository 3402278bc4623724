#pragma once

#include "art/Colour.h"

#include <array>
#include <optional>

namespace torvo {

// The swatches' places: the top row (0) shows entries 1, 0, 2 ... 7 from the left, each
// bright colour above its dark partner in the bottom row (1), entries 8 ... 15.
constexpr int swatchAt(int row, int k) {
    constexpr int TopRow[8] = {1, 0, 2, 3, 4, 5, 6, 7};
    return row == 0 ? TopRow[k] : 8 + k;
}

// The window's 16 colours by index. Entry 8 is never assigned and stays black;
// entry 2 toggles between light and dark red.
class Palette {
public:
    static constexpr int Size = 16;
    static constexpr Colour LightRed{0x0000FF};
    static constexpr Colour DarkRed{0x000080};

    constexpr Palette() = default;

    constexpr Colour operator[](int i) const { return entries_[std::size_t(i)]; }
    // The colour a swatch shows: its entry, except swatch 1, which looks black.
    constexpr Colour displayColour(int i) const { return i == 1 ? colours::Black : entries_[std::size_t(i)]; }

    // Switches entry 2 between light and dark red.
    constexpr void toggleEntry2() { entries_[2] = entries_[2] == DarkRed ? LightRed : DarkRed; }

    // The first coded entry, in index order 0-7 then 9-15, whose current value is exactly c.
    constexpr std::optional<int> lookup(Colour c) const {
        for (int i = 0; i < Size; ++i)
            if (i != 8 && entries_[std::size_t(i)] == c) return i;
        return std::nullopt;
    }

    // The entry `step` places on from the current colour's, going round the 16 (black is
    // entry 8); from a colour the palette lacks, the first or the last entry.
    constexpr int stepped(Colour current, int step) const {
        const std::optional<int> at = current == colours::Black ? std::optional<int>(8) : lookup(current);
        if (!at) return step > 0 ? 0 : Size - 1;
        return ((*at + step) % Size + Size) % Size;
    }

    friend constexpr bool operator==(const Palette&, const Palette&) = default;

private:
    std::array<Colour, Size> entries_{Colour{0xFFFFFF}, Colour{0x808080}, LightRed,         Colour{0x00FFFF},
                                      Colour{0x00FF00}, Colour{0xFFFF00}, Colour{0xFF0000}, Colour{0xFF00FF},
                                      Colour{0x000000}, Colour{0xC0C0C0}, Colour{0x000080}, Colour{0x008080},
                                      Colour{0x008000}, Colour{0x808000}, Colour{0x800000}, Colour{0x800080}};
};

} // namespace torvo
