#include "files/HtmlExport.h"

#include "convert/CodeWalk.h"

#include <QHash>

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

std::optional<QByteArray> htmlPageFile(const RichText& text, const std::function<bool()>& cancelled) {
    CodeWalkPolicy policy;
    // Art holds few distinct colours; build each switch string once.
    QHash<std::uint32_t, QString> switches;
    policy.codeOf = [&switches](Colour c) -> std::optional<QString> {
        auto it = switches.constFind(c.value());
        if (it == switches.constEnd()) it = switches.insert(c.value(), switchString(c));
        return *it;
    };
    policy.escape = escaped;
    policy.lineBreak = QStringLiteral("\r\n");
    // Written as the walk goes, into one array: the page is several times the art.
    QByteArray page;
    page.reserve(qsizetype(sizeof Header + sizeof Footer) + qsizetype(text.size()) * 2);
    page.append(Header);
    CodeWalkState state = CodeWalker::start(policy);
    if (!CodeWalker(policy).walk(text, 0, text.size(), state, page, cancelled)) return std::nullopt;
    page.append(Footer);
    return page;
}

std::optional<QString> SalvarComoHTML(const RichText& text, const std::function<bool()>& cancelled) {
    const std::optional<QByteArray> page = htmlPageFile(text, cancelled);
    if (!page) return std::nullopt;
    return QString::fromUtf8(QByteArrayView(*page).chopped(2));
}

} // namespace torvo
