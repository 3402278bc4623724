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

// Rows 1-25 of the conversion table in their order; row 26 is clrScr().
constexpr std::array<Row, 25> Rows{{
    {u"<lblack>", u"\x1b[0;30m"},
    {u"<lblue>", u"\x1b[0;34m"},
    {u"<lgreen>", u"\x1b[0;32m"},
    {u"<lcyan>", u"\x1b[0;36m"},
    {u"<lred>", u"\x1b[0;31m"},
    {u"<lmagenta>", u"\x1b[0;35m"},
    {u"<lyellow>", u"\x1b[0;33m"},
    {u"<lwhite>", u"\x1b[0;37m"},
    {u"<black>", u"\x1b[1;30m"},
    {u"<blue>", u"\x1b[1;34m"},
    {u"<green>", u"\x1b[1;32m"},
    {u"<cyan>", u"\x1b[1;36m"},
    {u"<red>", u"\x1b[1;31m"},
    {u"<magenta>", u"\x1b[1;35m"},
    {u"<yellow>", u"\x1b[1;33m"},
    {u"<white>", u"\x1b[1;37m"},
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
                for (std::size_t r = 0; r < 16; ++r) {
                    if (Rows[r].from.size() == word.size() && Rows[r].from == word) {
                        to = Rows[r].to;
                        len = word.size();
                        break;
                    }
                }
            }
        } else if (i + 1 < n) {
            const char16_t next = s[i + 1].unicode();
            if (next == u'c') {
                to = clear;
                len = 2;
            } else {
                const QStringView code(s + i, std::min<qsizetype>(3, n - i));
                for (std::size_t r = 16; r < Rows.size(); ++r) {
                    if (code.startsWith(Rows[r].from)) {
                        to = Rows[r].to;
                        len = Rows[r].from.size();
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

int paletteEntryOfAnsiColour(int ansi) {
    // Read off the conversion table, so the two directions cannot drift apart.
    static const std::array<int, 16> entries = [] {
        std::array<int, 16> e;
        e.fill(8);
        for (int i = Palette::Size - 1; i >= 0; --i) {
            QString sequence = vocabulary::tagWord(i);
            if (sequence.isEmpty()) continue;
            ANSIConvert(sequence); // ESC "[" bold ";3" colour "m"
            const int bold = sequence[2].digitValue();
            const int colour = sequence[5].digitValue();
            e[std::size_t(bold * 8 + colour)] = i; // the first entry with the colour wins
        }
        return e;
    }();
    return ansi >= 0 && ansi < 16 ? entries[std::size_t(ansi)] : 8;
}

} // namespace torvo
