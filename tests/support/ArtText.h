#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QStringView>

namespace torvo::test {

// Art written short: "{n}" colours what follows with palette entry n (white at first), a
// line feed is a line break: u"{2}ab {12}c\n".
inline RichText artText(QStringView s, const Palette& palette = Palette()) {
    RichText art;
    Colour colour = palette[0];
    for (qsizetype i = 0; i < s.size(); ++i) {
        const qsizetype close = s[i] == u'{' ? s.indexOf(u'}', i) : -1;
        bool entry = false;
        const int n = close > i + 1 && close < i + 4 ? s.sliced(i + 1, close - i - 1).toInt(&entry) : 0;
        if (entry) {
            colour = palette[n];
            i = close;
        } else {
            art.append(s[i].unicode(), colour);
        }
    }
    return art;
}

// IRC text written short: ^C, ^B, ^O, ^U, ^I and ^R for its codes 0x03, 0x02, 0x0F, 0x1F, 0x1D
// and 0x16.
inline QString ircText(QString s) {
    for (const auto& [from, to] : {std::pair{"^C", u'\x03'},
                                   {"^B", u'\x02'},
                                   {"^O", u'\x0f'},
                                   {"^U", u'\x1f'},
                                   {"^I", u'\x1d'},
                                   {"^R", u'\x16'}})
        s.replace(QLatin1String(from), QChar(to));
    return s;
}

} // namespace torvo::test
