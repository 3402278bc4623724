#pragma once

#include "art/Colour.h"
#include "base/CodePoints.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace torvo {

// The walkable art: a sequence of positions, each a Unicode code point with one colour.
// A line break is always the two positions CR and LF. A code point outside the Basic
// Multilingual Plane is one position.
//
// Colour rules every walker relies on:
//  - a line-break position carries the colour of the position before it, or the typing
//    colour when nothing comes before it;
//  - the end position (index size()) reports the colour of the last position, or the
//    typing colour when the text is empty.
class RichText {
public:
    static constexpr char32_t CR = 0x0D;
    static constexpr char32_t LF = 0x0A;
    // What a line break is made of when given as a character.
    static constexpr bool isSeparator(char32_t ch) {
        return ch == CR || ch == LF || ch == 0x2028 || ch == 0x2029;
    }

    struct Position {
        char32_t ch;
        Colour colour;
        friend bool operator==(const Position&, const Position&) = default;
    };

    RichText() = default;
    explicit RichText(Colour typing) : typing_(typing) {}
    // A piece of another art: its positions as they are.
    RichText(std::vector<Position> positions, Colour typing)
        : positions_(std::move(positions)), typing_(typing) {}

    // Appends one character. CR, LF and the Unicode line and paragraph separators given
    // here become a whole line break.
    void append(char32_t ch, Colour colour) {
        if (isSeparator(ch))
            appendLineBreak();
        else
            positions_.push_back({ch, colour});
    }
    // Appends one character as it is, a separator too (a document keeps U+2028 in its line).
    void appendCharacter(char32_t ch, Colour colour) { positions_.push_back({ch, colour}); }
    void appendLineBreak();
    // Appends text in one colour; every CR LF, lone CR, lone LF or Unicode line or
    // paragraph separator becomes one line break.
    void appendText(QStringView text, Colour colour);
    void clear() {
        positions_.clear();
        lines_.clear();
    }
    void reserve(std::size_t n) { positions_.reserve(n); }

    // The positions [at, at + length).
    RichText mid(int at, int length) const;
    // Replaces the positions [at, at + length) by those of `with`. The caller keeps line
    // breaks whole (never a CR without its LF).
    void replace(int at, int length, const RichText& with);

    // Lines are the pieces between line breaks: a text with n breaks has n + 1 lines, the
    // last one empty when the text ends with a break. A line's start is the position
    // after the previous break.
    int lineCount() const;
    int lineStart(int line) const;
    // The line holding position p (p may be size()).
    int lineOf(int p) const;

    int size() const { return int(positions_.size()); }
    bool isEmpty() const { return positions_.empty(); }
    bool isLineBreak(int p) const { return positions_[p].ch == CR || positions_[p].ch == LF; }
    char32_t charAt(int p) const { return positions_[p].ch; }
    // The walk's text at p: empty at a line-break half, otherwise the character.
    QString textAt(int p) const;
    Colour colourAt(int p) const {
        if (p >= size()) return positions_.empty() ? typing_ : positions_.back().colour;
        return positions_[std::size_t(p)].colour;
    }
    void setColour(int p, Colour colour) { positions_[p].colour = colour; }
    bool endsWithLineBreak() const { return !positions_.empty() && positions_.back().ch == LF; }

    Colour typingColour() const { return typing_; }
    void setTypingColour(Colour c) { typing_ = c; }

    // The plain text, lines separated by CR LF.
    QString plainText() const;
    const std::vector<Position>& positions() const { return positions_; }

    friend bool operator==(const RichText& a, const RichText& b) { return a.positions_ == b.positions_; }

private:
    void forgetLines() { lines_.clear(); }
    const std::vector<int>& lines() const;

    std::vector<Position> positions_;
    Colour typing_ = colours::White;
    // Start of every line, built when first asked for; empty = not built.
    mutable std::vector<int> lines_;
};

// Whether two positions are the same character of the art. A line break's colour is
// derived from what comes before it, so only its character counts.
inline bool sameCharacter(const RichText::Position& a, const RichText::Position& b) {
    return a.ch == b.ch && (a.colour == b.colour || a.ch == RichText::CR || a.ch == RichText::LF);
}

} // namespace torvo
