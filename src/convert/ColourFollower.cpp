#include "convert/ColourFollower.h"

#include <algorithm>
#include <unordered_set>

namespace torvo {
namespace {

// The distinct colours of one line, its line break included, in order of appearance.
std::vector<Colour> lineColours(const RichText& art, int line) {
    const int end = line + 1 < art.lineCount() ? art.lineStart(line + 1) : art.size();
    std::vector<Colour> out;
    std::unordered_set<std::uint32_t> many; // used once a line has many colours
    std::optional<Colour> newer, older;
    for (int p = art.lineStart(line); p < end; ++p) {
        const Colour c = art.colourAt(p);
        if (c == newer || c == older) continue;
        older = newer;
        newer = c;
        // A short list is searched; a long one is kept in a set as well.
        const bool listed =
            many.empty() ? std::find(out.begin(), out.end(), c) != out.end() : many.count(c.value()) > 0;
        if (listed) continue;
        out.push_back(c);
        if (!many.empty())
            many.insert(c.value());
        else if (out.size() > 16)
            for (Colour k : out)
                many.insert(k.value());
    }
    return out;
}

} // namespace

void ColourFollower::note(const LineEdits& changed) {
    pending_.add(changed);
}

std::optional<std::vector<Colour>> ColourFollower::update(const RichText& art,
                                                          const std::function<bool()>& cancelled) {
    // An empty art lists its one end position, in the typing colour.
    if (art.isEmpty()) {
        built_ = false;
        return std::vector<Colour>{art.typingColour()};
    }
    if (!built_ || !pending_.fit(int(lines_.size()), art.lineCount())) {
        std::vector<std::vector<Colour>> lines;
        lines.reserve(std::size_t(art.lineCount()));
        for (int line = 0; line < art.lineCount(); ++line) {
            if (cancelled && cancelled()) return std::nullopt;
            lines.push_back(lineColours(art, line));
        }
        lines_ = std::move(lines);
        tally_.clear();
        for (const auto& colours : lines_)
            for (Colour c : colours)
                ++tally_[c.value()].lines;
        order_.clear();
        order(0);
        built_ = true;
        pending_.clear();
        return order_;
    }
    if (cancelled && cancelled()) return std::nullopt;

    bool found = false;
    int firstChanged = art.lineCount();
    for (const LineEdits::Stretch& s : pending_.stretches()) {
        firstChanged = std::min(firstChanged, s.newFirst);
        const auto first = lines_.begin() + s.newFirst;
        for (auto it = first; it != first + s.oldLines; ++it)
            for (Colour c : *it) {
                const auto t = tally_.find(c.value());
                if (--t->second.lines == 0) tally_.erase(t);
            }
        std::vector<std::vector<Colour>> fresh;
        fresh.reserve(std::size_t(s.newLines));
        for (int line = s.newFirst; line < s.newEnd(); ++line) {
            fresh.push_back(lineColours(art, line));
            for (Colour c : fresh.back())
                found |= ++tally_[c.value()].lines == 1;
        }
        spliceLines(lines_, s.newFirst, s.oldLines, std::move(fresh));
    }
    pending_.clear();
    // First appearances stand where no line up to the last of them changed (so no colour
    // went either): new colours can only follow them.
    if (firstChanged <= horizon_) {
        order_.clear();
        order(0);
    } else if (found) {
        order(firstChanged);
    }
    return order_;
}

void ColourFollower::order(int line) {
    ++search_;
    for (Colour c : order_)
        tally_[c.value()].seen = search_;
    for (; line < int(lines_.size()) && order_.size() < tally_.size(); ++line)
        for (Colour c : lines_[std::size_t(line)]) {
            Tally& t = tally_[c.value()];
            if (t.seen == search_) continue;
            t.seen = search_;
            order_.push_back(c);
            horizon_ = line;
        }
    if (order_.empty()) horizon_ = -1;
}

} // namespace torvo
