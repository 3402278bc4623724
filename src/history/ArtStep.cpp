#include "history/ArtStep.h"

#include <optional>

namespace torvo {
namespace {

// What a key did to its one line: at `at`, `removed` characters gave way to `inserted`
// (the line compared without its line break, which typing on a new last line brings).
struct KeyEdit {
    int at = 0;
    int removed = 0;
    RichText inserted;
};

// A change of one line, seen as the one edit typing makes.
std::optional<KeyEdit> keyEdit(const LineChange& c) {
    // A line that comes (the first key on a new last line) or goes (the last one taken back)
    // is an empty line on the other side.
    const int linesBefore = linesIn(c.before), linesAfter = linesIn(c.after);
    if (linesBefore > 1 || linesAfter > 1 || linesBefore + linesAfter == 0) return std::nullopt;
    const RichText& a = c.before;
    const RichText& b = c.after;
    const int n = a.isEmpty() ? 0 : a.size() - 2;
    const int m = b.isEmpty() ? 0 : b.size() - 2;
    int head = 0;
    while (head < n && head < m &&
           sameCharacter(a.positions()[std::size_t(head)], b.positions()[std::size_t(head)]))
        ++head;
    int tail = 0;
    while (tail < n - head && tail < m - head &&
           sameCharacter(a.positions()[std::size_t(n - 1 - tail)], b.positions()[std::size_t(m - 1 - tail)]))
        ++tail;
    return KeyEdit{head, n - head - tail, b.mid(head, m - head - tail)};
}

} // namespace

qint64 ArtStep::bytes() const {
    qint64 positions = 0;
    for (const LineChange& c : lines_)
        positions += c.before.size() + c.after.size();
    return qint64(sizeof(*this)) + positions * qint64(sizeof(RichText::Position)) +
           qint64(lines_.size() * sizeof(LineChange)) + 2 * (fileBefore_.size() + fileAfter_.size());
}

bool ArtStep::absorb(const History::Step& other) {
    const auto& next = static_cast<const ArtStep&>(other);
    if (kind_ != Kind::Typing || next.kind_ != Kind::Typing) return false;
    if (next.time_ < time_ || next.time_ - time_ >= PauseMs) return false;
    if (lines_.size() != 1 || next.lines_.size() != 1) return false;
    LineChange& mine = lines_.front();
    const LineChange& theirs = next.lines_.front();
    if (mine.first != theirs.first || !sameLines(mine.after, theirs.before)) return false;
    const std::optional<KeyEdit> h = keyEdit(mine);
    const std::optional<KeyEdit> n = keyEdit(theirs);
    if (!h || !n) return false;
    const int typed = h->inserted.size();
    const bool typingOn = n->removed == 0 && !n->inserted.isEmpty() && n->at == h->at + typed &&
                          (typed == 0 || h->inserted.colourAt(typed - 1) == n->inserted.colourAt(0));
    const bool backspaceOn = typed == 0 && n->inserted.isEmpty() && n->at + n->removed == h->at;
    const bool deleteOn = typed == 0 && n->inserted.isEmpty() && n->at == h->at;
    if (!typingOn && !backspaceOn && !deleteOn) return false;
    mine.after = theirs.after;
    time_ = next.time_;
    return true;
}

} // namespace torvo
