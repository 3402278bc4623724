#pragma once

#include "art/ArtChange.h"
#include "art/CharGrid.h"
#include "art/LineEdits.h"
#include "art/RichText.h"

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace torvo {

// What brings a grid up to date: a whole new grid, or rows replaced and a new width.
struct GridPatch {
    struct Splice {
        int at = 0;      // counts in the grid as the splices before left it
        int removed = 0; // rows
        std::vector<CharGrid::Row> rows;
    };
    std::optional<CharGrid> whole;
    std::vector<Splice> splices; // in order
    int cols = 0;

    // Applies the patch to a grid (a model announces each step as it applies it).
    void applyTo(CharGrid& grid) const;
};

// Keeps a grid equal to RestaurarGrid of the art, change by change: only the rows of the
// lines that changed, and of the rows edited in the grid itself, are built again. It
// also writes edited rows back into the art, as RestaurarMensaje of the whole grid would.
class GridFollower {
public:
    // Lines of the art changed (in this order) since it was last brought up to date.
    void note(const LineEdits& changed);
    // Rows whose cells were edited in the grid: they no longer show their lines.
    void edited(std::vector<int> rows);
    // Starts afresh at the next update.
    void forget() { built_ = false; }

    // Brings `grid`, the grid last patched with what this gave, up to date with the art.
    // Nullopt when cancelled (nothing is taken as done).
    std::optional<GridPatch> update(const RichText& art, const CharGrid& grid,
                                    const std::function<bool()>& cancelled = {});

    // The hunks that turn the art into RestaurarMensaje(grid, typing), made only of the
    // rows edited since the grid was brought up to date. Nullopt when the art changed
    // meanwhile or most rows were edited: then the whole grid is to be written.
    std::optional<std::vector<ArtHunk>> writeBack(const CharGrid& grid, const RichText& art,
                                                  Colour typing) const;

private:
    std::optional<GridPatch> rebuild(const RichText& art, const std::function<bool()>& cancelled);
    void count(int length, int delta);

    bool built_ = false;
    bool artChanged_ = false;
    LineEdits pending_;
    // The length of every line of the art, and how many lines have each length.
    std::vector<int> lengths_;
    std::map<int, int> lengthCount_;
    int rows_ = 0;
    int cols_ = 0;
};

} // namespace torvo
