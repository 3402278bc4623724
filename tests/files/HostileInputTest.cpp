#include "TestRegistry.h"
#include "files/ArtFile.h"
#include "files/RtfReader.h"

#include <QTest>

using namespace torvo;

// Huge and malformed files: each opens or fails with one clear line, never crashes.
class HostileInputTest : public QObject {
    Q_OBJECT
private slots:
    void hugePlainTextFile() {
        QByteArray file;
        const QByteArray line = QByteArray(99, 'x') + '\n';
        while (file.size() < 20 * 1024 * 1024)
            file += line;
        const Result<LoadedArt> loaded = decodeArtFile(file);
        QVERIFY(loaded && !loaded->rich);
        QCOMPARE(loaded->text.size(), file.size() / 100 * 101);
    }
    void hugeRtfFile() {
        QByteArray file = "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
        const QByteArray chunk = "\\cf1 abc\\cf2 \\u9608?de\\par\r\n";
        const qsizetype header = file.size();
        while (file.size() < 20 * 1024 * 1024)
            file += chunk;
        file += '}';
        const qsizetype chunks = (file.size() - header - 1) / chunk.size();
        const Result<LoadedArt> loaded = decodeArtFile(file);
        QVERIFY(loaded && loaded->rich);
        QCOMPARE(loaded->text.size(), chunks * 8);
        QCOMPARE(loaded->text.colourAt(3), Colour(0xFF0000));
    }
    void oneVeryLongLine() {
        const QByteArray file = QByteArray(100000, '#');
        const Result<LoadedArt> loaded = decodeArtFile(file);
        QVERIFY(loaded);
        QCOMPARE(loaded->text.size(), 100002);
        const Result<LoadedArt> again = decodeArtFile(encodeArtFile(loaded->text, SaveFormat::Own));
        QVERIFY(again && again->text == loaded->text);
    }
    void malformedRtf() {
        const QByteArray cases[] = {
            "{\\rtf1\\" + QByteArray(100000, '{'),               // deep nesting, unterminated
            "{\\rtf1\\ansi a\\bin2147483647 ",                   // \bin beyond the data
            "{\\rtf1\\ansi{\\colortbl ;}\\cf2147483647 x}",      // colour index beyond the table
            "{\\rtf1\\ansi\\u-10179 xz\\u-8704 y}",              // halves with text between
            "{\\rtf1\\ansi\\'",                                  // cut inside an escape
            "{\\rtf1\\ansi\\u",                                  // cut after \u
            "{\\rtf1\\ansi}}}}}}}} x",                           // too many closing braces
            "{\\rtf1\\ansi{\\*}{\\*\\}{\\*\\'41}{\\*{}}",        // empty and odd destinations
            "{\\rtf1\\ansi\\ansicpg65001 \\'e2\\'96\\'88\\'e2}", // UTF-8 code page, cut character
            QByteArray("{\\rtf1\\ansi\0\0\0a\0}", 16),           // NUL bytes in the source
        };
        for (const QByteArray& doc : cases) {
            const Result<RichText> t = readRtf(doc);
            QVERIFY2(t.ok() != !t.why().isEmpty(), doc.left(40).constData());
            QVERIFY(!t.why().contains(u'\n'));
        }
        QVERIFY(!readRtf("{\\rtf1\\" + QByteArray(100000, '{')));
        QCOMPARE(readRtf("{\\rtf1\\ansi{\\colortbl ;}\\cf2147483647 x}")->colourAt(0), colours::Black);
        QCOMPARE(readRtf("{\\rtf1\\ansi\\u-10179 xz\\u-8704 y}")->plainText(),
                 QString::fromUtf8("\uFFFDz\uFFFD"));
        QCOMPARE(readRtf("{\\rtf1\\ansi\\ansicpg65001 \\'e2\\'96\\'88}")->plainText(),
                 QString::fromUtf8("█"));
        QCOMPARE(readRtf(QByteArray("{\\rtf1\\ansi\0\0\0a\0}", 16))->plainText(), QStringLiteral("a"));
    }
    void encodedSurrogatesAreNotUtf8() {
        // CESU-style surrogates are invalid UTF-8: the bytes are kept as Windows-1252.
        const Result<LoadedArt> loaded = decodeArtFile("\xED\xA0\x80");
        QVERIFY(loaded);
        QCOMPARE(loaded->text.plainText(), QString::fromUtf8("\u00ED\u00A0\u20AC\r\n"));
    }
};

TORVO_TEST(HostileInputTest)
#include "HostileInputTest.moc"
