#include "files/HtmlExport.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "files/ExportText.h"

#include <QBuffer>
#include <QTest>

using namespace torvo;

namespace {
QString sw(const char* hex) {
    return QStringLiteral("</FONT><FONT color=\"#%1\">").arg(QLatin1String(hex));
}

const QString Head = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                                    "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
                                    "\r\n"
                                    "<html><head>\r\n"
                                    "      </head>\r\n"
                                    "      <body bgcolor=\"#0\">\r\n"
                                    "      <FONT color=\"#FFFFFF\" size=\"1\"><STRONG>\r\n"
                                    "      <pre>\r\n"
                                    "<FONT color=\"#FFFFFF\">");
const QString Tail = QStringLiteral("</FONT>\r\n</pre>\r\n     </STRONG></FONT>\r\n     </body>\r\n</html>");

// The body of a page: what lies between the page's head and its tail.
QString bodyOf(const QString& page) {
    if (!page.startsWith(Head) || !page.endsWith(Tail)) return QStringLiteral("<not a page>");
    return page.mid(Head.size(), page.size() - Head.size() - Tail.size());
}
} // namespace

class HtmlExportTest : public QObject {
    Q_OBJECT
private slots:
    // The walk's rules are tested with the walk; here every colour has a code, black too.
    void workedExampleAndThePage() {
        const QString body =
            sw("FFFFFF") + "Hi " + sw("FF0000") + "^\r\n" + sw("FF0000") + sw("008000") + "ok";
        QCOMPARE(bodyOf(*SalvarComoHTML(test::workedExample(false))), body);
        QCOMPARE(bodyOf(*SalvarComoHTML(test::workedExample(true))), body + "\r\n" + sw("008000"));
        QCOMPARE(encodeExport(*SalvarComoHTML(RichText())), (Head + Tail + "\r\n").toUtf8());
        RichText t;
        t.appendText(u"a", Colour{0x0A0B0C});
        t.appendText(u"b", colours::Black);
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), sw("0C0B0A") + "a" + sw("000000") + "b");
        QCOMPARE(ColorToHex(Colour::fromRgb(0xAB, 0xCD, 0xEF)), QStringLiteral("ABCDEF"));
    }
    void markupCharactersAreEscaped() {
        RichText t;
        t.appendText(u"<script>&amp;\"'<red>`b", colours::White);
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), sw("FFFFFF") + "&lt;script&gt;&amp;amp;\"'&lt;red&gt;`b");
    }
    // A long page is written a stretch of the art at a time: pieces that meet inside a run
    // of colour or between the halves of a line break write what one walk writes; a device
    // that refuses a piece fails the page.
    void longPageInPieces() {
        const Colour red = Colour::fromRgb(0xFF, 0, 0), green = Colour::fromRgb(0, 0x80, 0);
        RichText t;
        QString body;
        for (int i = 0; i < 100'000; ++i) {
            if (i == 32'767) { // the break's halves fall on both sides of the first cut
                t.appendLineBreak();
                body += "\r\n" + sw("FF0000");
                ++i;
                continue;
            }
            const bool even = i % 2 == 0;
            t.append(even ? U'<' : U'b', even ? red : green);
            body += sw(even ? "FF0000" : "008000") + (even ? "&lt;" : "b");
        }
        QBuffer page;
        page.open(QIODevice::WriteOnly);
        QCOMPARE(writeHtmlPage(t, page), std::optional<bool>(true));
        QCOMPARE(bodyOf(QString::fromUtf8(page.data()).chopped(2)), body);
        QBuffer refusing;
        refusing.open(QIODevice::ReadOnly);
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
        QCOMPARE(writeHtmlPage(t, refusing), std::optional<bool>(false));
    }
};

TORVO_TEST(HtmlExportTest)
#include "HtmlExportTest.moc"
