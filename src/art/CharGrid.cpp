#include "art/CharGrid.h"

#include "art/RichText.h"

namespace torvo {

QString Cell::text() const {
    QString s;
    if (hasChar) appendCodePoint(s, ch);
    return s;
}

void CharGrid::reset(int rows, int cols) {
    rows_ = rows < 0 ? 0 : rows;
    cols_ = cols < 0 ? 0 : cols;
    cells_.assign(std::size_t(rows_) * std::size_t(cols_), Cell{});
}

} // namespace torvo
