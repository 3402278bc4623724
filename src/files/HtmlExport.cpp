#include "files/HtmlExport.h"

#include "convert/CodeWalk.h"

#include <QBuffer>
#include <algorithm>

namespace torvo {
namespace {

constexpr char Header[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                          "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
                          "\r\n"
                          "<html><head>\r\n"
                          "      </head>\r\n"
                          "      <body bgcolor=\"#0\">\r\n"
                          "      <FONT color=\"#FFFFFF\" size=\"1\"><STRONG>\r\n"
                          "      <pre>\r\n"
                          "<FONT color=\"#FFFFFF\">";

constexpr char Footer[] = "</FONT>\r\n"
                          "</pre>\r\n"
                          "     </STRONG></FONT>\r\n"
                          "     </body>\r\n"
                          "</html>\r\n";

QString switchString(Colour c) {
    return QStringLiteral("</FONT><FONT color=\"#") + ColorToHex(c) + QStringLiteral("\">");
}

QLatin1StringView escaped(char32_t ch) {
    switch (ch) {
    case U'&':
        return QLatin1StringView("&amp;");
    case U'<':
        return QLatin1StringView("&lt;");
    case U'>':
        return QLatin1StringView("&gt;");
    default:
        return {};
    }
}

} // namespace

QString ColorToHex(Colour colour) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    const int parts[3] = {colour.red(), colour.green(), colour.blue()};
    QString hex(6, Qt::Uninitialized);
    for (int i = 0; i < 3; ++i) {
        hex[2 * i] = QLatin1Char(Digits[parts[i] >> 4]);
        hex[2 * i + 1] = QLatin1Char(Digits[parts[i] & 0xF]);
    }
    return hex;
}

std::optional<bool> writeHtmlPage(const RichText& text, QIODevice& out,
                                  const std::function<bool()>& cancelled) {
    CodeWalkPolicy policy;
    policy.codeOf = [](Colour c) -> std::optional<QString> { return switchString(c); };
    policy.escape = escaped;
    policy.lineBreak = QStringLiteral("\r\n");
    // Pieces of about a hundred kilobytes, written as they are made into one reused array.
    constexpr int Stretch = 32 * 1024;
    QByteArray piece(Header);
    CodeWalker walker(policy);
    CodeWalkState state = CodeWalker::start(policy);
    for (int at = 0; at < text.size(); at += Stretch) {
        if (!walker.walk(text, at, std::min(at + Stretch, text.size()), state, piece, cancelled))
            return std::nullopt;
        if (out.write(piece) != piece.size()) return false;
        piece.resize(0);
    }
    piece.append(Footer);
    return out.write(piece) == piece.size();
}

std::optional<QByteArray> htmlPageFile(const RichText& text, const std::function<bool()>& cancelled) {
    QByteArray page;
    page.reserve(qsizetype(sizeof Header + sizeof Footer) + qsizetype(text.size()) * 2);
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    const std::optional<bool> written = writeHtmlPage(text, buffer, cancelled);
    if (!written) return std::nullopt;
    return page; // a buffer in memory takes every piece
}

std::optional<QString> SalvarComoHTML(const RichText& text, const std::function<bool()>& cancelled) {
    const std::optional<QByteArray> page = htmlPageFile(text, cancelled);
    if (!page) return std::nullopt;
    return QString::fromUtf8(QByteArrayView(*page).chopped(2));
}

} // namespace torvo
