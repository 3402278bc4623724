#include "TestPictures.h"
#include "TestRegistry.h"
#include "files/AnsiReader.h"
#include "files/Sauce.h"
#include "image/PictureImport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;
using namespace picture_test;

// The import against the chafa command of the same library, with the same choices: the same
// art cell for cell. The command's terminal colours are read back by the ANSI reader, which
// maps them to palette entries by the table the import maps chafa's colour numbers with.
namespace {
const Palette P;

// Each row as a character and its palette entry (a letter) per cell; a blank, a space or a
// character in black (which the import writes as a space), as two spaces; no trailing blanks.
QStringList cells(const RichText& art) {
    QStringList rows{QString()};
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == RichText::LF)
            rows << QString();
        else if (art.charAt(p) == U' ' || art.colourAt(p) == P[8])
            rows.back() += QStringLiteral("  ");
        else if (!art.isLineBreak(p))
            rows.back() += art.textAt(p) + QChar(u'a' + P.lookup(art.colourAt(p)).value_or(-1));
    }
    if (art.endsWithLineBreak()) rows.removeLast();
    for (QString& row : rows)
        while (row.endsWith(u' '))
            row.chop(1);
    return rows;
}

} // namespace

class ChafaReferenceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("chafa").isEmpty()) QSKIP("chafa is not installed");
    }

    void sameArtAsTheChafaCommand_data() {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("symbols");
        QTest::addColumn<int>("dithering");
        const std::tuple<const char*, QImage, int> pictures[] = {
            {"photo", photoLike({600, 400}), 120},
            {"transparency", withTransparency({320, 240}), 41},
        };
        for (const auto& [name, picture, columns] : pictures)
            for (const SymbolSetName& s : symbolSets())
                for (const DitheringName& d : ditherings())
                    QTest::addRow("%s, %s, %s", name, s.name, d.key)
                        << picture << columns << int(s.set) << int(d.dithering);
    }
    void sameArtAsTheChafaCommand() {
        QFETCH(QImage, picture);
        QFETCH(int, columns);
        QFETCH(int, symbols);
        QFETCH(int, dithering);
        const QString path = dir_.filePath("picture.png");
        QVERIFY(picture.save(path)); // 8 bits a channel: both read the same pixels
        const PictureChoices choices{columns, SymbolSet(symbols), Dithering(dithering)};
        const Result<OpenedArt> ours = openPictureFile(path, P, choices);
        QVERIFY2(ours, qPrintable(ours.why()));
        const CellSize size = cellSizeFor(picture.size(), columns);
        const SymbolSetName& set = symbolSetName(choices.symbols);
        QProcess chafa;
        chafa.start("chafa",
                    {"--format", "symbols", "--colors", "16", "--fg-only", "--symbols", set.selectors,
                     "--fill", set.fill, "--dither", QStringList{"none", "ordered", "diffusion"}[dithering],
                     "--size", QStringLiteral("%1x%2").arg(size.columns).arg(size.rows), "--stretch",
                     "--optimize", "0", "--animate", "off", path});
        QVERIFY(chafa.waitForFinished(60000));
        QCOMPARE(chafa.exitCode(), 0);
        // Played on a terminal as wide as the art, which its SAUCE record tells the reader.
        SauceRecord record;
        record.tInfo1 = quint16(size.columns);
        const auto theirs = readAnsiArt(chafa.readAllStandardOutput() + '\x1A' + encodeSauce(record), P);
        QVERIFY(theirs && *theirs);
        const QStringList ourRows = cells(ours->text);
        QStringList theirRows = cells((*theirs)->text);
        QCOMPARE(ourRows.size(), size.rows);
        while (theirRows.size() < ourRows.size())
            theirRows << QString();
        QCOMPARE(ourRows, theirRows);
    }
};

TORVO_TEST(ChafaReferenceTest)
#include "ChafaReferenceTest.moc"
