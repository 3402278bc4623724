#include "chat/IrcArt.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "chat/ChatColours.h"

#include <QRegularExpression>
#include <QTest>

using namespace torvo;
using namespace torvo::chat;

namespace {
const Palette P;
using Runs = std::vector<std::pair<const char16_t*, Colour>>;

RichText artOf(const Runs& runs, bool finalBreak = true) {
    RichText t;
    for (const auto& [text, colour] : runs)
        t.appendText(QStringView(text), colour);
    if (finalBreak) t.appendLineBreak();
    return t;
}
// mIRC codes written as "{FF}" in the expected texts.
QString codes(QString s) {
    static const QRegularExpression code(QStringLiteral("\\{(\\d\\d)\\}"));
    return s.replace(code, QStringLiteral("\x03\\1,01"));
}
} // namespace

class IrcArtTest : public QObject {
    Q_OBJECT
private slots:
    // Every palette entry's mIRC colour, by the text-mode numbers of the colour table; and
    // each mIRC colour 0-15 reads back as the entry it came from.
    void paletteEntriesAndMircColours() {
        const int expected[16] = {0, 14, 4, 8, 9, 11, 12, 13, 1, 15, 5, 7, 3, 10, 2, 6};
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(mircColourOf(P[i], P), expected[i]);
            QCOMPARE(colourOfMirc(expected[i], P), P[i]);
        }
        Palette dark;
        dark.toggleEntry2();
        // Entry 2 maps by the colour it holds; light red is then off the palette, and nearest
        // to entry 2 as well.
        QCOMPARE(mircColourOf(Palette::DarkRed, dark), 5);
        QCOMPARE(mircColourOf(Palette::LightRed, dark), 5);
        // Off the palette: the entry "Cambio Color" suggests.
        QCOMPARE(mircColourOf(Colour::fromRgb(254, 254, 254), P), 0);
        QCOMPARE(mircColourOf(Colour::fromRgb(230, 20, 20), P), 4);
        QCOMPARE(mircColourOf(Colour::fromRgb(20, 20, 100), P), 2);
        // The extended colours by their RGB, black as black; 99 is the client's default.
        const std::pair<int, Colour> extended[] = {{52, P[2]}, {16, P[10]}, {88, P[8]},
                                                   {98, P[0]}, {99, P[0]},  {100, P[0]}};
        for (const auto& [mirc, colour] : extended)
            QCOMPARE(colourOfMirc(mirc, P), colour);
    }

    void writer_data() {
        QTest::addColumn<RichText>("art");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("worked example")
            << test::workedExample(true) << QStringList{codes("{00}Hi {04}^"), codes("{03}ok")};
        QTest::newRow("no final break")
            << test::workedExample(false) << QStringList{codes("{00}Hi {04}^"), codes("{03}ok")};
        QTest::newRow("digits after codes stay text")
            << artOf({{u"12", P[2]}, {u"3", P[4]}}) << QStringList{codes("{04}12{09}3")};
        QTest::newRow("a line starts with its first character's code, spaces bring none")
            << artOf({{u"  ", P[0]}, {u"/x", P[6]}, {u" ", P[3]}, {u"y", P[6]}})
            << QStringList{codes("{12}  /x y")};
        QTest::newRow("colours of one code, black, off the palette")
            << artOf({{u"a", P[0]},
                      {u"b", Colour::fromRgb(254, 254, 254)},
                      {u"c", colours::Black},
                      {u"d", Colour::fromRgb(230, 20, 20)}})
            << QStringList{codes("{00}ab{01}c{04}d")};
        QTest::newRow("empty and blank lines")
            << artOf({{u"a\r\n\r\n   \r\nb", P[4]}})
            << QStringList{codes("{09}a"), codes("{00} "), codes("{00}   "), codes("{09}b")};
        QTest::newRow("empty art") << RichText() << QStringList{};
        QTest::newRow("only a line break") << artOf({}) << QStringList{codes("{00} ")};
    }
    void writer() {
        QFETCH(RichText, art);
        QFETCH(QStringList, lines);
        QCOMPARE(ircLines(art, P), lines);
        QCOMPARE(ircFile(art, P), lines.isEmpty() ? QByteArray() : (lines.join("\r\n") + "\r\n").toUtf8());
    }

    // Every form clients send, the malformed ones read as irssi and HexChat read them.
    void reader_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<RichText>("art");
        QTest::addColumn<int>("backgrounds");
        const Colour red = P[2], white = P[0];
        QTest::newRow("two digits, black background") << "\x03"
                                                         "04,01red"
                                                      << artOf({{u"red", red}}) << 0;
        QTest::newRow("one digit") << "\x03"
                                      "4r"
                                   << artOf({{u"r", red}}) << 0;
        QTest::newRow("a third digit is text") << "\x03"
                                                  "041"
                                               << artOf({{u"1", red}}) << 0;
        QTest::newRow("background only") << "\x03"
                                            "4a\x03,5b"
                                         << artOf({{u"a", red}, {u"b", red}}) << 1;
        QTest::newRow("backgrounds are counted") << "\x03"
                                                    "4,5ab \x03"
                                                    "4,99c\x03"
                                                    "4,88d"
                                                 << artOf({{u"ab c", red}, {u"d", red}}) << 3;
        QTest::newRow("no digits: back to white") << "\x03"
                                                     "4a\x03"
                                                     "b\x03"
                                                  << artOf({{u"a", red}, {u"b", white}}) << 0;
        QTest::newRow("reset") << "\x03"
                                  "4,3a\x0f"
                                  "b"
                               << artOf({{u"a", red}, {u"b", white}}) << 1;
        QTest::newRow("comma without digits is text") << "\x03"
                                                         "4,x\x03,y"
                                                      << artOf({{u",x", red}, {u",y", white}}) << 0;
        QTest::newRow("styles left out") << "\x02\x1f\x1d\x16"
                                            "ab"
                                         << artOf({{u"ab", white}}) << 0;
        QTest::newRow("extended and default colours")
            << "\x03"
               "52a\x03"
               "88b\x03"
               "99c\x03"
               "16d"
            << artOf({{u"a", red}, {u"b", colours::Black}, {u"c", white}, {u"d", P[10]}}) << 0;
        QTest::newRow("each line starts white; CR LF, LF or CR")
            << "\x03"
               "4a\r\nb\nc\rd"
            << artOf({{u"a", red}, {u"\r\nb\r\nc\r\nd", white}}) << 0;
        QTest::newRow("a line of one space is an empty line") << "\x03"
                                                                 "00,01 \r\n\x03"
                                                                 "04,01 x"
                                                              << artOf({{u"\r\n", white}, {u" x", red}}) << 0;
        QTest::newRow("only codes: empty art") << "\x03"
                                                  "4\x03"
                                                  "5,1\r\n\x03\r\n"
                                               << RichText() << 0;
    }
    void reader() {
        QFETCH(QString, text);
        QFETCH(RichText, art);
        QFETCH(int, backgrounds);
        const IrcArt read = readIrcArt(text, P);
        QCOMPARE(read.text.plainText(), art.plainText());
        for (int p = 0; p < art.size(); ++p)
            QVERIFY2(read.text.colourAt(p) == art.colourAt(p), qPrintable(QString::number(p)));
        QCOMPARE(read.backgroundCells, qsizetype(backgrounds));
    }

    // What the writer writes, the reader reads back: every character that is not a space in
    // its colour, whatever the palette colours and characters around it.
    void writtenArtReadsBack() {
        RichText art;
        const char16_t* texts[] = {u"/a", u"12", u" ", u"█▀", u",3", u"\U0001F600", u"", u"x"};
        for (int i = 0; i < 64; ++i) {
            art.appendText(QStringView(texts[i % 8]), P[(i * 7) % 16]);
            if (i % 9 == 8) art.appendLineBreak();
        }
        art.appendLineBreak();
        const IrcArt read = readIrcArt(QString::fromUtf8(ircFile(art, P)), P);
        QCOMPARE(read.text.plainText(), art.plainText());
        for (int p = 0; p < art.size(); ++p)
            if (art.charAt(p) != U' ' && !art.isLineBreak(p))
                QCOMPARE(read.text.colourAt(p), art.colourAt(p));
        QCOMPARE(read.backgroundCells, qsizetype(0));
    }
};
TORVO_TEST(IrcArtTest)
#include "IrcArtTest.moc"
