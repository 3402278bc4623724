#include "convert/GridFollower.h"

#include "convert/TextGrid.h"

#include <algorithm>

namespace torvo {
namespace {

int lineEnd(const RichText& art, int line) {
    return line + 1 < art.lineCount() ? art.lineStart(line + 1) : art.size();
}

// The characters of a line, without its line break.
int lineLength(const RichText& art, int line) {
    int n = 0;
    for (int p = art.lineStart(line), end = lineEnd(art, line); p < end; ++p)
        n += !art.isLineBreak(p);
    return n;
}

CharGrid::Row lineCells(const RichText& art, int line) {
    CharGrid::Row row;
    for (int p = art.lineStart(line), end = lineEnd(art, line); p < end; ++p)
        if (!art.isLineBreak(p)) row.push_back({art.charAt(p), true, art.colourAt(p)});
    return row;
}

} // namespace

void GridPatch::applyTo(CharGrid& grid) const {
    if (whole) {
        grid = *whole;
        return;
    }
    if (cols > grid.cols()) grid.setCols(cols);
    for (const Splice& s : splices)
        grid.replaceRows(s.at, s.removed, s.rows);
    if (cols < grid.cols()) grid.setCols(cols);
}

void GridFollower::note(const LineEdits& changed) {
    if (changed.empty()) return;
    pending_.add(changed);
    artChanged_ = true;
}

void GridFollower::edited(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int r : rows)
        pending_.add(LineSpan{r, 1, 1});
}

void GridFollower::count(int length, int delta) {
    const auto it = lengthCount_.try_emplace(length, 0).first;
    it->second += delta;
    if (it->second == 0) lengthCount_.erase(it);
}

std::optional<GridPatch> GridFollower::update(const RichText& art, const CharGrid& grid,
                                              const std::function<bool()>& cancelled) {
    const int lines = art.lineCount();
    // Rows are the lines before the last one, so an art of one line (empty, or without a
    // line break) is a grid of its own kind; it is small, and built whole.
    if (!built_ || grid.rows() != rows_ || grid.cols() != cols_ ||
        !pending_.fit(int(lengths_.size()), lines) || lines < 2 || lengths_.size() < 2)
        return rebuild(art, cancelled);
    if (cancelled && cancelled()) return std::nullopt;

    GridPatch patch;
    const int oldRows = rows_;
    const int newRows = lines - 1;
    for (const LineEdits::Stretch& s : pending_.stretches()) {
        const auto first = lengths_.begin() + s.newFirst;
        for (auto it = first; it != first + s.oldLines; ++it)
            count(*it, -1);
        std::vector<int> fresh;
        fresh.reserve(std::size_t(s.newLines));
        for (int line = s.newFirst; line < s.newEnd(); ++line) {
            fresh.push_back(lineLength(art, line));
            count(fresh.back(), +1);
        }
        spliceLines(lengths_, s.newFirst, s.oldLines, std::move(fresh));

        // The last line is no row: the rows of the stretch stop before it.
        GridPatch::Splice splice;
        splice.at = s.newFirst;
        splice.removed = std::max(0, std::min(s.oldFirst + s.oldLines, oldRows) - s.oldFirst);
        for (int line = s.newFirst; line < std::min(s.newEnd(), newRows); ++line)
            splice.rows.push_back(lineCells(art, line));
        if (splice.removed > 0 || !splice.rows.empty()) patch.splices.push_back(std::move(splice));
    }
    patch.cols = lengthCount_.empty() ? 0 : lengthCount_.rbegin()->first;
    pending_.clear();
    artChanged_ = false;
    rows_ = newRows;
    cols_ = patch.cols;
    return patch;
}

std::optional<GridPatch> GridFollower::rebuild(const RichText& art, const std::function<bool()>& cancelled) {
    auto grid = RestaurarGrid(art, cancelled);
    if (!grid) return std::nullopt;
    std::vector<int> lengths;
    std::map<int, int> lengthCount;
    for (int line = 0; line < art.lineCount(); ++line) {
        lengths.push_back(lineLength(art, line));
        ++lengthCount[lengths.back()];
    }
    lengths_ = std::move(lengths);
    lengthCount_ = std::move(lengthCount);
    pending_.clear();
    artChanged_ = false;
    built_ = true;
    rows_ = grid->rows();
    cols_ = grid->cols();
    GridPatch patch;
    patch.cols = grid->cols();
    patch.whole = std::move(*grid);
    return patch;
}

std::optional<std::vector<ArtHunk>> GridFollower::writeBack(const CharGrid& grid, const RichText& art,
                                                            Colour typing) const {
    // Row r shows line r of the art, unless edited; the whole grid writes every row with
    // a line break, which an art that ends with one already has.
    if (!built_ || artChanged_ || grid.rows() != rows_ || grid.cols() != cols_ || art.isEmpty() ||
        !art.endsWithLineBreak() || art.lineCount() != grid.rows() + 1 ||
        pending_.newLines() * 2 > grid.rows())
        return std::nullopt;
    std::vector<ArtHunk> hunks;
    int shift = 0;
    for (const LineEdits::Stretch& s : pending_.stretches()) {
        for (int r = s.newFirst; r < s.newEnd(); ++r) {
            const int from = art.lineStart(r);
            const int length = art.lineStart(r + 1) - from;
            RichText row(typing);
            appendGridRow(row, grid, r);
            const std::vector<ArtHunk> h = diffArt(art.mid(from, length), row, from + shift);
            hunks.insert(hunks.end(), h.begin(), h.end());
            shift += row.size() - length;
        }
    }
    return hunks;
}

} // namespace torvo
