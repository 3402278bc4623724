#include "art/DocumentBridge.h"
#include "TestRegistry.h"

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
};
TORVO_TEST(DocumentBridgeTest)
#include "DocumentBridgeTest.moc"
