#pragma once

#include "art/CharGrid.h"
#include "art/Colour.h"
#include "base/Result.h"

#include <QByteArray>

namespace torvo {

// A rectangle of grid cells, corners included, whichever way it was dragged.
struct Block {
    int top = 0, left = 0, bottom = 0, right = 0;

    static Block between(int r0, int c0, int r1, int c1) {
        return {std::min(r0, r1), std::min(c0, c1), std::max(r0, r1), std::max(c0, c1)};
    }
    int rows() const { return bottom - top + 1; }
    int cols() const { return right - left + 1; }
    bool inside(const CharGrid& grid) const {
        return top >= 0 && left >= 0 && bottom < grid.rows() && right < grid.cols();
    }
    friend bool operator==(const Block&, const Block&) = default;
};

enum class Flip { Horizontal, Vertical };

// The character that shows `ch` mirrored left to right (Horizontal) or top to bottom
// (Vertical): / and \, ( and ), ▌ and ▐, ┌ and ┐ ... or ▀ and ▄, ┌ and └ ...; a character
// without a mirror image is its own.
char32_t mirrored(char32_t ch, Flip flip);

// The cells of the block as a grid of its size.
CharGrid copyBlock(const CharGrid& grid, const Block& block);
// The block's cells lose their characters; their colours stay, as Delete leaves them.
void emptyBlock(CharGrid& grid, const Block& block);
// Every cell of the block takes the colour.
void colourBlock(CharGrid& grid, const Block& block, Colour colour);
// The block mirrored in place, each character by its mirror image.
void flipBlock(CharGrid& grid, const Block& block, Flip flip);
// Moves the block by (dr, dc): what it leaves is emptied, what it covers overwritten. A
// move past the grid's edge does nothing; false then.
bool moveBlock(CharGrid& grid, const Block& block, int dr, int dc);
// Writes `piece` with its top left at (row, col), growing the grid where it passes the
// edge; refused, the grid untouched, when the grown grid's art would pass `maxPositions`
// (a line break counts two, as in a file).
Result<void> pasteBlock(CharGrid& grid, const CharGrid& piece, int row, int col, qint64 maxPositions);

// The cells as our own clipboard type carries them, and read back: anything malformed is
// a failure (the paste then takes the rich or plain text beside it).
inline constexpr char CellsMimeType[] = "application/x-torvo-cells";
QByteArray cellsData(const CharGrid& cells);
Result<CharGrid> readCells(const QByteArray& data, qint64 maxPositions);

} // namespace torvo
