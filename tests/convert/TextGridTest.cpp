#include "convert/TextGrid.h"
#include "TestRegistry.h"
#include "palette/Palette.h"

#include <QRandomGenerator>
#include <QTest>

using namespace torvo;

namespace {
const Palette P;
RichText text(QStringView s, Colour c = colours::White) {
    RichText t;
    t.appendText(s, c);
    return t;
}
QString row(const CharGrid& g, int r) {
    QString s;
    for (int c = 0; c < g.cols(); ++c)
        s += g.at(r, c).hasChar ? g.at(r, c).text() : QStringLiteral("_");
    return s;
}
} // namespace

class TextGridTest : public QObject {
    Q_OBJECT
private slots:
    void gridShapes_data() {
        QTest::addColumn<QString>("art");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("cols");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("two lines") << "ab\r\ncde\r\n" << 2 << 3 << QStringList{"ab_", "cde"};
        QTest::newRow("no line break") << "abc" << 1 << 3 << QStringList{"abc"};
        QTest::newRow("empty") << "" << 1 << 1 << QStringList{"_"};
        QTest::newRow("only breaks") << "\r\n\r\n" << 2 << 0 << QStringList{"", ""};
        QTest::newRow("blank line inside") << "a\r\n\r\n  b\r\n"
                                           << 3 << 3 << QStringList{"a__", "___", "  b"};
    }
    void gridShapes() {
        QFETCH(QString, art);
        QFETCH(int, rows);
        QFETCH(int, cols);
        QFETCH(QStringList, cells);
        const RichText t = text(art);
        QCOMPARE(GridMayor(t, u'F'), rows);
        QCOMPARE(GridMayor(t, u'C'), art.isEmpty() ? 1 : cols);
        const CharGrid g = *RestaurarGrid(t);
        QCOMPARE(g.rows(), rows);
        QCOMPARE(g.cols(), cols);
        for (int r = 0; r < rows; ++r)
            QCOMPARE(row(g, r), cells[r]);
    }
    void cellsKeepColoursOfSpacesToo() {
        RichText t;
        t.appendText(u"a", P[2]);
        t.appendText(u" ", P[4]);
        t.appendText(u"b", P[6]);
        t.appendLineBreak();
        const CharGrid g = *RestaurarGrid(t);
        QCOMPARE(g.at(0, 0).colour, P[2]);
        QCOMPARE(g.at(0, 1).colour, P[4]);
        QCOMPARE(g.at(0, 1).text(), QStringLiteral(" "));
        QCOMPARE(g.at(0, 2).colour, P[6]);
    }
    void writeBackFillsGapsAndDropsTrailingBlanks() {
        CharGrid g(2, 5);
        g.setChar(0, 0, U'a');
        g.setColour(0, 0, P[3]);
        g.setChar(0, 2, U'b');
        g.setColour(0, 2, P[5]);
        g.setChar(1, 4, U' ');
        g.setColour(1, 4, P[6]);
        const RichText t = *RestaurarMensaje(g, colours::White);
        QCOMPARE(t.plainText(), QStringLiteral("a b\r\n     \r\n"));
        QCOMPARE(t.colourAt(1), P[5]); // the gap takes the colour of the character after it
        QCOMPARE(t.colourAt(3), P[5]); // line break: colour of the character before it
        QCOMPARE(t.colourAt(9), P[6]);
    }
    void emptyGridBecomesOneEmptyLine() {
        const RichText t = *RestaurarMensaje(*RestaurarGrid(RichText{}), colours::White);
        QCOMPARE(t.plainText(), QStringLiteral("\r\n"));
        QCOMPARE(t.colourAt(0), colours::White);
    }
    void untouchedCellTypedIntoIsYellow() {
        CharGrid g(1, 2);
        g.setChar(0, 1, U'x');
        const RichText t = *RestaurarMensaje(g, colours::White);
        QCOMPARE(t.colourAt(1), colours::Yellow);
        QCOMPARE(t.colourAt(0), colours::Yellow);
    }
    void roundTripKeepsCharactersAndColours() {
        QRandomGenerator rng(1234);
        const char32_t alphabet[] = {U'a', U'Z', U' ', U'\t', U'"', U'ñ', U'█', U'░', 0x1F600, U'{'};
        for (int round = 0; round < 50; ++round) {
            RichText t;
            const int lines = rng.bounded(1, 8);
            for (int l = 0; l < lines; ++l) {
                const int len = rng.bounded(0, 12);
                for (int i = 0; i < len; ++i)
                    t.append(alphabet[rng.bounded(int(std::size(alphabet)))], P[rng.bounded(16)]);
                // Trailing blanks are dropped by the write-back; end lines on a character.
                if (len > 0) t.append(U'x', P[rng.bounded(16)]);
                t.appendLineBreak();
            }
            const RichText back = *RestaurarMensaje(*RestaurarGrid(t), colours::White);
            QCOMPARE(back.plainText(), t.plainText());
            for (int p = 0; p < t.size(); ++p)
                if (!t.isLineBreak(p)) QCOMPARE(back.colourAt(p), t.colourAt(p));
        }
    }
    void cancelledConversionsGiveNothing() {
        const RichText t = text(u"ab\r\ncd\r\n");
        QCOMPARE(RestaurarGrid(t, [] { return true; }), std::nullopt);
        QCOMPARE(RestaurarMensaje(*RestaurarGrid(t), colours::White, [] { return true; }), std::nullopt);
    }
};
TORVO_TEST(TextGridTest)
#include "TextGridTest.moc"
