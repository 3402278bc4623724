#include "files/BitmapExport.h"
#include "TestRegistry.h"
#include "files/SaveArt.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;

namespace {
constexpr char32_t FullBlock = 0x2588;
const Colour Red{0x0000FF};
const Colour Green{0x00FF00};

// The bounding box of the pixels that are not black inside a rectangle.
QRect inked(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

class BitmapExportTest : public QObject {
    Q_OBJECT
    const QFont font = textImageFont();
    const QSize cell = measureCell(font);
private slots:
    void cellIsMeasuredInTheFont() {
        QCOMPARE(font.pointSizeF(), 8.25);
        QVERIFY2(cell.width() >= 4 && cell.width() <= 12, qPrintable(QString::number(cell.width())));
        QVERIFY2(cell.height() > cell.width() && cell.height() <= 24,
                 qPrintable(QString::number(cell.height())));
        // A bigger font gives a bigger cell: the measure follows the font.
        QFont big = font;
        big.setPointSizeF(24);
        QVERIFY(measureCell(big).width() > cell.width());
        QVERIFY(measureCell(big).height() > cell.height());
    }
    void pictureIsOneCellLargerThanTheGrid() {
        RichText longLines;
        longLines.appendText(QString(200, u'x') + "\r\n" + QString(3, u'y'), colours::White);
        for (const auto& [c, r] : QList<std::pair<int, int>>{{0, 0}, {1, 1}, {5, 3}, {80, 25}}) {
            for (const RichText& text : {RichText(), longLines}) {
                const QImage image = *renderArt(text, c, r, font);
                QCOMPARE(image.size(), QSize((c + 1) * cell.width(), (r + 1) * cell.height()));
            }
        }
        // A picture too large to hold is refused with a message, not attempted; a negative
        // size reads as an empty grid.
        for (int side : {1'000'000, INT_MAX})
            QVERIFY(
                renderArt(longLines, side, side, font).why().contains(QStringLiteral("demasiado grande")));
        QCOMPARE(renderArt(longLines, -5, -1, font)->size(), cell);
    }
    void charactersAreDrawnInTheirColoursInTheirCells() {
        RichText t;
        t.appendText(u"  ", colours::White);
        t.append(FullBlock, Red);
        t.appendLineBreak();
        t.appendText(u" ", colours::White);
        t.append(FullBlock, Green);
        t.appendText(u" H", colours::White);
        const QImage image = *renderArt(t, 6, 3, font);
        auto cellRect = [this](int c, int r) {
            return QRect(c * cell.width(), r * cell.height(), cell.width(), cell.height());
        };
        QCOMPARE(image.pixel(cellRect(2, 0).center()) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(image.pixel(cellRect(1, 1).center()) & 0xFFFFFF, 0x00FF00u);
        // The block stays in its own column. Tall glyphs may reach a pixel into the next line; look at the
        // inner rows only.
        const QRect redInk = inked(image, QRect(0, 1, image.width(), cell.height() - 2));
        QVERIFY(redInk.left() >= 2 * cell.width() - 1 && redInk.right() <= 3 * cell.width());
        // The white H lands in column 3 of the second row, and nothing is drawn elsewhere.
        QVERIFY(inked(image, cellRect(3, 1)).isValid());
        QCOMPARE(inked(image, QRect(0, 2 * cell.height() + 1, image.width(), 2 * cell.height() - 1)),
                 QRect());
        for (const QRect& blank : {cellRect(0, 0), cellRect(0, 1), cellRect(5, 1)})
            QCOMPARE(inked(image, blank.adjusted(0, 1, 0, -1)), QRect());
    }
    void columnsLineUpAcrossLines() {
        RichText t;
        t.appendText(QString(40, u'.'), colours::Black);
        t.append(FullBlock, colours::White);
        t.appendLineBreak();
        t.appendText(u"iiiiiiiiiiiiiiiiiiiiWWWWWWWWWWWWWWWWWWWW", colours::Black);
        t.append(FullBlock, colours::White);
        const QImage image = *renderArt(t, 60, 2, font);
        const QRect first = inked(image, QRect(0, 1, image.width(), cell.height() - 2));
        const QRect second = inked(image, QRect(0, cell.height() + 1, image.width(), cell.height() - 2));
        QVERIFY(first.isValid() && second.isValid());
        QCOMPARE(first.left(), second.left());
        QCOMPARE(first.right(), second.right());
        QVERIFY(first.left() >= 40 * cell.width() - 1 && first.right() <= 41 * cell.width());
    }
    // A character that another font draws (braille is not in the art's own font) looks the
    // same after a character of the art's font as alone.
    void fallbackCharactersDrawTheSameAnywhere() {
        const auto drawn = [this](const QString& line) {
            RichText t;
            t.appendText(line, colours::White);
            return *renderArt(t, 4, 1, font);
        };
        const QSize two(2 * cell.width(), cell.height());
        const QImage alone = drawn(u"\u28FF"_qs).copy(QRect(QPoint(0, 0), two));
        QVERIFY(inked(alone, alone.rect()).isValid());
        QCOMPARE(drawn(u"x\u28FF"_qs).copy(QRect(QPoint(cell.width(), 0), two)), alone);
    }
    void artBeyondThePictureIsCutOff() {
        RichText t;
        for (int i = 0; i < 50; ++i)
            t.appendText(QString(300, QChar(FullBlock)) + "\r\n", Red);
        const QImage image = *renderArt(t, 3, 2, font);
        // The last cell is filled up to the block's own (fractional) width.
        const QPoint corner(image.width() - 2, image.height() / 2);
        QCOMPARE(image.pixel(corner) & 0xFFFFFF, 0xFF0000u);
    }
    void savesAWindowsBitmap() {
        QTemporaryDir dir;
        RichText t;
        t.append(FullBlock, Red);
        const QImage image = *renderArt(t, 2, 1, font);
        const QString path = dir.filePath("art.bmp");
        QVERIFY(saveBitmap(image, path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.read(2) == "BM");
        const QImage back(path, "BMP");
        QCOMPARE(back.size(), image.size());
        QCOMPARE(back.pixel(cell.width() / 2, cell.height() / 2) & 0xFFFFFF, 0xFF0000u);
        // Overwrites an existing file.
        QVERIFY(saveBitmap(*renderArt(t, 5, 5, font), path));
        QCOMPARE(QImage(path, "BMP").size(), QSize(6 * cell.width(), 6 * cell.height()));
    }
    void failuresAreOneLineAndLeaveNoFile() {
        QTemporaryDir dir;
        const QString missing = dir.filePath("no/such/folder/art.bmp");
        const QString error = saveBitmap(*renderArt(RichText(), 1, 1, font), missing).why();
        QVERIFY(!error.isEmpty() && !error.contains('\n'));
        QVERIFY(!QFile::exists(missing));
        const QString path = dir.filePath("big.bmp");
        QVERIFY(!saveBitmap(QImage(), path).why().isEmpty());
        QVERIFY(!QFile::exists(path));
    }
};

TORVO_TEST(BitmapExportTest)
#include "BitmapExportTest.moc"
