#pragma once

#include <QString>
#include <QStringView>

namespace torvo {

// One code point of UTF-16 text and the units it takes: 2 for a surrogate pair, else 1.
// A surrogate half without its other half comes back as itself, one unit long: what it
// stands for is the reader's business (see isSurrogate).
struct CodePoint {
    char32_t ch;
    int units;
};

// The code point that starts at unit i of the text (i < text.size()).
inline CodePoint codePointAt(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text[i + 1].unicode()), 2};
    return {c, 1};
}

// Half of a surrogate pair: no character.
constexpr bool isSurrogate(char32_t ch) {
    return ch >= 0xD800 && ch <= 0xDFFF;
}

// The code points of UTF-16 text, for a range-for: for (char32_t ch : CodePoints(text)).
class CodePoints {
public:
    explicit CodePoints(QStringView text) : text_(text) {}

    class Iterator {
    public:
        Iterator(QStringView text, qsizetype at) : text_(text), at_(at) {}
        char32_t operator*() const { return codePointAt(text_, at_).ch; }
        Iterator& operator++() {
            at_ += codePointAt(text_, at_).units;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

    private:
        QStringView text_;
        qsizetype at_;
    };
    Iterator begin() const { return {text_, 0}; }
    Iterator end() const { return {text_, text_.size()}; }

private:
    QStringView text_;
};

// The UTF-16 form of one code point: how many units it takes (1 or 2) into `units`.
inline int toUtf16(char32_t ch, char16_t units[2]) {
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        units[0] = QChar::highSurrogate(ch);
        units[1] = QChar::lowSurrogate(ch);
        return 2;
    }
    units[0] = char16_t(ch);
    return 1;
}

// Appends the UTF-16 form of one code point.
inline void appendCodePoint(QString& out, char32_t ch) {
    char16_t units[2];
    out.append(reinterpret_cast<const QChar*>(units), toUtf16(ch, units));
}

} // namespace torvo
