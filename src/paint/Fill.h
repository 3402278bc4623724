#pragma once

#include "art/CharGrid.h"
#include "art/Colour.h"

#include <QString>

namespace torvo {

// Colour fill step: gives colour Colr to every cell reachable from (column C, row R)
// through the eight neighbours over cells whose text is exactly str and whose colour
// is not yet Colr. Cells already of colour Colr stop the spread. Characters are left
// alone. MaxCols / MaxRows are exclusive bounds (never beyond the grid itself).
void SeFill(CharGrid& grid, int C, int R, const QString& str, Colour Colr, int MaxCols, int MaxRows);

// Colour fill seeded at every cell of the rectangle from (C, R) to (SC, SR), walked in
// the drag's direction (columns outer, rows inner); each seed uses the text its cell
// holds when the walk reaches it. Cells outside the grid are ignored.
void Fill(CharGrid& grid, int C, int R, int SC, int SR, Colour Colr);

// Character fill step: writes Wrd into every cell reachable from (C, R) over cells whose
// text is exactly str; nothing when str equals Wrd. An empty Wrd empties the cells.
// Colours are left alone. Only the first character of a longer Wrd is used.
void ReFill(CharGrid& grid, int C, int R, const QString& str, const QString& Wrd, int MaxCols, int MaxRows);

// Character fill seeded at every cell of the rectangle, as Fill.
void WFill(CharGrid& grid, int C, int R, int SC, int SR, const QString& Wrd);

// Whether a typed character goes into a cell: control codes (below 32, and 127) would
// break lines in the text view and act as keys when sent, so they do not. Surrogate
// halves and values beyond Unicode are not characters either.
bool isTypableCell(char32_t ch);

} // namespace torvo
