#include "art/CharGrid.h"

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
    rows_.assign(std::size_t(rows < 0 ? 0 : rows), Row());
}

void CharGrid::resize(int rows, int cols) {
    cols_ = cols < 0 ? 0 : cols;
    rows_.resize(std::size_t(rows < 0 ? 0 : rows));
    for (Row& row : rows_)
        if (row.size() > std::size_t(cols_)) row.resize(std::size_t(cols_));
}

bool operator==(const CharGrid& a, const CharGrid& b) {
    if (a.cols_ != b.cols_ || a.rows() != b.rows()) return false;
    for (int r = 0; r < a.rows(); ++r)
        for (int c = 0; c < a.cols_; ++c)
            if (!(a.at(r, c) == b.at(r, c))) return false;
    return true;
}

} // namespace torvo
