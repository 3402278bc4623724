#include "TestPictures.h"
#include "TestRegistry.h"
#include "files/AnsiReader.h"
#include "files/Sauce.h"
#include "image/PictureImport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;
using namespace picture_test;

// The picture import against the chafa command of the same library: pictures the test
// makes, converted by both with the same width, symbols and fill symbols, dithering and
// foreground-only 16-colour mode, must give the same art cell for cell, character and
// palette entry.
// The command takes no palette of ours; its colours are terminal colours (SGR 30-37,
// 90-97), which the ANSI reader maps to palette entries by the vocabulary's table, as the
// import maps chafa's colour numbers, so the entries are compared.
namespace {
const Palette P;

struct Cell {
    char32_t ch = U' ';
    Colour colour;
};
using Cells = std::vector<std::vector<Cell>>;

// A blank is a space, or a character in black, which the import writes as a space.
bool blank(const Cell& c) {
    return c.ch == U' ' || c.colour == P[8];
}

Cells cellsOf(const RichText& art) {
    Cells rows(1);
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == RichText::LF)
            rows.emplace_back();
        else if (!art.isLineBreak(p))
            rows.back().push_back({art.charAt(p), art.colourAt(p)});
    }
    if (art.endsWithLineBreak()) rows.pop_back();
    return rows;
}

// Where the two differ first, or nothing.
QString firstDifference(const Cells& ours, const Cells& theirs, CellSize size) {
    if (ours.size() != std::size_t(size.rows)) return QStringLiteral("%1 rows").arg(ours.size());
    if (theirs.size() > std::size_t(size.rows)) return QStringLiteral("chafa: %1 rows").arg(theirs.size());
    for (int y = 0; y < size.rows; ++y)
        for (int x = 0; x < size.columns; ++x) {
            const auto at = [&](const Cells& cells) {
                return std::size_t(y) < cells.size() && std::size_t(x) < cells[y].size() ? cells[y][x]
                                                                                         : Cell{};
            };
            const Cell a = at(ours), b = at(theirs);
            if (blank(a) && blank(b)) continue;
            if (a.ch != b.ch || !(a.colour == b.colour))
                return QStringLiteral("row %1 column %2: U+%3 #%4, chafa U+%5 #%6")
                    .arg(y)
                    .arg(x)
                    .arg(uint(a.ch), 4, 16, QLatin1Char('0'))
                    .arg(a.colour.value(), 6, 16, QLatin1Char('0'))
                    .arg(uint(b.ch), 4, 16, QLatin1Char('0'))
                    .arg(b.colour.value(), 6, 16, QLatin1Char('0'));
        }
    return {};
}

} // namespace

class ChafaReferenceTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("chafa").isEmpty()) QSKIP("chafa is not installed");
        QVERIFY(dir_.isValid());
    }

    void sameArtAsTheChafaCommand_data() {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("symbols");
        QTest::addColumn<int>("dithering");
        const struct {
            const char* name;
            QImage picture;
            int columns;
        } pictures[] = {
            {"gradient", gradient({480, 320}), 80},
            {"photo", photoLike({400, 300}), 64},
            {"line art", lineArt({600, 400}), 120},
            {"transparency", withTransparency({320, 240}), 41},
        };
        for (const auto& p : pictures)
            for (const SymbolSetName& s : symbolSets())
                for (const DitheringName& d : ditherings())
                    QTest::addRow("%s, %s, %s", p.name, s.name, d.key)
                        << p.picture << p.columns << int(s.set) << int(d.dithering);
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

        QProcess chafa;
        chafa.start("chafa", {"--format", "symbols", "--colors", "16", "--fg-only", "--symbols",
                              QLatin1String(symbolSetName(choices.symbols).selectors), "--fill",
                              QLatin1String(symbolSetName(choices.symbols).fill), "--dither",
                              QStringList{"none", "ordered", "diffusion"}[dithering], "--size",
                              QStringLiteral("%1x%2").arg(size.columns).arg(size.rows), "--stretch",
                              "--optimize", "0", "--animate", "off", path});
        QVERIFY(chafa.waitForFinished(60000));
        QCOMPARE(chafa.exitCode(), 0);
        // Played on a terminal as wide as the art, which its SAUCE record tells the reader.
        SauceRecord record;
        record.tInfo1 = quint16(size.columns);
        const QByteArray file = chafa.readAllStandardOutput() + '\x1A' + encodeSauce(record);
        const std::optional<Result<AnsiArt>> theirs = readAnsiArt(file, P);
        QVERIFY(theirs && *theirs);

        const QString difference = firstDifference(cellsOf(ours->text), cellsOf((*theirs)->text), size);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
};

TORVO_TEST(ChafaReferenceTest)
#include "ChafaReferenceTest.moc"
