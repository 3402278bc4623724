#include "art/RichText.h"

#include <algorithm>

namespace torvo {

void RichText::appendLineBreak() {
    const Colour c = positions_.empty() ? typing_ : positions_.back().colour;
    positions_.push_back({CR, c});
    positions_.push_back({LF, c});
    forgetLines();
}

void RichText::appendText(QStringView text, Colour colour) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const CodePoint cp = codePointAt(text, i);
        i += cp.units;
        if (cp.ch == RichText::CR) {
            appendLineBreak();
            if (i < n && text[i] == u'\n') ++i;
        } else if (isSeparator(cp.ch)) {
            appendLineBreak();
        } else {
            positions_.push_back({cp.ch, colour});
        }
    }
}

QString RichText::textAt(int p) const {
    QString s;
    if (!isLineBreak(p)) appendCodePoint(s, positions_[p].ch);
    return s;
}

QString RichText::plainText() const {
    QString s;
    s.reserve(qsizetype(positions_.size()));
    for (const Position& pos : positions_)
        appendCodePoint(s, pos.ch);
    return s;
}

RichText RichText::mid(int at, int length) const {
    return RichText(std::vector<Position>(positions_.begin() + at, positions_.begin() + at + length),
                    typing_);
}

void RichText::replace(int at, int length, const RichText& with) {
    // The positions after the range move once, by the difference.
    if (with.size() > length)
        positions_.insert(positions_.begin() + at + length, std::size_t(with.size() - length), Position{});
    else if (with.size() < length)
        positions_.erase(positions_.begin() + at + with.size(), positions_.begin() + at + length);
    std::copy(with.positions_.begin(), with.positions_.end(), positions_.begin() + at);
    if (lines_.empty()) return;
    // Lines starting inside the replaced range go; those of `with` come; later ones shift.
    const auto from = std::upper_bound(lines_.begin(), lines_.end(), at);
    const auto to = std::upper_bound(from, lines_.end(), at + length);
    std::vector<int> added;
    for (int p = 0; p < with.size(); ++p)
        if (with.positions_[std::size_t(p)].ch == LF) added.push_back(at + p + 1);
    const int shift = with.size() - length;
    for (auto it = to; it != lines_.end(); ++it)
        *it += shift;
    const auto keep = lines_.erase(from, to);
    lines_.insert(keep, added.begin(), added.end());
}

const std::vector<int>& RichText::lines() const {
    if (lines_.empty()) {
        lines_.push_back(0);
        const int n = size();
        for (int p = 0; p < n; ++p)
            if (positions_[std::size_t(p)].ch == LF) lines_.push_back(p + 1);
    }
    return lines_;
}

int RichText::lineCount() const {
    return int(lines().size());
}

int RichText::lineStart(int line) const {
    return lines()[std::size_t(line)];
}

int RichText::lineOf(int p) const {
    const std::vector<int>& starts = lines();
    return int(std::upper_bound(starts.begin(), starts.end(), p) - starts.begin()) - 1;
}

} // namespace torvo
