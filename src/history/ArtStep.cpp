#include "history/ArtStep.h"

namespace torvo {
namespace {

bool hasLineBreak(const RichText& t) {
    for (const RichText::Position& p : t.positions())
        if (p.ch == RichText::LF) return true;
    return false;
}

// The characters typed into a hunk, without the line break a new last line brings;
// -1 when it holds a line break of its own.
int typedLength(const RichText& inserted) {
    const int n = inserted.size();
    const bool newLine = n > 2 && inserted.charAt(n - 1) == RichText::LF;
    for (int p = 0; p < (newLine ? n - 2 : n); ++p)
        if (inserted.isLineBreak(p)) return -1;
    return newLine ? n - 2 : n;
}

RichText joined(const RichText& a, const RichText& b) {
    RichText t = a;
    t.replace(t.size(), 0, b);
    return t;
}

} // namespace

qint64 ArtStep::bytes() const {
    return qint64(sizeof(*this)) + qint64(hunkPositions(hunks_)) * qint64(sizeof(RichText::Position)) +
           qint64(hunks_.size() * sizeof(ArtHunk)) + 2 * (fileBefore_.size() + fileAfter_.size());
}

bool ArtStep::absorb(const History::Step& other) {
    const auto& next = static_cast<const ArtStep&>(other);
    if (kind_ != Kind::Typing || next.kind_ != Kind::Typing) return false;
    if (next.time_ < time_ || next.time_ - time_ >= PauseMs) return false;
    if (hunks_.size() != 1 || next.hunks_.size() != 1) return false;
    ArtHunk& h = hunks_.front();
    const ArtHunk& n = next.hunks_.front();
    if (hasLineBreak(h.removed) || hasLineBreak(n.removed) || hasLineBreak(n.inserted)) return false;
    // Characters typed on a new last line come with the line's break after them.
    const int typed = typedLength(h.inserted);
    if (typed < 0) return false;
    if (n.removed.isEmpty() && !n.inserted.isEmpty() && n.at == h.at + typed) {
        // Typing on.
        if (typed > 0 && !(h.inserted.colourAt(typed - 1) == n.inserted.colourAt(0))) return false;
        h.inserted.replace(typed, 0, n.inserted);
    } else if (h.inserted.isEmpty() && n.inserted.isEmpty() && n.at + n.removed.size() == h.at) {
        // Backspace on.
        h.removed = joined(n.removed, h.removed);
        h.at = n.at;
    } else if (h.inserted.isEmpty() && n.inserted.isEmpty() && n.at == h.at) {
        // Delete on.
        h.removed = joined(h.removed, n.removed);
    } else {
        return false;
    }
    time_ = next.time_;
    return true;
}

} // namespace torvo
