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
    // The art holds only what a document holds: its characters go into one and come back as
    // they are, surrogate halves, characters beyond Unicode and structural ones included.
    void documentCharactersComeBackAsTheyAre() {
        static const char32_t pool[] = {U'a',   U' ',   0x1F600, 0xD83D, 0xDE00, 0xDC00,   0xFFFC,
                                        0xFDD0, 0x0000, 0xFFFF,  0xFFFE, 0xFEFF, 0x110000, U'\n'};
        QRandomGenerator rng(9);
        for (int round = 0; round < 300; ++round) {
            RichText art;
            for (int i = rng.bounded(0, 12); i > 0; --i)
                art.append(pool[rng.bounded(int(std::size(pool)))], Colour{0x0000FF});
            const RichText kept = documentCharacters(art);
            QCOMPARE(kept.size(), art.size());
            QTextDocument doc;
            loadDocument(doc, kept, QTextCharFormat());
            QCOMPARE(snapshotDocument(doc, colours::White, false), kept);
        }
    }
};
TORVO_TEST(DocumentBridgeTest)
#include "DocumentBridgeTest.moc"
