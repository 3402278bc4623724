#include "paint/Block.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <array>

namespace torvo {
namespace {

struct MirrorPair {
    char32_t a, b;
    bool horizontal, vertical;
};

// The one table of mirror images: each pair swaps in the flips it is marked for.
constexpr std::array<MirrorPair, 44> Mirrors{{
    {U'/', U'\\', true, true}, {U'(', U')', true, false}, {U'[', U']', true, false},
    {U'{', U'}', true, false}, {U'<', U'>', true, false}, {U'«', U'»', true, false},
    {U'⌐', U'¬', true, false}, {U'◄', U'►', true, false}, {U'▲', U'▼', false, true},
    {U'↑', U'↓', false, true}, {U'←', U'→', true, false}, {U'⌠', U'⌡', false, true},
    {U'▌', U'▐', true, false}, {U'▀', U'▄', false, true}, {U'┌', U'┐', true, false},
    {U'└', U'┘', true, false}, {U'├', U'┤', true, false}, {U'┌', U'└', false, true},
    {U'┐', U'┘', false, true}, {U'┬', U'┴', false, true}, {U'╔', U'╗', true, false},
    {U'╚', U'╝', true, false}, {U'╠', U'╣', true, false}, {U'╔', U'╚', false, true},
    {U'╗', U'╝', false, true}, {U'╦', U'╩', false, true}, {U'╒', U'╕', true, false},
    {U'╘', U'╛', true, false}, {U'╞', U'╡', true, false}, {U'╒', U'╘', false, true},
    {U'╕', U'╛', false, true}, {U'╤', U'╧', false, true}, {U'╓', U'╖', true, false},
    {U'╙', U'╜', true, false}, {U'╟', U'╢', true, false}, {U'╓', U'╙', false, true},
    {U'╖', U'╜', false, true}, {U'╥', U'╨', false, true}, {U'▖', U'▗', true, false},
    {U'▘', U'▝', true, false}, {U'▖', U'▘', false, true}, {U'▗', U'▝', false, true},
    {U'╭', U'╮', true, false}, {U'╰', U'╯', true, false},
}};

Cell emptied(Cell cell) {
    cell.ch = 0;
    cell.hasChar = false;
    return cell;
}

constexpr quint32 CellsMagic = 0x746F7263; // "torc"

} // namespace

char32_t mirrored(char32_t ch, Flip flip) {
    for (const MirrorPair& m : Mirrors) {
        if (!(flip == Flip::Horizontal ? m.horizontal : m.vertical)) continue;
        if (ch == m.a) return m.b;
        if (ch == m.b) return m.a;
    }
    return ch;
}

CharGrid copyBlock(const CharGrid& grid, const Block& block) {
    CharGrid out(block.rows(), block.cols());
    for (int r = 0; r < block.rows(); ++r)
        for (int c = 0; c < block.cols(); ++c)
            if (grid.contains(block.top + r, block.left + c))
                out.at(r, c) = grid.at(block.top + r, block.left + c);
    return out;
}

void emptyBlock(CharGrid& grid, const Block& block) {
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            if (grid.contains(r, c) && grid.at(r, c).hasChar) grid.at(r, c) = emptied(grid.at(r, c));
}

void colourBlock(CharGrid& grid, const Block& block, Colour colour) {
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            if (grid.contains(r, c)) grid.setColour(r, c, colour);
}

void flipBlock(CharGrid& grid, const Block& block, Flip flip) {
    if (!block.inside(grid)) return;
    const CharGrid piece = copyBlock(grid, block);
    for (int r = 0; r < block.rows(); ++r)
        for (int c = 0; c < block.cols(); ++c) {
            const int fromR = flip == Flip::Vertical ? block.rows() - 1 - r : r;
            const int fromC = flip == Flip::Horizontal ? block.cols() - 1 - c : c;
            Cell cell = piece.at(fromR, fromC);
            if (cell.hasChar) cell.ch = mirrored(cell.ch, flip);
            if (!(grid.at(block.top + r, block.left + c) == cell))
                grid.at(block.top + r, block.left + c) = cell;
        }
}

bool moveBlock(CharGrid& grid, const Block& block, int dr, int dc) {
    const Block to{block.top + dr, block.left + dc, block.bottom + dr, block.right + dc};
    if (!block.inside(grid) || !to.inside(grid)) return false;
    const CharGrid piece = copyBlock(grid, block);
    emptyBlock(grid, block);
    for (int r = 0; r < piece.rows(); ++r)
        for (int c = 0; c < piece.cols(); ++c)
            grid.at(to.top + r, to.left + c) = piece.at(r, c);
    return true;
}

Result<void> pasteBlock(CharGrid& grid, const CharGrid& piece, int row, int col, qint64 maxPositions) {
    if (row < 0 || col < 0) return Failure{QStringLiteral("No hay celda donde pegar.")};
    const qint64 rows = std::max<qint64>(grid.rows(), qint64(row) + piece.rows());
    const qint64 cols = std::max<qint64>(grid.cols(), qint64(col) + piece.cols());
    if (rows * (cols + 2) > maxPositions)
        return Failure{
            QStringLiteral("No se pegó: la rejilla pasaría del tamaño máximo que se abre (%1 × %2).")
                .arg(rows)
                .arg(cols)};
    if (rows != grid.rows() || cols != grid.cols()) grid.resize(int(rows), int(cols));
    for (int r = 0; r < piece.rows(); ++r)
        for (int c = 0; c < piece.cols(); ++c)
            if (!(grid.at(row + r, col + c) == piece.at(r, c))) grid.at(row + r, col + c) = piece.at(r, c);
    return {};
}

QByteArray cellsData(const CharGrid& cells) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out << CellsMagic << qint32(cells.rows()) << qint32(cells.cols());
    for (int r = 0; r < cells.rows(); ++r)
        for (int c = 0; c < cells.cols(); ++c) {
            const Cell& cell = cells.at(r, c);
            out << quint32(cell.hasChar ? cell.ch : 0) << cell.hasChar << cell.colour.value();
        }
    return data;
}

Result<CharGrid> readCells(const QByteArray& data, qint64 maxPositions) {
    const Failure bad{QStringLiteral("Las celdas pegadas no se pueden leer.")};
    QDataStream in(data);
    quint32 magic = 0;
    qint32 rows = 0, cols = 0;
    in >> magic >> rows >> cols;
    // Nine bytes a cell: a short or forged header cannot make us reserve more than was given.
    if (in.status() != QDataStream::Ok || magic != CellsMagic || rows <= 0 || cols <= 0 ||
        qint64(rows) * (cols + 2) > maxPositions || qint64(rows) * cols * 9 > data.size())
        return bad;
    CharGrid cells(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            quint32 ch = 0, colour = 0;
            bool hasChar = false;
            in >> ch >> hasChar >> colour;
            if (in.status() != QDataStream::Ok || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF) ||
                colour > 0xFFFFFF)
                return bad;
            Cell& cell = cells.at(r, c);
            cell.hasChar = hasChar;
            cell.ch = hasChar ? char32_t(ch) : 0;
            cell.colour = Colour{colour};
        }
    return cells;
}

} // namespace torvo
