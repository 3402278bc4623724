#include "chat/DiscordArt.h"
#include "ArtText.h"
#include "TestRegistry.h"
#include "chat/ChatColours.h"

#include <QRegularExpression>
#include <QTest>

using namespace torvo;
using namespace torvo::chat;

namespace {
const Palette P;
RichText lines(std::initializer_list<int> lengths) {
    RichText art;
    for (int n : lengths)
        art.appendText(QString(n, u'x') + u'\n', P[3]);
    return art;
}
} // namespace

class DiscordArtTest : public QObject {
    Q_OBJECT
private slots:
    // By hue first (yellow's is nearer Discord's olive green than its gold), greys and black
    // by lightness; entry 2 by what it holds.
    void nearestDiscordColours() {
        const int sgr[16] = {37, 30, 31, 32, 32, 36, 34, 35, 30, 37, 31, 32, 32, 36, 34, 35};
        for (int i = 0; i < 16; ++i)
            QCOMPARE(DiscordColours[std::size_t(discordColourOf(P[i], P))].sgr, sgr[i]);
        Palette dark;
        dark.toggleEntry2();
        QCOMPARE(DiscordColours[std::size_t(discordColourOf(Palette::LightRed, dark))].sgr, 31);
    }

    // At exactly 2,000 characters: the fences take 8 and 4, the first colour code 5.
    void splitter_data() {
        QTest::addColumn<RichText>("art");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<bool>("split");
        QTest::newRow("a line of exactly 2000") << lines({1983}) << 1 << false;
        QTest::newRow("a line of 2001: split inside it") << lines({1984}) << 2 << true;
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
        QString text;
        for (const QString& block : out.blocks) {
            QVERIFY(block.size() <= DiscordMessageLimit);
            QVERIFY(block.startsWith(QLatin1String("```ansi\n\x1b[32mx")) &&
                    block.endsWith(QLatin1String("x\n```")));
            text += block.mid(13, block.size() - 17);
        }
        QCOMPARE(text.remove(u'\n'), art.plainText().remove(QStringLiteral("\r\n")));
    }

    // A code only where the colour changes, never on a space; each block starts afresh.
    void codesOnlyAtChanges() {
        const RichText art = test::artText(u"{2}ab{6} {10}c{4}d\ne");
        QCOMPARE(discordBlocks(art, P).blocks, QStringList{"```ansi\n\x1b[31mab c\x1b[32md\ne\n```"});
        QCOMPARE(discordBlocks(art, P, 22).blocks,
                 (QStringList{"```ansi\n\x1b[31mab c\n```", "```ansi\n\x1b[32md\ne\n```"}));
    }
};
TORVO_TEST(DiscordArtTest)
#include "DiscordArtTest.moc"
