#include "files/HtmlExport.h"
#include "TestRegistry.h"

#include <QTest>

using namespace torvo;

namespace {
QString sw(const char* hex) {
    return QStringLiteral("</FONT><FONT color=\"#%1\">").arg(QLatin1String(hex));
}

const QStringList HeaderLines = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
    "",
    "<html><head>",
    "      </head>",
    "      <body bgcolor=\"#0\">",
    "      <FONT color=\"#FFFFFF\" size=\"1\"><STRONG>",
    "      <pre>",
};
const QString Line9 = QStringLiteral("<FONT color=\"#FFFFFF\">");
const QString FooterTail = QStringLiteral("\r\n</pre>\r\n     </STRONG></FONT>\r\n     </body>\r\n</html>");

// The body of a page: what lies between line 9's opening element and the closing "</FONT>".
QString bodyOf(const QString& page) {
    const QString head = HeaderLines.join("\r\n") + "\r\n" + Line9;
    const QString tail = "</FONT>" + FooterTail;
    if (!page.startsWith(head) || !page.endsWith(tail)) return QStringLiteral("<not a page>");
    return page.mid(head.size(), page.size() - head.size() - tail.size());
}
} // namespace

class HtmlExportTest : public QObject {
    Q_OBJECT
private slots:
    void colorToHex() {
        QCOMPARE(ColorToHex(Colour{0x0000FF}), QStringLiteral("FF0000"));
        QCOMPARE(ColorToHex(Colour{0x800000}), QStringLiteral("000080"));
        QCOMPARE(ColorToHex(Colour{0x000000}), QStringLiteral("000000"));
        QCOMPARE(ColorToHex(Colour{0x0A0B0C}), QStringLiteral("0C0B0A"));
        QCOMPARE(ColorToHex(Colour::fromRgb(0xAB, 0xCD, 0xEF)), QStringLiteral("ABCDEF"));
    }
    void emptyArtIsHeaderAndFooter() {
        const QString page = *SalvarComoHTML(RichText());
        const QStringList lines = page.split("\r\n");
        QCOMPARE(lines.size(), 13);
        const QList<int> lengths = {38, 97, 0, 12, 13, 25, 45, 11};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(lines[i], HeaderLines[i]);
            QCOMPARE(int(lines[i].size()), lengths[i]);
        }
        QCOMPARE(lines[8], Line9 + "</FONT>");
        QCOMPARE(lines[9], QStringLiteral("</pre>"));
        QCOMPARE(lines[10], QStringLiteral("     </STRONG></FONT>"));
        QCOMPARE(lines[11], QStringLiteral("     </body>"));
        QCOMPARE(lines[12], QStringLiteral("</html>"));
        QVERIFY(encodeExport(page).endsWith("</html>\r\n"));
        QCOMPARE(bodyOf(page), QString());
    }
    void oneColourOverTwoLines() {
        RichText t;
        t.appendText(u"AB\r\nCD", Colour{0x0000FF});
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), sw("FF0000") + "AB\r\n" + sw("FF0000") + "CD");
        t.appendLineBreak();
        QCOMPARE(bodyOf(*SalvarComoHTML(t)),
                 sw("FF0000") + "AB\r\n" + sw("FF0000") + "CD\r\n" + sw("FF0000"));
    }
    void leadingSpacesStayInTheFirstElement() {
        RichText t;
        t.appendText(u"  A", colours::White);
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), "  " + sw("FFFFFF") + "A");
    }
    void spacesNeverSwitchAndAnyColourIsWritten() {
        RichText t;
        t.appendText(u"a", Colour{0x123456});
        t.appendText(u"  ", Colour{0x00FF00});
        t.appendText(u"b", Colour{0x123456});
        t.appendText(u" ", Colour{0x00FF00});
        t.appendText(u"c", colours::Black);
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), sw("563412") + "a  b " + sw("000000") + "c");
    }
    void lineBreakRepeatsTheSwitchOfTheLineBefore() {
        RichText t;
        t.appendText(u"a", Colour{0x0000FF});
        t.appendText(u"  ", Colour{0x00FF00});
        t.appendLineBreak(); // takes the green of the spaces
        t.appendText(u"b", Colour{0x00FF00});
        QCOMPARE(bodyOf(*SalvarComoHTML(t)),
                 sw("FF0000") + "a  " + sw("00FF00") + "\r\n" + sw("00FF00") + "b");
    }
    void markupCharactersAreEscaped() {
        RichText t;
        t.appendText(u"<script>&amp;\"'", colours::White);
        QCOMPARE(bodyOf(*SalvarComoHTML(t)), sw("FFFFFF") + "&lt;script&gt;&amp;amp;\"'");
        // Typed tags are art here, not codes.
        RichText u;
        u.appendText(u"<red>`b", colours::White);
        QCOMPARE(bodyOf(*SalvarComoHTML(u)), sw("FFFFFF") + "&lt;red&gt;`b");
    }
    void cancelledWalkGivesNothing() {
        RichText t;
        t.appendText(u"abc", colours::White);
        int calls = 0;
        QVERIFY(!SalvarComoHTML(t, [&calls] { return ++calls > 1; }));
        QVERIFY(SalvarComoHTML(t, [] { return false; }));
    }
};

TORVO_TEST(HtmlExportTest)
#include "HtmlExportTest.moc"
