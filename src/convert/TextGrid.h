#pragma once

#include "art/CharGrid.h"
#include "art/RichText.h"

#include <QChar>
#include <functional>
#include <optional>

namespace torvo {

// Measures the art for the grid: 'C' gives the length of the longest line, 'F' the
// number of line breaks (at least 1); both are 1 for an empty text.
int GridMayor(const RichText& text, QChar Atributo);

// The grid of a text: one row per line, one cell per character with its colour.
// Nullopt when cancelled (the window is closing).
std::optional<CharGrid> RestaurarGrid(const RichText& text, const std::function<bool()>& cancelled = {});

// The text of a grid: empty cells before a character become spaces in that character's
// colour, trailing empty cells are dropped, every row ends with a line break. The text
// starts in `typing` colour (what a line break takes when no character came before it).
// Nullopt when cancelled at the start of a row.
std::optional<RichText> RestaurarMensaje(const CharGrid& grid, Colour typing,
                                         const std::function<bool()>& cancelled = {});
// Appends row r of the grid as RestaurarMensaje writes it, its line break included.
void appendGridRow(RichText& text, const CharGrid& grid, int r);

} // namespace torvo
