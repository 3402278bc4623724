#pragma once

#include <QColor>
#include <QRect>

class QPainter;

namespace torvo {

// Block elements (U+2580-U+259F) and box drawing (U+2500-U+257F), drawn as terminals draw
// them: shapes that reach the cell's edges where the character does, so that neighbouring
// cells join without seams. A font's glyphs for them are smaller than a cell that is as
// high as a line and as wide as a space, and leave gaps between the cells.
bool isCellShape(char32_t ch);

// Draws ch in the cell; false, drawing nothing, for any other character. The shades'
// patterns are laid on the painter's own grid, so neighbouring shades tile.
bool drawCellShape(QPainter& painter, char32_t ch, const QRect& cell, const QColor& colour);

} // namespace torvo
