#include "art/DocumentBridge.h"
#include "TestRegistry.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

using namespace torvo;

class DocumentBridgeTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsCharactersAndColours() {
        RichText art;
        art.appendText(u"ab", Colour{0x0000FF});
        art.appendLineBreak();
        art.appendText(QString::fromUtf8("\xF0\x9F\x98\x80█\t\"{"), Colour{0x00FF00});
        QTextDocument doc;
        loadDocument(doc, art, QTextCharFormat());
        QCOMPARE(doc.blockCount(), 2);
        const RichText back = snapshotDocument(doc, colours::White, false);
        QCOMPARE(back, art);
        // Terminated, a last line with characters gains a break; an empty one does not.
        QVERIFY(snapshotDocument(doc, colours::White, true).endsWithLineBreak());
        QTextDocument empty;
        QVERIFY(snapshotDocument(empty, colours::White, true).isEmpty());
        art.appendLineBreak();
        loadDocument(doc, art, QTextCharFormat());
        QCOMPARE(snapshotDocument(doc, colours::White, true), art);
    }
    void uncolouredTextTakesTheTypingColourAndObjectsAreDropped() {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("a"));
        QTextImageFormat image;
        image.setName(QStringLiteral("nothing.png"));
        c.insertImage(image);
        c.insertText(QString(QChar(0x2028)) + "b");
        const RichText t = snapshotDocument(doc, Colour{0x123456}, false);
        QCOMPARE(t.plainText(), QStringLiteral("a\r\nb"));
        QCOMPARE(t.colourAt(0), Colour{0x123456});
    }
    void structuralCharactersBecomeReplacementCharacters() {
        RichText art;
        art.append(0xFFFC, colours::White);
        art.append(0xFDD0, colours::White);
        art.append(U'x', colours::White);
        QTextDocument doc;
        loadDocument(doc, art, QTextCharFormat());
        QCOMPARE(snapshotDocument(doc, colours::White, false).plainText(), QStringLiteral("\uFFFD\uFFFDx"));
    }
    // What a loaded document gives back is known without reading it: surrogate halves,
    // characters beyond Unicode, structural characters and line breaks of all kinds.
    void loadedArtIsWhatTheDocumentGivesBack() {
        static const char32_t pool[] = {U'a',   U' ',   0x1F600, 0xD83D, 0xDE00, 0xDC00,   0xFFFC, 0xFDD0,
                                        0x2028, 0x0000, 0xFFFF,  0xFFFE, 0xFEFF, 0x110000, U'\n'};
        const Colour colours[] = {colours::White, Colour{0x0000FF}};
        QRandomGenerator rng(9);
        for (int round = 0; round < 300; ++round) {
            RichText art;
            for (int i = rng.bounded(0, 12); i > 0; --i)
                art.append(pool[rng.bounded(int(std::size(pool)))], colours[rng.bounded(2)]);
            QTextDocument doc;
            loadDocument(doc, art, QTextCharFormat());
            const RichText read = snapshotDocument(doc, Colour{0x00FF00}, true);
            const RichText known = loadedArt(art, Colour{0x00FF00});
            QCOMPARE(known, read);
            for (int p = 0; p < read.size(); ++p)
                QCOMPARE(known.colourAt(p), read.colourAt(p));
        }
    }
    void charactersThatNeedShaping() {
        const struct {
            char32_t ch;
            bool shaped;
        } cases[] = {
            {U'a', false},   {0x00E9, false}, {0x2588, false},  {0x2554, false}, {0x0416, false},
            {0x03A9, false}, {0x65E5, false}, {0x1F600, false}, {0x0301, true},  {0x200D, true},
            {0xFE0F, true},  {0x0627, true},  {0x0915, true},   {0x1100, true},  {0x1F1EA, true},
        };
        for (const auto& c : cases)
            QVERIFY2(needsShaping(c.ch) == c.shaped, qPrintable(QString::number(uint(c.ch), 16)));
        RichText t;
        t.appendText(u"abc", colours::White);
        QVERIFY(!needsShaping(t));
        t.append(0x0301, colours::White);
        QVERIFY(needsShaping(t));
    }
};
TORVO_TEST(DocumentBridgeTest)
#include "DocumentBridgeTest.moc"
