#include "convert/ColourChange.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace torvo {

double Max(double inValA, double inValB) {
    return inValA > inValB ? inValA : inValB;
}

double Min(double inValA, double inValB) {
    return inValA < inValB ? inValA : inValB;
}

RGBTriple ColorToRGB(Colour c) {
    const std::uint32_t v = c.value();
    return {double(v % 256), double(v / 256 % 256), double(v / 65536 % 256)};
}

HLSTriple RGBToHLS(double R, double G, double B) {
    const double max = Max(R, Max(G, B));
    const double min = Min(R, Min(G, B));
    HLSTriple out{0, 0, 0};
    out.L = ((max + min) * 6 + 255) / 510;
    if (max == min) {
        out.S = 0;
        out.H = 4;
        return out;
    }
    if (out.L <= 3)
        out.S = ((max - min) * 6 + (max + min) / 2) / (max + min);
    else
        out.S = ((max - min) * 6 + (510 - max - min) / 2) / (510 - max - min);
    const double Rdelta = ((max - R) + (max - min) / 2) / (max - min);
    const double Gdelta = ((max - G) + (max - min) / 2) / (max - min);
    const double Bdelta = ((max - B) + (max - min) / 2) / (max - min);
    if (R == max)
        out.H = Bdelta - Gdelta;
    else if (G == max)
        out.H = 2 + Rdelta - Bdelta;
    else
        out.H = 4 + Gdelta - Rdelta;
    if (out.H < 0) out.H += 6;
    if (out.H > 6) out.H -= 6;
    return out;
}

Colour GetColor(Colour c, const Palette& palette) {
    static constexpr int Bright[7] = {2, 3, 4, 5, 6, 7, 2};
    static constexpr int Dark[7] = {10, 11, 12, 13, 14, 15, 10};
    const RGBTriple rgb = ColorToRGB(c);
    const HLSTriple hls = RGBToHLS(rgb.R, rgb.G, rgb.B);
    const int h = int(std::floor(hls.H + 0.5));
    // H stays within 0..6, so h is 0..6; guard anyway against an index outside the tables.
    const int hue = h < 0 ? 0 : h > 6 ? 6 : h;
    int entry = Bright[hue];
    if (!(hls.S > 3.0 && hls.L >= 2.5)) entry = Dark[hue];
    if (hls.S < 0.2) entry = 9;
    if (hls.L > 5.75) entry = 0;
    if (hls.L <= 1.0) entry = 1;
    return palette[entry];
}

std::optional<std::vector<Colour>> distinctColours(const RichText& text,
                                                   const std::function<bool()>& cancelled) {
    std::vector<Colour> list;
    std::unordered_set<std::uint32_t> listed;
    // The last two distinct colours met spare a list search inside a run of one colour
    // and in art that alternates between two colours.
    std::optional<Colour> newer, older;
    const int n = text.size();
    for (int i = 0; i <= n; ++i) {
        const Colour c = text.colourAt(i);
        if (c != newer && c != older) {
            older = newer;
            newer = c;
            if (listed.insert(c.value()).second) list.push_back(c);
        }
        if (cancelled && cancelled()) return std::nullopt;
    }
    return list;
}

bool applyColourChanges(RichText& text, const std::vector<ColourReplacement>& rows,
                        const std::function<bool()>& cancelled) {
    // The first row naming a colour wins, so later rows for the same colour are ignored.
    std::unordered_map<std::uint32_t, Colour> firstMatch;
    firstMatch.reserve(rows.size());
    for (const ColourReplacement& row : rows)
        firstMatch.emplace(row.from.value(), row.to);
    auto replacement = [&](Colour c) {
        const auto it = firstMatch.find(c.value());
        return it == firstMatch.end() ? std::optional<Colour>() : std::optional<Colour>(it->second);
    };

    if (text.isEmpty()) {
        // Only the end position: its colour is the one typing would use.
        if (const auto to = replacement(text.typingColour())) text.setTypingColour(*to);
        return !(cancelled && cancelled());
    }

    // The remembered old colour and its replacement: a run of one colour is looked up once.
    std::optional<Colour> oldColour;
    Colour newColour;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const Colour c = text.colourAt(i);
        if (c == oldColour) {
            text.setColour(i, newColour);
        } else if (const auto to = replacement(c)) {
            oldColour = c;
            newColour = *to;
            text.setColour(i, newColour);
        }
        if (cancelled && cancelled()) return false;
    }
    // The end position of a non-empty text reports the last position's colour, which has
    // just been recoloured; there is nothing else to change.
    return true;
}

} // namespace torvo
