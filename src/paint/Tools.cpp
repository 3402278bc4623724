#include "paint/Tools.h"

#include "paint/Fill.h"

namespace torvo {

void useTool(CharGrid& grid, Tool tool, int C, int R, int SC, int SR, Colour colour,
             const QString& character) {
    switch (tool) {
    case Tool::Lock:
        if (grid.contains(R, C)) grid.setColour(R, C, colour);
        break;
    case Tool::Fill:
        Fill(grid, C, R, SC, SR, colour);
        break;
    case Tool::XFill:
        WFill(grid, C, R, SC, SR, character);
        break;
    case Tool::None:
        break;
    }
}

} // namespace torvo
