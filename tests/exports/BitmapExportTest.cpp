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

    // A character alone in red, in the middle of three rows of three cells.
    QImage drawnAlone(const QString& ch) const {
        RichText t;
        t.appendText("   \r\n " + ch + " \r\n   ", Red);
        return *renderArt(t, 3, 3, font);
    }
    QRect middleCell() const { return QRect(QPoint(cell.width(), cell.height()), cell); }

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
    // Blocks fill their part of the cell up to the cell's edges, as terminals draw them
    // (a font's glyph leaves a seam); inner edges may fall a pixel either way.
    void blocksFillTheirPartOfTheCell_data() {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<QRect>("eighths"); // of the cell, from its top left
        const std::pair<const char*, QRect> blocks[] = {
            {"█", {0, 0, 8, 8}}, {"▀", {0, 0, 8, 4}}, {"▄", {0, 4, 8, 4}}, {"▌", {0, 0, 4, 8}},
            {"▐", {4, 0, 4, 8}}, {"▁", {0, 7, 8, 1}}, {"▆", {0, 2, 8, 6}}, {"▊", {0, 0, 6, 8}},
            {"▔", {0, 0, 8, 1}}, {"▕", {7, 0, 1, 8}}, {"▘", {0, 0, 4, 4}}, {"▗", {4, 4, 4, 4}},
        };
        for (const auto& [ch, eighths] : blocks)
            QTest::newRow(ch) << QString::fromUtf8(ch) << eighths;
    }
    void blocksFillTheirPartOfTheCell() {
        QFETCH(QString, ch);
        QFETCH(QRect, eighths);
        const QImage image = drawnAlone(ch);
        const QRect box = middleCell();
        const QRectF part(box.x() + box.width() * eighths.x() / 8.0,
                          box.y() + box.height() * eighths.y() / 8.0, box.width() * eighths.width() / 8.0,
                          box.height() * eighths.height() / 8.0);
        // A pixel a pixel away from an inner edge, on either side of it.
        const auto inner = [&](qreal by) {
            return part.adjusted(eighths.left() > 0 ? by : 0, eighths.top() > 0 ? by : 0,
                                 eighths.right() < 7 ? -by : 0, eighths.bottom() < 7 ? -by : 0);
        };
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
                if (inner(1).contains(centre))
                    QVERIFY2(pixel == 0xFF0000, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                if (!inner(-1).contains(centre))
                    QVERIFY2(pixel == 0, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
    }
    // Shades spread their share over every row and column of pixels, across the cells.
    void shadesHaveNoSeams() {
        for (const auto& [ch, share] : {std::pair{u'░', 0.25}, std::pair{u'▒', 0.5}, std::pair{u'▓', 0.75}}) {
            RichText t;
            for (int r = 0; r < 3; ++r)
                t.appendText(QString(4, ch) + "\r\n", Red);
            const QImage image = *renderArt(t, 4, 3, font);
            const QSize block(4 * cell.width(), 3 * cell.height());
            for (const bool rows : {true, false})
                for (int i = 0; i < (rows ? block.height() : block.width()); ++i) {
                    const int length = rows ? block.width() : block.height();
                    int lit = 0;
                    for (int k = 0; k < length; ++k) {
                        const QRgb pixel = (rows ? image.pixel(k, i) : image.pixel(i, k)) & 0xFFFFFF;
                        QVERIFY(pixel == 0 || pixel == 0xFF0000);
                        lit += pixel != 0;
                    }
                    QVERIFY2(std::abs(double(lit) / length - share) < 0.1, qPrintable(QString(ch)));
                }
        }
    }
    // Box-drawing lines leave the cell where the straight lines of their weights do, so
    // neighbours join; a side without an arm stays dark.
    void linesMeetTheirNeighbours_data() {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<QString>("arms"); // up, right, down, left: 0 none, 1 light, 2 heavy, 3 double
        const char* const lines[][2] = {
            {"─", "0101"}, {"━", "0202"}, {"═", "0303"}, {"│", "1010"}, {"┃", "2020"}, {"║", "3030"},
            {"┌", "0110"}, {"┐", "0011"}, {"└", "1100"}, {"┘", "1001"}, {"├", "1110"}, {"┤", "1011"},
            {"┬", "0111"}, {"┴", "1101"}, {"┼", "1111"}, {"┏", "0220"}, {"┛", "2002"}, {"╋", "2222"},
            {"┍", "0210"}, {"┎", "0120"}, {"┿", "1212"}, {"╂", "2121"}, {"╃", "2112"}, {"╔", "0330"},
            {"╗", "0033"}, {"╚", "3300"}, {"╝", "3003"}, {"╠", "3330"}, {"╣", "3033"}, {"╦", "0333"},
            {"╩", "3303"}, {"╬", "3333"}, {"╒", "0310"}, {"╓", "0130"}, {"╛", "1003"}, {"╜", "3001"},
            {"╞", "1310"}, {"╟", "3130"}, {"╤", "0313"}, {"╥", "0131"}, {"╪", "1313"}, {"╫", "3131"},
            {"╭", "0110"}, {"╮", "0011"}, {"╯", "1001"}, {"╰", "1100"}, {"╴", "0001"}, {"╷", "0010"},
            {"╸", "0002"}, {"╹", "2000"}, {"╼", "0201"}, {"╽", "1020"},
        };
        for (const auto& [ch, arms] : lines)
            QTest::newRow(ch) << QString::fromUtf8(ch) << QString::fromLatin1(arms);
    }
    void linesMeetTheirNeighbours() {
        QFETCH(QString, ch);
        QFETCH(QString, arms);
        // The pixels along each side of the middle cell: up, right, down, left.
        const auto sides = [this](const QString& c) {
            const QImage image = drawnAlone(c);
            const QRect box = middleCell();
            QStringList found;
            for (const bool across : {true, false})
                for (const int at : {0, 1}) {
                    QString edge;
                    for (int k = 0; k < (across ? box.width() : box.height()); ++k) {
                        const QPoint p = across ? QPoint(box.left() + k, at == 0 ? box.top() : box.bottom())
                                                : QPoint(at == 0 ? box.right() : box.left(), box.top() + k);
                        edge += (image.pixel(p) & 0xFFFFFF) != 0 ? u'#' : u'.';
                    }
                    found << edge;
                }
            return QStringList{found[0], found[2], found[1], found[3]};
        };
        // The straight lines are the measure: the same at both ends, one line, a heavy one
        // thicker, a double one two.
        QStringList straight[2] = {{QString()}, {QString()}}; // [vertical][weight]
        for (const bool vertical : {true, false})
            for (const QString& line : vertical ? QStringList{"│", "┃", "║"} : QStringList{"─", "━", "═"}) {
                const QStringList s = sides(line);
                const QString end = s[vertical ? 0 : 1];
                QCOMPARE(s[vertical ? 2 : 3], end);
                QCOMPARE(end.split('.', Qt::SkipEmptyParts).size(), line == "║" || line == "═" ? 2 : 1);
                straight[vertical] << end;
            }
        QVERIFY(straight[0][2].count('#') > straight[0][1].count('#'));
        QVERIFY(straight[1][2].count('#') > straight[1][1].count('#'));
        const QStringList s = sides(ch);
        for (int side = 0; side < 4; ++side) {
            const int weight = arms[side].digitValue();
            QCOMPARE(s[side], weight == 0 ? QString(s[side].size(), u'.') : straight[side % 2 == 0][weight]);
        }
        // Single lines reach the middle, even a half line: where "─" and "│" cross is inked
        // (an arc bends round it).
        if (arms.contains(u'3') || QStringLiteral("╭╮╯╰").contains(ch)) return;
        const QImage image = drawnAlone(ch), across = drawnAlone("─"), down = drawnAlone("│");
        const auto lit = [](const QImage& i, QPoint p) { return (i.pixel(p) & 0xFFFFFF) != 0; };
        const QRect box = middleCell();
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                if (lit(across, {x, y}) && lit(down, {x, y})) QVERIFY(lit(image, {x, y}));
    }
    // Dashed lines keep their dashes; diagonals run from corner to corner.
    void dashesAndDiagonals() {
        const struct {
            const char* ch;
            bool vertical;
            int dashes;
        } dashed[] = {{"┄", false, 3}, {"┅", false, 3}, {"┈", false, 4}, {"╌", false, 2},
                      {"┆", true, 3},  {"┋", true, 4},  {"╎", true, 2}};
        const QRect box = middleCell();
        for (const auto& d : dashed) {
            const QImage image = drawnAlone(QString::fromUtf8(d.ch));
            QString along;
            for (int k = 0; k < (d.vertical ? box.height() : box.width()); ++k) {
                const QPoint p = d.vertical ? QPoint(box.center().x(), box.top() + k)
                                            : QPoint(box.left() + k, box.center().y());
                along += (image.pixel(p) & 0xFFFFFF) != 0 ? u'#' : u'.';
            }
            QVERIFY2(along.split('.', Qt::SkipEmptyParts).size() == d.dashes, d.ch);
        }
        for (const auto& [ch, corners] :
             {std::pair{"╱", "0110"}, std::pair{"╲", "1001"}, std::pair{"╳", "1111"}}) {
            const QImage image = drawnAlone(QString::fromUtf8(ch));
            const QPoint at[] = {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()};
            for (int i = 0; i < 4; ++i)
                QVERIFY2(((image.pixel(at[i]) & 0xFFFFFF) != 0) == (corners[i] == '1'), ch);
        }
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
