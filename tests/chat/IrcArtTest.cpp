#include "chat/IrcArt.h"
#include "ArtText.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "chat/ChatColours.h"

#include <QRegularExpression>
#include <QTest>

using namespace torvo;
using namespace torvo::chat;
using test::artText;

namespace {
const Palette P;
// mIRC codes written "{FF}" in the expected lines.
QStringList codes(std::initializer_list<const char*> lines) {
    static const QRegularExpression code(QStringLiteral("\\{(\\d\\d)\\}"));
    QStringList out;
    for (const char* line : lines)
        out << QString::fromUtf8(line).replace(code, QStringLiteral("\x03\\1,01"));
    return out;
}
} // namespace

class IrcArtTest : public QObject {
    Q_OBJECT
private slots:
    // Each entry's mIRC colour by its text-mode number, and back; entry 2 by what it holds;
    // colours off the palette as "Cambio Color" suggests; the extended colours by their RGB.
    void mircColours() {
        const int mirc[16] = {0, 14, 4, 8, 9, 11, 12, 13, 1, 15, 5, 7, 3, 10, 2, 6};
        for (int i = 0; i < 16; ++i) {
            QCOMPARE(mircColourOf(P[i], P), mirc[i]);
            QCOMPARE(colourOfMirc(mirc[i], P), P[i]);
        }
        Palette dark;
        dark.toggleEntry2();
        QCOMPARE(mircColourOf(Palette::DarkRed, dark), 5);
        QCOMPARE(mircColourOf(Palette::LightRed, dark), 5);
        QCOMPARE(mircColourOf(Colour::fromRgb(230, 20, 20), P), 4);
        QCOMPARE(mircColourOf(Colour::fromRgb(20, 20, 100), P), 2);
        for (const auto& [code, entry] : {std::pair{52, 2}, {16, 10}, {88, 8}, {98, 0}, {99, 0}})
            QCOMPARE(colourOfMirc(code, P), P[entry]);
    }

    void writer_data() {
        QTest::addColumn<RichText>("art");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("worked example") << test::workedExample(true) << codes({"{00}Hi {04}^", "{03}ok"});
        QTest::newRow("no final break") << test::workedExample(false) << codes({"{00}Hi {04}^", "{03}ok"});
        QTest::newRow("digits after a code stay text") << artText(u"{2}12{4}3") << codes({"{04}12{09}3"});
        QTest::newRow("a line starts with its first character's code; spaces bring none")
            << artText(u"  {6}/x{3} {6}y") << codes({"{12}  /x y"});
        RichText shared = artText(u"a");
        shared.append(U'b', Colour::fromRgb(250, 250, 250)); // white's code too
        shared.append(U'c', colours::Black);
        QTest::newRow("one code for colours that share it; black") << shared << codes({"{00}ab{01}c"});
        QTest::newRow("empty and blank lines")
            << artText(u"{4}a\n\n   \nb") << codes({"{09}a", "{00} ", "{00}   ", "{09}b"});
        QTest::newRow("empty art") << RichText() << QStringList();
    }
    void writer() {
        QFETCH(RichText, art);
        QFETCH(QStringList, lines);
        QCOMPARE(ircLines(art, P), lines);
        QCOMPARE(ircFile(art, P), lines.isEmpty() ? QByteArray() : (lines.join("\r\n") + "\r\n").toUtf8());
    }

    // Every form clients send, the malformed ones as irssi and HexChat read them.
    void reader_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<RichText>("art");
        QTest::addColumn<int>("backgrounds");
        using test::ircText;
        QTest::newRow("two digits, black background") << ircText("^C04,01a") << artText(u"{2}a\n") << 0;
        QTest::newRow("one digit; a third is text") << ircText("^C4a^C041") << artText(u"{2}a1\n") << 0;
        QTest::newRow("background alone") << ircText("^C4a^C,5b") << artText(u"{2}ab\n") << 1;
        QTest::newRow("backgrounds counted, not black or default")
            << ircText("^C4,5a ^C4,99c^C4,88d") << artText(u"{2}a cd\n") << 2;
        QTest::newRow("no digits, or ^O: white")
            << ircText("^C4a^Cb^C4,3c^Od^C") << artText(u"{2}a{0}b{2}c{0}d\n") << 1;
        QTest::newRow("a comma without digits is text")
            << ircText("^C4,x^C,y") << artText(u"{2},x{0},y\n") << 0;
        QTest::newRow("styles left out") << ircText("^B^U^I^Ra") << artText(u"a\n") << 0;
        QTest::newRow("extended colours, default")
            << ircText("^C52a^C88b^C99c^C16d") << artText(u"{2}a{8}b{0}c{10}d\n") << 0;
        QTest::newRow("each line starts white; CR LF, LF, CR")
            << ircText("^C4a\r\nb\nc\rd") << artText(u"{2}a\n{0}b\nc\nd\n") << 0;
        QTest::newRow("a line of one space is empty")
            << ircText("^C00,01 \r\n^C04 x") << artText(u"\n{2} x\n") << 0;
        QTest::newRow("only codes: empty art") << ircText("^C4^C5,1\r\n^C\r\n") << RichText() << 0;
    }
    void reader() {
        QFETCH(QString, text);
        QFETCH(RichText, art);
        QFETCH(int, backgrounds);
        const IrcArt read = readIrcArt(text, P);
        QCOMPARE(read.text, art);
        QCOMPARE(read.backgroundCells, qsizetype(backgrounds));
    }
};
TORVO_TEST(IrcArtTest)
#include "IrcArtTest.moc"
