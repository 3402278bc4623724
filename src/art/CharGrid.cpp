#include "art/CharGrid.h"

#include "art/LineEdits.h"
#include "art/RichText.h"

#include <algorithm>

namespace torvo {

QString Cell::text() const {
    QString s;
    if (hasChar) appendCodePoint(s, ch);
    return s;
}

void CharGrid::reset(int rows, int cols) {
    cols_ = cols < 0 ? 0 : cols;
    rows_.assign(std::size_t(rows < 0 ? 0 : rows), Row(std::size_t(cols_)));
}

void CharGrid::replaceRows(int at, int count, std::vector<Row> with) {
    for (Row& r : with)
        r.resize(std::size_t(cols_));
    spliceLines(rows_, at, count, std::move(with));
}

void CharGrid::setCols(int cols) {
    cols_ = cols < 0 ? 0 : cols;
    for (Row& r : rows_)
        r.resize(std::size_t(cols_));
}

} // namespace torvo
