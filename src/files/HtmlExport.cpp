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

CodeWalkPolicy pagePolicy() {
    CodeWalkPolicy policy;
    policy.codeOf = [](Colour c) -> std::optional<QString> { return switchString(c); };
    policy.escape = escaped;
    policy.lineBreak = QStringLiteral("\r\n");
    return policy;
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

HtmlPageWriter::HtmlPageWriter(QIODevice& out)
    : out_(out), policy_(pagePolicy()), walker_(policy_), state_(CodeWalker::start(policy_)),
      buffer_(Header) {}

std::optional<bool> HtmlPageWriter::add(const RichText& piece, const std::function<bool()>& cancelled) {
    // Written a stretch at a time from one reused buffer: the page is several times the art.
    constexpr int Stretch = 32 * 1024;
    for (int at = 0; at < piece.size(); at += Stretch) {
        if (!walker_.walk(piece, at, std::min(at + Stretch, piece.size()), state_, buffer_, cancelled))
            return std::nullopt;
        if (!write()) return false;
    }
    return true;
}

bool HtmlPageWriter::finish() {
    buffer_.append(Footer);
    return write();
}

bool HtmlPageWriter::write() {
    const bool written = out_.write(buffer_) == buffer_.size();
    buffer_.resize(0);
    return written;
}

std::optional<bool> writeHtmlPage(const RichText& text, QIODevice& out,
                                  const std::function<bool()>& cancelled) {
    HtmlPageWriter page(out);
    const std::optional<bool> added = page.add(text, cancelled);
    if (!added || !*added) return added;
    return page.finish();
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
