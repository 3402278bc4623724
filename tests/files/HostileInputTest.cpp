#include "TestRegistry.h"
#include "files/ArtFile.h"

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
    void encodedSurrogatesAreNotUtf8() {
        // CESU-style surrogates are invalid UTF-8: the bytes are kept as Windows-1252.
        const Result<LoadedArt> loaded = decodeArtFile("\xED\xA0\x80");
        QVERIFY(loaded);
        QCOMPARE(loaded->text.plainText(), QString::fromUtf8("\u00ED\u00A0\u20AC\r\n"));
    }
};

TORVO_TEST(HostileInputTest)
#include "HostileInputTest.moc"
