#include "files/HtmlExport.h"

#include "convert/CodeWalk.h"

#include <QHash>

namespace torvo {
namespace {

const QString Header = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                                      "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
                                      "\r\n"
                                      "<html><head>\r\n"
                                      "      </head>\r\n"
                                      "      <body bgcolor=\"#0\">\r\n"
                                      "      <FONT color=\"#FFFFFF\" size=\"1\"><STRONG>\r\n"
                                      "      <pre>\r\n"
                                      "<FONT color=\"#FFFFFF\">");

const QString Footer = QStringLiteral("</FONT>\r\n"
                                      "</pre>\r\n"
                                      "     </STRONG></FONT>\r\n"
                                      "     </body>\r\n"
                                      "</html>");

QString switchString(Colour c) {
    return QStringLiteral("</FONT><FONT color=\"#") + ColorToHex(c) + QStringLiteral("\">");
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

std::optional<QString> SalvarComoHTML(const RichText& text, const std::function<bool()>& cancelled) {
    CodeWalkPolicy policy;
    // Art holds few distinct colours; build each switch string once.
    QHash<std::uint32_t, QString> switches;
    policy.codeOf = [&switches](Colour c) -> std::optional<QString> {
        auto it = switches.constFind(c.value());
        if (it == switches.constEnd()) it = switches.insert(c.value(), switchString(c));
        return *it;
    };
    policy.appendChar = [](QString& out, char32_t ch) {
        switch (ch) {
        case U'&':
            out += QLatin1String("&amp;");
            break;
        case U'<':
            out += QLatin1String("&lt;");
            break;
        case U'>':
            out += QLatin1String("&gt;");
            break;
        default:
            appendCodePoint(out, ch);
        }
    };
    policy.lineBreak = QStringLiteral("\r\n");
    std::optional<QString> body = walkCodes(text, policy, cancelled);
    if (!body) return std::nullopt;
    QString page;
    page.reserve(Header.size() + body->size() + Footer.size());
    page += Header;
    page += *body;
    page += Footer;
    return page;
}

} // namespace torvo
