#include "chat/DiscordArt.h"
#include "TestRegistry.h"
#include "chat/ChatColours.h"

#include <QRegularExpression>
#include <QTest>

using namespace torvo;
using namespace torvo::chat;

namespace {
const Palette P;

// The rules every block keeps, and the art's characters in their Discord colours read back
// from the blocks in order (the colour in force starting afresh in each block).
void checkBlocks(const DiscordBlocks& out, const RichText& art, int limit) {
    static const QRegularExpression code(QStringLiteral("\x1b\\[(\\d+)m"));
    QString text;
    std::vector<int> colours;
    for (const QString& block : out.blocks) {
        QVERIFY(block.size() <= limit);
        QVERIFY(block.startsWith(QLatin1String("```ansi\n")) && block.endsWith(QLatin1String("\n```")));
        const QString inside = block.mid(8, block.size() - 12);
        int inForce = -1;
        for (qsizetype i = 0; i < inside.size();) {
            const QRegularExpressionMatch m = code.match(inside, i, QRegularExpression::NormalMatch,
                                                         QRegularExpression::AnchorAtOffsetMatchOption);
            if (m.hasMatch()) {
                inForce = m.captured(1).toInt();
                QVERIFY2(inForce >= 30 && inForce <= 37, qPrintable(m.captured()));
                i += m.capturedLength();
                continue;
            }
            QVERIFY(inside[i] != u'\x1b');
            if (inside[i] != u'\n' && inside[i] != u' ') colours.push_back(inForce);
            text += inside[i++];
        }
    }
    QString expected;
    std::vector<int> expectedColours;
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == RichText::CR) continue;
        expected += art.charAt(p) == RichText::LF ? u'\n' : QChar(char16_t(art.charAt(p)));
        if (!art.isLineBreak(p) && art.charAt(p) != U' ')
            expectedColours.push_back(DiscordColours[std::size_t(discordColourOf(art.colourAt(p), P))].sgr);
    }
    if (expected.endsWith(u'\n')) expected.chop(1);
    // Blocks split at line ends lose the line feed between them.
    QCOMPARE(QString(text).remove(u'\n'), QString(expected).remove(u'\n'));
    QCOMPARE(colours, expectedColours);
}

RichText lines(std::initializer_list<int> lengths, Colour colour = P[0]) {
    RichText art;
    for (int n : lengths) {
        art.appendText(QString(n, u'x'), colour);
        art.appendLineBreak();
    }
    return art;
}
} // namespace

class DiscordArtTest : public QObject {
    Q_OBJECT
private slots:
    // Hue first: each palette entry goes to the Discord colour of its hue (yellow's hue is
    // nearer Discord's olive green than its gold), greys and black to grey or white by
    // lightness; Discord's own colours stay themselves.
    void nearestDiscordColours() {
        const int sgr[16] = {37, 30, 31, 32, 32, 36, 34, 35, 30, 37, 31, 32, 32, 36, 34, 35};
        for (int i = 0; i < 16; ++i)
            QCOMPARE(DiscordColours[std::size_t(discordColourOf(P[i], P))].sgr, sgr[i]);
        Palette dark;
        dark.toggleEntry2();
        QCOMPARE(DiscordColours[std::size_t(discordColourOf(Palette::LightRed, dark))].sgr, 31);
    }

    // Block boundaries at exactly 2,000 characters: 8 for the opening fence, 4 for the
    // closing one, 5 for the first colour code.
    void splitter_data() {
        QTest::addColumn<RichText>("art");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<bool>("split");
        QTest::newRow("one line of exactly 2000") << lines({1983}) << 1 << false;
        QTest::newRow("one line of 2001: split inside it") << lines({1984}) << 2 << true;
        QTest::newRow("two lines of exactly 2000") << lines({991, 991}) << 1 << false;
        QTest::newRow("two lines of 2001") << lines({991, 992}) << 2 << false;
        QTest::newRow("lines fill each block in turn") << lines({990, 990, 990}) << 2 << false;
        QTest::newRow("a long line fills the rest of a block") << lines({10, 3000}) << 2 << true;
        QTest::newRow("empty art") << RichText() << 0 << false;
    }
    void splitter() {
        QFETCH(RichText, art);
        QFETCH(int, blocks);
        QFETCH(bool, split);
        const DiscordBlocks out = discordBlocks(art, P);
        QCOMPARE(int(out.blocks.size()), blocks);
        QCOMPARE(out.lineSplit, split);
        checkBlocks(out, art, DiscordMessageLimit);
    }

    // Codes only where the colour changes, never on spaces, and again at each block's start.
    void codesOnlyAtChanges() {
        RichText art;
        art.appendText(u"ab", P[2]);
        art.appendText(u" ", P[6]);
        art.appendText(u"c", P[10]);
        art.appendText(u"d", P[4]);
        art.appendLineBreak();
        art.appendText(u"e", P[4]);
        QCOMPARE(discordBlocks(art, P).blocks,
                 QStringList{QStringLiteral("```ansi\n\x1b[31mab c\x1b[32md\ne\n```")});
        const DiscordBlocks small = discordBlocks(art, P, 22);
        QCOMPARE(small.blocks, (QStringList{QStringLiteral("```ansi\n\x1b[31mab c\n```"),
                                            QStringLiteral("```ansi\n\x1b[32md\ne\n```")}));
        for (int limit : {20, 24, 30})
            checkBlocks(discordBlocks(art, P, limit), art, limit);
    }

    void previewIsTheArtInDiscordColours() {
        RichText art;
        art.appendText(u"ab", P[3]);
        art.appendText(u" c", Colour::fromRgb(250, 250, 250));
        const RichText shown = discordPreview(art, P);
        QCOMPARE(shown.plainText(), art.plainText());
        for (int p = 0; p < art.size(); ++p)
            QCOMPARE(shown.colourAt(p),
                     DiscordColours[std::size_t(discordColourOf(art.colourAt(p), P))].colour);
    }
};
TORVO_TEST(DiscordArtTest)
#include "DiscordArtTest.moc"
