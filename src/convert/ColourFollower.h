#pragma once

#include "art/Colour.h"
#include "art/LineEdits.h"
#include "art/RichText.h"

#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace torvo {

// Keeps the list of distinct colours (distinctColours of the art) change by change: each
// line's own colours are read again only when it changed, and the lines that hold each
// colour are counted, so that a colour leaves the list with its last line and the order
// of first appearance is looked for again only when it can have changed.
class ColourFollower {
public:
    // Lines of the art changed (in this order) since the list was last brought up to date.
    void note(const LineEdits& changed);
    void forget() { built_ = false; }

    // The list for the art as it is now. Nullopt when cancelled (nothing is taken as done).
    std::optional<std::vector<Colour>> update(const RichText& art,
                                              const std::function<bool()>& cancelled = {});

private:
    struct Tally {
        int lines = 0;
        unsigned seen = 0; // the last search of the order that met it
    };
    // Puts the colours in order of first appearance, looking from `line` on, after those
    // already in order_.
    void order(int line);

    bool built_ = false;
    LineEdits pending_;
    std::vector<std::vector<Colour>> lines_;
    std::unordered_map<std::uint32_t, Tally> tally_;
    std::vector<Colour> order_;
    // The line where the last colour of order_ first appears.
    int horizon_ = -1;
    unsigned search_ = 0;
};

} // namespace torvo
