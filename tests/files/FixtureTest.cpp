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

struct Run {
    QString text;
    Colour colour;
};

// The text as runs of one colour; line breaks belong to no run and are kept as "\n".
QList<Run> runsOf(const RichText& t) {
    QList<Run> runs;
    for (int p = 0; p < t.size(); ++p) {
        if (t.charAt(p) == RichText::LF) continue;
        if (t.charAt(p) == RichText::CR) {
            runs.append({QStringLiteral("\n"), colours::Black});
            continue;
        }
        if (runs.isEmpty() || runs.last().colour != t.colourAt(p) || runs.last().text == u"\n")
            runs.append({QString(), t.colourAt(p)});
        appendCodePoint(runs.last().text, t.charAt(p));
    }
    return runs;
}

void compareRuns(const QList<Run>& actual, const QList<Run>& expected) {
    QString a, e;
    for (const Run& r : actual)
        a += r.text + QLatin1Char('[') + QString::number(r.colour.value(), 16) + QLatin1Char(']');
    for (const Run& r : expected)
        e += r.text + QLatin1Char('[') + QString::number(r.colour.value(), 16) + QLatin1Char(']');
    QCOMPARE(a, e);
}

constexpr Colour rgb(int r, int g, int b) {
    return Colour::fromRgb(r, g, b);
}
const Colour Br = colours::Black;
const QString NL = QStringLiteral("\n");

} // namespace

class FixtureTest : public QObject {
    Q_OBJECT
private slots:
    // Made by LibreOffice from the HTML pages beside them (see fixtures/README.md).
    void libreOfficePreformattedColours() {
        const Result<LoadedArt> loaded = decodeArtFile(fixture("lo-pre-colours.rtf"));
        QVERIFY(loaded && loaded->rich);
        compareRuns(runsOf(loaded->text), {{u"RR"_qs, rgb(255, 0, 0)},
                                           {u"GG"_qs, rgb(0, 255, 0)},
                                           {u"BB"_qs, rgb(0, 0, 255)},
                                           {NL, Br},
                                           {QString::fromUtf8("ñandú \"x\" {a}\\b"), rgb(0x12, 0x34, 0x56)},
                                           {NL, Br},
                                           {QString::fromUtf8("█▓▒░ ┌─┐"), rgb(255, 255, 0)},
                                           {QString::fromUtf8("€ Ж"), rgb(255, 0, 255)},
                                           {NL, Br}});
    }
    void libreOfficeParagraphs() {
        const Result<LoadedArt> loaded = decodeArtFile(fixture("lo-paragraphs.rtf"));
        QVERIFY(loaded && loaded->rich);
        compareRuns(runsOf(loaded->text), {{u"Hola"_qs, rgb(0x80, 0, 0)},
                                           {u" "_qs, Br},
                                           {u"mundo"_qs, rgb(0, 0x80, 0x80)},
                                           {NL, Br},
                                           {QString::fromUtf8("Línea dos"), rgb(0x80, 0x80, 0)},
                                           {u" "_qs, Br},
                                           {u"negrita"_qs, rgb(0, 0, 0x80)},
                                           {NL, Br}});
    }
    void libreOfficeTableImageAndLink() {
        // The picture is skipped, the link keeps its visible text, cells are tab-separated.
        const Result<LoadedArt> loaded = decodeArtFile(fixture("lo-table-image-link.rtf"));
        QVERIFY(loaded && loaded->rich);
        compareRuns(runsOf(loaded->text), {{u"Antes"_qs, rgb(0xC0, 0, 0)},
                                           {u"  "_qs, Br},
                                           {u"enlace"_qs, rgb(0, 0, 0x80)},
                                           {NL, Br},
                                           {u"uno"_qs, rgb(0, 0xA0, 0)},
                                           {u"\t"_qs, Br},
                                           {u"dos"_qs, rgb(0, 0, 0xC0)},
                                           {u"\t"_qs, Br},
                                           {NL, Br},
                                           {QString::fromUtf8("Después — fin"), rgb(0xA0, 0xA0, 0)},
                                           {NL, Br}});
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
    void fixturesSurviveSavingInBothFormats() {
        for (const char* name : {"lo-pre-colours.rtf", "lo-paragraphs.rtf", "lo-table-image-link.rtf"}) {
            const Result<LoadedArt> loaded = decodeArtFile(fixture(name));
            QVERIFY(loaded);
            const Result<LoadedArt> own = decodeArtFile(encodeArtFile(loaded->text, SaveFormat::Own));
            QVERIFY(own && own->rich);
            QVERIFY2(own->text == loaded->text, name);
            const Result<LoadedArt> text = decodeArtFile(encodeArtFile(loaded->text, SaveFormat::Text));
            QVERIFY(text && !text->rich);
            QCOMPARE(text->text.plainText(), loaded->text.plainText());
        }
    }
};

TORVO_TEST(FixtureTest)
#include "FixtureTest.moc"
