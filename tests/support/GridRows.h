#pragma once

#include "art/CharGrid.h"

#include <QStringList>

namespace torvo::test {

// The grid's rows as text, '_' for an empty cell.
inline QStringList rowsOf(const CharGrid& g) {
    QStringList out;
    for (int r = 0; r < g.rows(); ++r) {
        QString line;
        for (int c = 0; c < g.cols(); ++c)
            line += g.at(r, c).hasChar ? g.at(r, c).text() : QStringLiteral("_");
        out << line;
    }
    return out;
}

} // namespace torvo::test
