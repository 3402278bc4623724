// ANSIConvert against the conversion table applied row after row, and the ANSI and HTML
// exports of arbitrary art: characters and colours from the input.
#include "convert/TaggedText.h"
#include "files/AnsiExport.h"
#include "files/HtmlExport.h"

#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>

using namespace torvo;

namespace {

// The table as written: every row replaces all its occurrences before the next row.
QString convertRowByRow(QString s) {
    static const char* const Rows[][2] = {
        {"<lblack>", "\x1b[0;30m"},
        {"<lblue>", "\x1b[0;34m"},
        {"<lgreen>", "\x1b[0;32m"},
        {"<lcyan>", "\x1b[0;36m"},
        {"<lred>", "\x1b[0;31m"},
        {"<lmagenta>", "\x1b[0;35m"},
        {"<lyellow>", "\x1b[0;33m"},
        {"<lwhite>", "\x1b[0;37m"},
        {"<black>", "\x1b[1;30m"},
        {"<blue>", "\x1b[1;34m"},
        {"<green>", "\x1b[1;32m"},
        {"<cyan>", "\x1b[1;36m"},
        {"<red>", "\x1b[1;31m"},
        {"<magenta>", "\x1b[1;35m"},
        {"<yellow>", "\x1b[1;33m"},
        {"<white>", "\x1b[1;37m"},
        {"`r0", "\x1b[1;40m"},
        {"`r4", "\x1b[1;41m"},
        {"`r2", "\x1b[1;42m"},
        {"`r$", "\x1b[1;43m"},
        {"`r1", "\x1b[1;44m"},
        {"`r5", "\x1b[1;45m"},
        {"`r3", "\x1b[1;46m"},
        {"`r%", "\x1b[1;47m"},
        {"`b", "\r\n"},
        {"`c", "\x1b[2J"},
    };
    for (const auto& row : Rows)
        s.replace(QLatin1String(row[0]), QLatin1String(row[1]), Qt::CaseSensitive);
    return s;
}

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // Text typed into the art, codes and all.
    QString text = QString::fromUtf8(bytes);
    const QString expected = convertRowByRow(text);
    const QString returned = ANSIConvert(text);
    check(returned == expected && text == expected);

    // Art: the first byte picks a colour scheme; then each byte is a character, and a byte
    // after a 0xFF marker picks the colour of what follows.
    const std::uint8_t scheme = data[0];
    Palette palette;
    if (scheme & 1) palette.toggleEntry2();
    RichText art(Colour(std::uint32_t(scheme) * 0x010203u));
    Colour colour = palette[scheme % 16];
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = std::uint8_t(bytes[i]);
        if (b == 0xFF && i + 1 < bytes.size()) {
            const auto pick = std::uint8_t(bytes[++i]);
            colour = pick < 0x80 ? palette[pick % 16] : Colour(std::uint32_t(pick) * 0x030507u);
            continue;
        }
        if (b >= 0xF0)
            art.append(char32_t(0x2500 + b), colour); // block and box characters
        else
            art.append(char32_t(b), colour);
    }

    const std::optional<QString> ansi = SalvarComoAnsi(art, palette);
    const std::optional<QString> tagged = taggedText(art, palette, true);
    check(ansi && tagged);
    QString convertedTags = *tagged;
    check(*ansi == ANSIConvert(convertedTags));

    // The HTML page holds the art's text: drop the switch strings, undo the escapes.
    const std::optional<QString> page = SalvarComoHTML(art);
    check(page.has_value());
    const QString head = QStringLiteral("<pre>\r\n<FONT color=\"#FFFFFF\">");
    const qsizetype start = page->indexOf(head);
    const qsizetype end = page->lastIndexOf(QStringLiteral("</FONT>\r\n</pre>"));
    check(start > 0 && end >= start + head.size());
    QString body = page->mid(start + head.size(), end - start - head.size());
    static const QRegularExpression switches(QStringLiteral("</FONT><FONT color=\"#[0-9A-F]{6}\">"));
    body.remove(switches);
    check(!body.contains(u'<') && !body.contains(u'>'));
    body.replace(QLatin1String("&lt;"), QLatin1String("<"));
    body.replace(QLatin1String("&gt;"), QLatin1String(">"));
    body.replace(QLatin1String("&amp;"), QLatin1String("&"));
    check(body == art.plainText());
    return 0;
}
