#include "files/AnsiExport.h"

#include "convert/CodeWalk.h"
#include "palette/Vocabulary.h"

#include <array>

namespace torvo {
namespace {

struct Row {
    QStringView from;
    QStringView to;
};

// Applied in this order. No replacement holds "<", ">" or a grave accent, so a row never
// creates text that a later row would match.
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
    // Most rows find nothing; skip their passes when the text cannot hold them.
    const bool tags = str.contains(u'<');
    const bool graves = str.contains(u'`');
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const bool tagRow = i < 16;
        if (tagRow ? !tags : !graves) continue;
        const Row& row = Rows[i];
        str.replace(reinterpret_cast<const QChar*>(row.from.data()), row.from.size(),
                    reinterpret_cast<const QChar*>(row.to.data()), row.to.size(), Qt::CaseSensitive);
    }
    if (graves) str.replace(QStringLiteral("`c"), clrScr(), Qt::CaseSensitive);
    return str;
}

std::optional<QString> SalvarComoAnsi(const RichText& text, const Palette& palette,
                                      const std::function<bool()>& cancelled) {
    CodeWalkPolicy policy;
    policy.codeOf = [&palette](Colour c) -> std::optional<QString> {
        const std::optional<int> index = palette.lookup(c);
        if (!index) return std::nullopt;
        return vocabulary::tagWord(*index);
    };
    policy.appendChar = [](QString& out, char32_t ch) { appendCodePoint(out, ch); };
    policy.lineBreak = QStringLiteral("\r\n");
    std::optional<QString> tagged = walkCodes(text, policy, cancelled);
    if (!tagged) return std::nullopt;
    ANSIConvert(*tagged);
    return tagged;
}

} // namespace torvo
