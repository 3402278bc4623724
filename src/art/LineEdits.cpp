#include "art/LineEdits.h"

#include <algorithm>

namespace torvo {

void LineEdits::add(LineSpan span) {
    if (span.oldLines == 0 && span.newLines == 0) return;
    const int f = span.first;
    const int end = f + span.oldLines;
    const int grown = span.newLines - span.oldLines;
    // The stretches that overlap or touch [f, end) merge with it.
    const auto first = std::lower_bound(stretches_.begin(), stretches_.end(), f,
                                        [](const Stretch& s, int line) { return s.newEnd() < line; });
    auto last = first;
    int mergedGrowth = 0;
    while (last != stretches_.end() && last->newFirst <= end) {
        mergedGrowth += last->newLines - last->oldLines;
        ++last;
    }
    // Lines before the first merged stretch moved by the growth of the stretches before it.
    const int before =
        first == stretches_.begin()
            ? 0
            : std::prev(first)->newEnd() - (std::prev(first)->oldFirst + std::prev(first)->oldLines);
    const int lo = first == last ? f : std::min(f, first->newFirst);
    const int hi = first == last ? end : std::max(end, std::prev(last)->newEnd());
    Stretch merged{lo - before, hi - before - mergedGrowth - (lo - before), lo, hi + grown - lo};
    const auto at = stretches_.erase(first, last);
    auto next = merged.oldLines == 0 && merged.newLines == 0 ? at : std::next(stretches_.insert(at, merged));
    for (; next != stretches_.end(); ++next)
        next->newFirst += grown;
}

void LineEdits::add(const LineEdits& later) {
    // Taken in order, a later stretch's old lines stand where its new ones start.
    for (const Stretch& s : later.stretches_)
        add(LineSpan{s.newFirst, s.oldLines, s.newLines});
}

int LineEdits::newLines() const {
    int n = 0;
    for (const Stretch& s : stretches_)
        n += s.newLines;
    return n;
}

bool LineEdits::fit(int before, int after) const {
    int lines = before;
    for (const Stretch& s : stretches_) {
        if (s.oldFirst + s.oldLines > before) return false;
        lines += s.newLines - s.oldLines;
    }
    return lines == after;
}

} // namespace torvo
