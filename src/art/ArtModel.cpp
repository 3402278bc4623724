#include "art/ArtModel.h"

#include "art/DocumentBridge.h"

namespace torvo {

bool ArtModel::endsOpen() const {
    const int n = art_.size();
    return n >= 3 && art_.endsWithLineBreak() && !art_.isLineBreak(n - 3) && !trailing_;
}

RichText ArtModel::viewArt() const {
    if (!endsOpen()) return art_;
    return art_.mid(0, art_.size() - 2);
}

int ArtModel::viewLines() const {
    return art_.lineCount() - (endsOpen() ? 1 : 0);
}

void ArtModel::apply(ArtChange change) {
    // The art holds what the text view can hold (what the view hands over it holds already);
    // lines that stay as they were are no change.
    const bool fromView =
        change.source == ArtChange::Source::Typing || change.source == ArtChange::Source::User;
    for (LineChange& c : change.lines)
        if (!fromView) c.after = documentCharacters(std::move(c.after));
    std::erase_if(change.lines, [](const LineChange& c) { return sameLines(c.before, c.after); });
    for (const LineChange& c : change.lines) {
        const int lines = art_.lineCount();
        const int from = c.first < lines ? art_.lineStart(c.first) : art_.size();
        const int last = c.first + linesIn(c.before);
        const int to = last < lines ? art_.lineStart(last) : art_.size();
        art_.replace(from, to - from, c.after);
        deriveBreaks(from, from + c.after.size());
    }
    if (change.typing && *change.typing != art_.typingColour()) {
        art_.setTypingColour(*change.typing);
        deriveBreaks(0, 0);
    }
    if (change.trailingLine) trailing_ = *change.trailingLine;
    // Only a last line of characters has an empty line after it to show or not.
    const int n = art_.size();
    trailing_ = trailing_ && n >= 3 && art_.endsWithLineBreak() && !art_.isLineBreak(n - 3);
    change.trailingLine = trailing_;
    ++revision_;
    emit changed(change);
}

void ArtModel::deriveBreaks(int from, int to) {
    Colour before = from > 0 ? art_.colourAt(from - 1) : art_.typingColour();
    for (int p = from; p < art_.size(); ++p) {
        if (art_.charAt(p) == RichText::CR) {
            // Past the change, the breaks that already have their colour stay as they are.
            if (p >= to && art_.colourAt(p) == before) break;
            art_.setColour(p, before);
            art_.setColour(++p, before);
        } else if (p >= to) {
            break;
        } else {
            before = art_.colourAt(p);
        }
    }
}

} // namespace torvo
