#include "art/RichText.h"
#include "TestRegistry.h"
#include "art/CharGrid.h"

#include <QTest>

using namespace torvo;

class RichTextTest : public QObject {
    Q_OBJECT
private slots:
    void lineBreakTakesColourOfPositionBefore() {
        RichText t;
        t.append(U'a', Colour{0x0000FF});
        t.appendLineBreak();
        QCOMPARE(t.size(), 3);
        QVERIFY(t.isLineBreak(1) && t.isLineBreak(2));
        QCOMPARE(t.charAt(1), RichText::CR);
        QCOMPARE(t.charAt(2), RichText::LF);
        QCOMPARE(t.colourAt(1), Colour{0x0000FF});
        QCOMPARE(t.colourAt(2), Colour{0x0000FF});
        QCOMPARE(t.textAt(1), QString());
        QCOMPARE(t.textAt(0), QStringLiteral("a"));
    }
    void leadingLineBreakTakesTypingColour() {
        RichText t(Colour{0x00FF00});
        t.appendLineBreak();
        QCOMPARE(t.colourAt(0), Colour{0x00FF00});
        QCOMPARE(t.colourAt(1), Colour{0x00FF00});
    }
    void endPositionReportsLastColourOrTypingColour() {
        RichText t(Colour{0x123456});
        QCOMPARE(t.colourAt(0), Colour{0x123456});
        t.append(U'x', Colour{0x0000FF});
        QCOMPARE(t.colourAt(t.size()), Colour{0x0000FF});
    }
    void astralCharacterIsOnePosition() {
        RichText t;
        t.appendText(QString::fromUtf8("a\xF0\x9F\x98\x80"
                                       "b"),
                     colours::White);
        QCOMPARE(t.size(), 3);
        QCOMPARE(t.charAt(1), char32_t(0x1F600));
        QCOMPARE(t.textAt(1), QString::fromUtf8("\xF0\x9F\x98\x80"));
        QCOMPARE(t.plainText(), QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                  "b"));
    }
    void everyLineEndingBecomesCrLf() {
        RichText t;
        t.appendText(u"a\nb\r\nc\rd", colours::White);
        QCOMPARE(t.plainText(), QStringLiteral("a\r\nb\r\nc\r\nd"));
        QVERIFY(!t.endsWithLineBreak());
        t.append(RichText::LF, colours::White);
        QVERIFY(t.endsWithLineBreak());
        QCOMPARE(t.size(), 12);
    }
    void gridCellsStartEmptyAndYellow() {
        CharGrid g(2, 3);
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.cols(), 3);
        QVERIFY(!g.at(1, 2).hasChar);
        QCOMPARE(g.at(1, 2).colour, colours::Yellow);
        g.setChar(1, 2, U' ');
        QCOMPARE(g.at(1, 2).text(), QStringLiteral(" "));
        g.reset(0, 0);
        QCOMPARE(g.rows(), 0);
    }
};
TORVO_TEST(RichTextTest)
#include "RichTextTest.moc"
