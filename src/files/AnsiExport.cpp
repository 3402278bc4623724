#include "files/AnsiExport.h"

#include "convert/TaggedText.h"
#include "palette/Vocabulary.h"

#include <algorithm>
#include <array>

namespace torvo {
namespace {

struct Row {
    QStringView from;
    QStringView to;
};

// The rows of the conversion table after the tag words, whose sequences come with the
// tag words themselves (vocabulary::ansiColourOfTag): background colours and line break.
constexpr std::array<Row, 9> GraveCodes{{
    {u"`r0", u"\x1b[1;40m"},
    {u"`r4", u"\x1b[1;41m"},
    {u"`r2", u"\x1b[1;42m"},
    {u"`r$", u"\x1b[1;43m"},
    {u"`r1", u"\x1b[1;44m"},
    {u"`r5", u"\x1b[1;45m"},
    {u"`r3", u"\x1b[1;46m"},
    {u"`r%", u"\x1b[1;47m"},
    {u"`b", u"\r\n"},
}};

// ESC "[" bold ";3" colour "m" of each terminal colour, 0-7 normal, 8-15 bold.
const std::array<QString, 16>& colourSequences() {
    static const std::array<QString, 16> sequences = [] {
        std::array<QString, 16> s;
        for (int ansi = 0; ansi < 16; ++ansi)
            s[std::size_t(ansi)] = QStringLiteral("\x1b[%1;3%2m").arg(ansi / 8).arg(ansi % 8);
        return s;
    }();
    return sequences;
}

} // namespace

QString clrScr() {
    return QStringLiteral("\x1b[2J");
}

QString ANSIConvert(QString& str) {
    // One pass gives what the rows give one after another: no pattern is a prefix of
    // another, no two matches can overlap (each pattern starts with "<" or a grave accent
    // and no pattern holds either after its first character), and no replacement holds
    // a pattern's character, so a row neither creates nor destroys a later row's match.
    const qsizetype n = str.size();
    const QChar* s = str.constData();
    qsizetype i = 0;
    while (i < n && s[i] != u'<' && s[i] != u'`')
        ++i;
    if (i == n) return str;
    const QString clear = clrScr();
    QString out;
    out.reserve(n + n / 4);
    qsizetype copied = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c != u'<' && c != u'`') continue;
        QStringView to;
        qsizetype len = 0;
        if (c == u'<') {
            // A tag word runs to the first ">", at most 10 characters in all.
            qsizetype j = i + 1;
            const qsizetype limit = std::min(n, i + 10);
            while (j < limit && s[j] != u'>')
                ++j;
            if (j < limit) {
                const QStringView word(s + i, j - i + 1);
                if (const std::optional<int> ansi = vocabulary::ansiColourOfTag(word)) {
                    to = colourSequences()[std::size_t(*ansi)];
                    len = word.size();
                }
            }
        } else if (i + 1 < n) {
            const char16_t next = s[i + 1].unicode();
            if (next == u'c') {
                to = clear;
                len = 2;
            } else {
                const QStringView code(s + i, std::min<qsizetype>(3, n - i));
                for (const Row& r : GraveCodes) {
                    if (code.startsWith(r.from)) {
                        to = r.to;
                        len = r.from.size();
                        break;
                    }
                }
            }
        }
        if (len == 0) continue;
        out.append(s + copied, i - copied);
        out.append(to);
        i += len - 1;
        copied = i + 1;
    }
    out.append(s + copied, n - copied);
    str = std::move(out);
    return str;
}

std::optional<QString> SalvarComoAnsi(const RichText& text, const Palette& palette,
                                      const std::function<bool()>& cancelled) {
    // The ANSI text is the tagged text with its tag words turned into sequences.
    std::optional<QString> tagged = taggedText(text, palette, true, cancelled);
    if (!tagged) return std::nullopt;
    ANSIConvert(*tagged);
    return tagged;
}

} // namespace torvo
