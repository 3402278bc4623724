#pragma once

#include "art/LineEdits.h"
#include "art/RichText.h"

#include <optional>
#include <vector>

namespace torvo {

// One replaced stretch of the art: at `at`, `removed` gave way to `inserted`. Line breaks
// are never split.
struct ArtHunk {
    int at = 0;
    RichText removed;
    RichText inserted;
};

// What one change did to the art. The hunks are in order and do not overlap; each `at`
// counts in the new art. `lines` are the stretches of lines it replaced, one after the
// other, each counting in the art as the ones before it left it (also lines where only
// the derived colour of a line break changed); every other line is as it was.
struct ArtChange {
    std::vector<ArtHunk> hunks;
    std::vector<LineSpan> lines;

    bool touchesLines() const { return !lines.empty(); }
};

// The hunks that turn `before` into `after`, both placed at `base` of an art. Where both
// hold the same number of line breaks, each changed line is its own hunk, trimmed to what
// differs; otherwise one hunk runs from the first difference to the last.
std::vector<ArtHunk> diffArt(const RichText& before, const RichText& after, int base = 0);

// The hunks that take `hunks` back: each `at` counts in the art before them.
std::vector<ArtHunk> invertHunks(const std::vector<ArtHunk>& hunks);

// The lines that differ between two arts, colours of line breaks included; nullopt when
// the arts are the same.
std::optional<LineSpan> differingLines(const RichText& before, const RichText& after);

// Applies the hunks to the art, or takes them back.
void applyHunks(RichText& art, const std::vector<ArtHunk>& hunks, bool undo);

// Positions the hunks hold, removed and inserted together.
qsizetype hunkPositions(const std::vector<ArtHunk>& hunks);

} // namespace torvo
