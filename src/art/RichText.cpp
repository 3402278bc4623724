#include "art/RichText.h"

namespace torvo {

void appendCodePoint(QString& out, char32_t ch) {
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        out.append(QChar::highSurrogate(ch));
        out.append(QChar::lowSurrogate(ch));
    } else {
        out.append(QChar(char16_t(ch)));
    }
}

void RichText::append(char32_t ch, Colour colour) {
    if (ch == CR || ch == LF) {
        appendLineBreak();
        return;
    }
    positions_.push_back({ch, colour});
}

void RichText::appendLineBreak() {
    const Colour c = positions_.empty() ? typing_ : positions_.back().colour;
    positions_.push_back({CR, c});
    positions_.push_back({LF, c});
}

void RichText::appendText(QStringView text, Colour colour) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar q = text[i];
        if (q == u'\r') {
            appendLineBreak();
            if (i + 1 < n && text[i + 1] == u'\n') ++i;
        } else if (q == u'\n') {
            appendLineBreak();
        } else if (q.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            positions_.push_back({QChar::surrogateToUcs4(q, text[i + 1]), colour});
            ++i;
        } else {
            positions_.push_back({q.unicode(), colour});
        }
    }
}

QString RichText::textAt(int p) const {
    QString s;
    if (!isLineBreak(p)) appendCodePoint(s, positions_[p].ch);
    return s;
}

Colour RichText::colourAt(int p) const {
    if (p >= size()) return positions_.empty() ? typing_ : positions_.back().colour;
    return positions_[p].colour;
}

QString RichText::plainText() const {
    QString s;
    s.reserve(qsizetype(positions_.size()));
    for (const Position& pos : positions_)
        appendCodePoint(s, pos.ch);
    return s;
}

} // namespace torvo
