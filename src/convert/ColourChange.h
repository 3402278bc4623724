#pragma once

#include "art/Colour.h"
#include "art/RichText.h"
#include "palette/Palette.h"

#include <functional>
#include <optional>
#include <vector>

namespace torvo {

struct RGBTriple {
    double R, G, B;
};

// H in sixths of the colour circle (0 red .. 5 magenta, 0-6), L from 0.5 (black) to 6.5
// (white), S from 0 to 6.5.
struct HLSTriple {
    double H, L, S;
};

double Max(double inValA, double inValB);
double Min(double inValA, double inValB);
RGBTriple ColorToRGB(Colour c);
HLSTriple RGBToHLS(double R, double G, double B);
// The palette colour suggested for c: its hue picks the colour, lightness and saturation
// pick bright, dark, light grey, white or grey. Returns the entry's current value.
Colour GetColor(Colour c, const Palette& palette);

// The distinct colours of the art in order of first appearance, over every position and
// the end position (which reports the colour in force at the end). Nullopt when cancelled.
std::optional<std::vector<Colour>> distinctColours(const RichText& text,
                                                   const std::function<bool()>& cancelled = {});

struct ColourReplacement {
    Colour from, to;
};

// Recolours every position: the first row whose `from` equals the colour gives the new
// colour; a colour no row names is kept. An empty text has only its end position, so the
// typing colour is recoloured instead. False when cancelled (the text is then partly
// recoloured).
bool applyColourChanges(RichText& text, const std::vector<ColourReplacement>& rows,
                        const std::function<bool()>& cancelled = {});

} // namespace torvo
