#pragma once

#include <algorithm>
#include <iterator>
#include <vector>

namespace torvo {

// Lines [first, first + oldLines) of an art that became [first, first + newLines).
struct LineSpan {
    int first = 0;
    int oldLines = 0;
    int newLines = 0;
    friend bool operator==(const LineSpan&, const LineSpan&) = default;
};

// What a series of changes did to the lines of an art since someone last looked: the
// lines they replaced, as stretches in order that neither overlap nor touch. Lines
// outside the stretches are the old ones, moved by the stretches before them. A view
// built line by line catches up by rebuilding the stretches alone.
class LineEdits {
public:
    struct Stretch {
        int oldFirst = 0;
        int oldLines = 0;
        int newFirst = 0;
        int newLines = 0;
        int newEnd() const { return newFirst + newLines; }
        friend bool operator==(const Stretch&, const Stretch&) = default;
    };

    // A further change; `span` counts in the art as the changes so far left it.
    void add(LineSpan span);
    // Changes made after these.
    void add(const LineEdits& later);

    const std::vector<Stretch>& stretches() const { return stretches_; }
    bool empty() const { return stretches_.empty(); }
    void clear() { stretches_.clear(); }
    // How many lines the stretches hold now.
    int newLines() const;
    // Whether these changes can be followed on a copy of `before` lines kept a line each,
    // giving the `after` lines the art has now.
    bool fit(int before, int after) const;

private:
    std::vector<Stretch> stretches_;
};

// Replaces the entries [at, at + count) of a vector kept a line (or row) each by `with`:
// entries that stay are assigned in place, so that the ones after move only when the
// number of lines changes.
template <class T> void spliceLines(std::vector<T>& v, int at, int count, std::vector<T> with) {
    const auto first = v.begin() + at;
    const int common = std::min(count, int(with.size()));
    std::move(with.begin(), with.begin() + common, first);
    if (count > common)
        v.erase(first + common, first + count);
    else
        v.insert(first + common, std::make_move_iterator(with.begin() + common),
                 std::make_move_iterator(with.end()));
}

} // namespace torvo
