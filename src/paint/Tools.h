#pragma once

#include "art/CharGrid.h"
#include "art/Colour.h"

#include <QString>

namespace torvo {

// The tool options of the grid.
enum class Tool { None, Lock, Fill, XFill };

// What a left click with `tool` does: from the current cell (C, R) to the selection's far
// corner (SC, SR), with the current colour and character. None does nothing (the click
// only moves the current cell); Lock colours the current cell; Fill and X Fill flood from
// every cell of the rectangle.
void useTool(CharGrid& grid, Tool tool, int C, int R, int SC, int SR, Colour colour,
             const QString& character);

} // namespace torvo
