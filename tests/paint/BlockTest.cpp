#include "paint/Block.h"
#include "GridRows.h"
#include "TestRegistry.h"
#include "files/CodePage.h"
#include "history/GridStep.h"
#include "paint/CharacterSets.h"
#include "palette/Palette.h"

#include <QTest>

using namespace torvo;
using torvo::test::rowsOf;

namespace {

constexpr Colour Red{0x0000FF};

// A grid from rows of text ('_' an empty cell); each character's colour is its column's
// number, so that moved and mirrored cells are told apart by colour too.
CharGrid gridOf(const QStringList& rows) {
    CharGrid g(int(rows.size()), rows.isEmpty() ? 0 : int(rows[0].size()));
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c) {
            if (rows[r][c] != u'_') g.setChar(r, c, rows[r][c].unicode());
            g.setColour(r, c, Colour{std::uint32_t(c)});
        }
    return g;
}

} // namespace

class BlockTest : public QObject {
    Q_OBJECT
private slots:
    void mirrorTableIsAnInvolution() {
        // Every character of code page 437 and of the table's neighbourhood, both flips.
        for (const Flip flip : {Flip::Horizontal, Flip::Vertical})
            for (char32_t ch = 0x20; ch < 0x2600; ++ch)
                QCOMPARE(mirrored(mirrored(ch, flip), flip), ch);
    }
    void mirrorPairs_data() {
        QTest::addColumn<QString>("mirrors"); // a character, its mirror left to right, top to bottom
        for (const char* m : {"/\\\\", "()(", "[][", "{}{", "<><", "▌▐▌", "▀▀▄", "┌┐└", "└┘┌", "├┤├", "┬┬┴",
                              "╔╗╚", "╝╚╗", "╦╦╩", "«»«", "▲▲▼", "AAA", "███"})
            QTest::newRow(m) << QString::fromUtf8(m);
    }
    void mirrorPairs() {
        QFETCH(QString, mirrors);
        QCOMPARE(mirrored(mirrors[0].unicode(), Flip::Horizontal), char32_t(mirrors[1].unicode()));
        QCOMPARE(mirrored(mirrors[0].unicode(), Flip::Vertical), char32_t(mirrors[2].unicode()));
    }
    void blockOperations_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<Block>("block");
        QTest::addColumn<QStringList>("after");
        const QStringList g{"ab(", "cd_", "ef/"};
        QTest::newRow("flip h") << "h" << g << Block{0, 0, 1, 2} << QStringList{")ba", "_dc", "ef/"};
        QTest::newRow("flip v") << "v" << g << Block{1, 1, 2, 2} << QStringList{"ab(", "cf\\", "ed_"};
        QTest::newRow("flip one cell") << "h" << g << Block{0, 2, 0, 2} << QStringList{"ab)", "cd_", "ef/"};
        QTest::newRow("empty") << "x" << g << Block{0, 1, 1, 2} << QStringList{"a__", "c__", "ef/"};
        QTest::newRow("move right") << ">" << g << Block{0, 0, 1, 1} << QStringList{"_ab", "_cd", "ef/"};
        QTest::newRow("move up") << "^" << g << Block{1, 2, 2, 2} << QStringList{"ab_", "cd/", "ef_"};
        QTest::newRow("move past the edge") << ">" << g << Block{0, 1, 0, 2} << g;
        QTest::newRow("move up at the top") << "^" << g << Block{0, 0, 0, 0} << g;
    }
    void blockOperations() {
        QFETCH(QString, op);
        QFETCH(QStringList, before);
        QFETCH(Block, block);
        QFETCH(QStringList, after);
        CharGrid g = gridOf(before);
        const CharGrid original = g;
        if (op == u'h' || op == u'v') flipBlock(g, block, op == u'h' ? Flip::Horizontal : Flip::Vertical);
        if (op == u'x') emptyBlock(g, block);
        if (op == u'>') QCOMPARE(moveBlock(g, block, 0, 1), after != before);
        if (op == u'^') QCOMPARE(moveBlock(g, block, -1, 0), after != before);
        QCOMPARE(rowsOf(g), after);
        // Cells keep their colour with their character; emptied cells keep theirs.
        if (op == u'h' && block.cols() == 3) QCOMPARE(g.at(0, 0).colour, Colour{2});
        if (op == u'x') QCOMPARE(g.at(0, 1).colour, Colour{1});
        if (op == u'h' || op == u'v') { // twice gives the block back
            flipBlock(g, block, op == u'h' ? Flip::Horizontal : Flip::Vertical);
            QVERIFY(g == original);
        }
    }
    void pasteGrowsWithinTheLimit_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("inside") << 1 << 0 << qint64(100) << QStringList{"ab(", "xy_", "zw/"};
        QTest::newRow("past both edges")
            << 2 << 2 << qint64(100) << QStringList{"ab(_", "cd__", "efxy", "__zw"};
        QTest::newRow("refused") << 2 << 2 << qint64(4 * 6 - 1) << QStringList{"ab(", "cd_", "ef/"};
    }
    void pasteGrowsWithinTheLimit() {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(qint64, limit);
        QFETCH(QStringList, after);
        CharGrid g = gridOf({"ab(", "cd_", "ef/"});
        const CharGrid before = g;
        const Result<void> pasted = pasteBlock(g, gridOf({"xy", "zw"}), row, col, limit);
        QCOMPARE(rowsOf(g), after);
        QCOMPARE(bool(pasted), limit == 100);
        if (!pasted) QVERIFY(g == before && !pasted.why().isEmpty());
        // The grid's history takes the grown grid back and forth as one step.
        GridStep step(diffGrids(before, g), sizeOf(before), sizeOf(g));
        CharGrid undone = g;
        step.applyTo(undone, true);
        QVERIFY(undone == before);
        step.applyTo(undone, false);
        QVERIFY(undone == g);
    }
    void cellsRoundTripAndRejectBadData() {
        CharGrid g = gridOf({"a_\u2591", "\u2554 _"});
        g.setColour(1, 1, Red);
        QVERIFY(*readCells(cellsData(g), 100) == g);
        QByteArray data = cellsData(g);
        for (const QByteArray& bad : {data.left(data.size() - 1), QByteArray("xx"), data.left(11)})
            QVERIFY(!readCells(bad, 100));
        QVERIFY(!readCells(data, 5)); // larger than the limit
        data[data.size() - 1] = char(0xFF);
        data[data.size() - 4] = char(0x01); // a colour past 24 bits
        QVERIFY(!readCells(data, 100));
    }
    void builtInSetsSurviveCodePage437() {
        for (const CharacterSet& set : BuiltInSets) {
            qsizetype missing = 0;
            const QString text = ownSetSetting(set.characters);
            const QByteArray bytes = CodePage::ibm437().encode(text, &missing);
            QCOMPARE(missing, 0);
            QCOMPARE(CodePage::ibm437().decode(bytes), text);
        }
        // The own set read back: what is not a character keeps the starting one.
        KeyCharacters own = BuiltInSets[1].characters;
        own[3] = U'\U0001F600';
        QCOMPARE(ownSetOfSetting(ownSetSetting(own)), own);
        QCOMPARE(ownSetOfSetting(QStringLiteral("a\x01"))[1], BuiltInSets[0].characters[1]);
    }
    void paletteSteppingWraps_data() {
        QTest::addColumn<Colour>("current");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("entry");
        const Palette p;
        QTest::newRow("white down") << p[0] << 1 << 1;
        QTest::newRow("last down wraps") << p[15] << 1 << 0;
        QTest::newRow("white up wraps") << p[0] << -1 << 15;
        QTest::newRow("black is entry 8") << colours::Black << 1 << 9;
        QTest::newRow("not in the palette, down") << Colour{0x123456} << 1 << 0;
        QTest::newRow("not in the palette, up") << Colour{0x123456} << -1 << 15;
    }
    void paletteSteppingWraps() {
        QFETCH(Colour, current);
        QFETCH(int, step);
        QFETCH(int, entry);
        QCOMPARE(Palette().stepped(current, step), entry);
    }
};

TORVO_TEST(BlockTest)
#include "BlockTest.moc"
