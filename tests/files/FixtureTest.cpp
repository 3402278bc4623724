#include "TestRegistry.h"
#include "files/ArtFile.h"
#include "files/RtfReader.h"

#include <QFile>
#include <QStringDecoder>
#include <QTest>

using namespace torvo;

namespace {

QByteArray fixture(const char* name) {
    QFile f(QStringLiteral(TORVO_SOURCE_DIR "/tests/files/fixtures/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// The text as runs of one colour, each "text#rrggbb|"; a line break is "\n".
QString runsOf(const RichText& t) {
    QString s;
    for (int p = 0; p < t.size(); ++p) {
        if (t.charAt(p) == RichText::CR) s += u'\n';
        if (t.isLineBreak(p)) continue;
        appendCodePoint(s, t.charAt(p));
        if (p + 1 == t.size() || t.isLineBreak(p + 1) || t.colourAt(p + 1) != t.colourAt(p))
            s += t.colourAt(p).toQColor().name() + u'|';
    }
    return s;
}

} // namespace

class FixtureTest : public QObject {
    Q_OBJECT
private slots:
    // Made by LibreOffice from the HTML pages beside them (see fixtures/README.md): the
    // picture is skipped, a link keeps its visible text, cells are tab-separated. Each
    // survives saving in both formats.
    void libreOfficeDocuments() {
        const struct {
            const char* name;
            const char* runs;
        } cases[] = {
            {"lo-pre-colours.rtf", "RR#ff0000|GG#00ff00|BB#0000ff|\nñandú \"x\" {a}\\b#123456|\n"
                                   "█▓▒░ ┌─┐#ffff00|€ Ж#ff00ff|\n"},
            {"lo-paragraphs.rtf",
             "Hola#800000| #000000|mundo#008080|\nLínea dos#808000| #000000|negrita#000080|\n"},
            {"lo-table-image-link.rtf",
             "Antes#c00000|  #000000|enlace#000080|\nuno#00a000|\t#000000|dos#0000c0|"
             "\t#000000|\nDespués — fin#a0a000|\n"},
        };
        for (const auto& c : cases) {
            const Result<LoadedArt> loaded = decodeArtFile(fixture(c.name));
            QVERIFY2(loaded && loaded->rich, c.name);
            QCOMPARE(runsOf(loaded->text), QString::fromUtf8(c.runs));
            const Result<LoadedArt> own = decodeArtFile(encodeArtFile(loaded->text, SaveFormat::Own));
            QVERIFY2(own && own->rich && own->text == loaded->text, c.name);
            const Result<LoadedArt> text = decodeArtFile(encodeArtFile(loaded->text, SaveFormat::Text));
            QVERIFY(text && !text->rich);
            QCOMPARE(text->text.plainText(), loaded->text.plainText());
        }
    }
    // Both programs write section breaks (see fixtures/README.md); the art must have the
    // lines the program that wrote the file shows. LibreOffice's text export ends every
    // paragraph with LF, AbiWord's puts LF between paragraphs.
    void sectionBreaksGiveTheLinesTheirWriterShows_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<bool>("terminated");
        QTest::newRow("LibreOffice") << QByteArray("lo-sections.rtf")
                                     << QByteArray("lo-sections.libreoffice.txt") << true;
        QTest::newRow("AbiWord") << QByteArray("abw-sections.rtf") << QByteArray("abw-sections.abiword.txt")
                                 << false;
        QTest::newRow("AbiWord, empty paragraph last")
            << QByteArray("abw-empty-end.rtf") << QByteArray("abw-empty-end.abiword.txt") << false;
    }
    void sectionBreaksGiveTheLinesTheirWriterShows() {
        QFETCH(QByteArray, rtf);
        QFETCH(QByteArray, shown);
        QFETCH(bool, terminated);
        const Result<LoadedArt> loaded = decodeArtFile(fixture(rtf.constData()));
        QVERIFY(loaded && loaded->rich);
        QStringList ours = loaded->text.plainText().split(QStringLiteral("\r\n"));
        if (ours.last().isEmpty()) ours.removeLast(); // the final CR LF ends the last line
        QStringDecoder utf8(QStringDecoder::Utf8);    // drops LibreOffice's byte order mark
        QStringList theirs = QString(utf8.decode(fixture(shown.constData()))).split(u'\n');
        QVERIFY(theirs.size() > 2);
        if (terminated) theirs.removeLast();
        QCOMPARE(ours.join(u'|'), theirs.join(u'|'));
    }
};

TORVO_TEST(FixtureTest)
#include "FixtureTest.moc"
