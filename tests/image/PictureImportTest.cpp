#include "image/PictureImport.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "TestRegistry.h"

#include <QImageWriter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;
using namespace picture_test;

namespace {
const Palette P;

Result<QImage> readBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readPicture(buffer);
}

RichText convert(const QImage& picture, int columns, SymbolSet symbols = SymbolSet::Blocks,
                 Dithering dithering = Dithering::None, const Palette& palette = P) {
    return convertPicture(picture, {columns, symbols, dithering}, palette);
}

// Every row ends with a line break, holds at most `columns` characters and no trailing blank.
bool wellFormed(const RichText& art, CellSize size) {
    const QStringList rows = lines(art);
    return art.endsWithLineBreak() && rows.size() == size.rows &&
           std::all_of(rows.begin(), rows.end(), [&](const QString& r) {
               return r.toUcs4().size() <= size.columns && !r.endsWith(u' ');
           });
}

} // namespace

// A picture read, checked and turned into art of the palette's colours by chafa.
class PictureImportTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QSettings().clear(); }

    // rows = columns × height / width × 1233 / 2384, rounded; a tall picture loses columns
    // so that its rows stay within 2000.
    void heightFollowsThePictureAndTheCell_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::newRow("photo 4:3") << QSize(4000, 3000) << 80 << 80 << 31;      // 31.03
        QTest::newRow("square") << QSize(1000, 1000) << 80 << 80 << 41;         // 41.38
        QTest::newRow("portrait") << QSize(3000, 4000) << 80 << 80 << 55;       // 55.16
        QTest::newRow("widest") << QSize(640, 480) << 400 << 400 << 155;        // 155.16
        QTest::newRow("a thin strip") << QSize(2000, 100) << 8 << 8 << 1;       // 0.21
        QTest::newRow("tall at 400") << QSize(100, 1000) << 400 << 386 << 1996; // 2068.8 rows at 400
        QTest::newRow("a needle") << QSize(10, 30000) << 80 << 1 << 1552;       // 1551.6 rows a column
    }
    void heightFollowsThePictureAndTheCell() {
        QFETCH(QSize, picture);
        QFETCH(int, columns);
        QFETCH(int, cols);
        QFETCH(int, rows);
        QCOMPARE(cellSizeFor(picture, columns), (CellSize{cols, rows}));
    }

    // Each of our colours as a whole picture comes back as its own entry, drawn with full
    // blocks (chafa's fill: alone it would leave a cell of one dark red or dark green blank),
    // except that chafa's preparation of 16-colour pictures brightens dark blue into blue.
    // Black is blank. The palette as it is: with entry 2 toggled, light red is entry 2 in dark red.
    void eachPaletteColourComesBackAsItsEntry() {
        const int expected[Palette::Size] = {0, 1, 2, 3, 4, 5, 6, 7, -1, 9, 10, 11, 12, 13, 6, 15};
        for (int e = 0; e < Palette::Size; ++e) {
            const RichText art = convert(solid({64, 64}, P[e].toQColor()), 8);
            QVERIFY(wellFormed(art, {8, 4}));
            QCOMPARE(lines(art), QStringList(4, expected[e] < 0 ? QString() : QString(8, QChar(0x2588))));
            for (int p = 0; p < art.size(); ++p)
                if (!art.isLineBreak(p)) QCOMPARE(art.colourAt(p), P[expected[e]]);
        }
        // In letters, one of the dark ones still comes back in its colour.
        const RichText letters = convert(solid({64, 64}, P[12].toQColor()), 8, SymbolSet::Ascii);
        QVERIFY(letters.charAt(0) > U' ' && letters.charAt(0) < U'\x7F');
        QCOMPARE(letters.colourAt(0), P[12]);
        Palette toggled;
        toggled.toggleEntry2();
        const RichText red =
            convert(solid({32, 32}, Qt::red), 8, SymbolSet::Blocks, Dithering::None, toggled);
        QCOMPARE(red.charAt(0), U'\u2588');
        QCOMPARE(red.colourAt(0), Palette::DarkRed);
    }

    // Transparent and black parts are blanks; blanks before a character are spaces, after
    // the last one nothing.
    void transparentAndBlackCellsAreBlank() {
        QImage picture = solid({128, 64}, Qt::white);
        QPainter p(&picture);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(0, 0, 32, 64, Qt::transparent);
        p.fillRect(96, 0, 32, 64, Qt::black);
        p.end();
        const RichText art = convert(picture, 8);
        QVERIFY(wellFormed(art, {8, 2}));
        QCOMPARE(lines(art), QStringList(2, QStringLiteral("  ") + QString(4, QChar(0x2588))));
        QCOMPARE(lines(convert(solid({64, 64}, Qt::transparent), 8)), QStringList(4, QString()));
    }

    // Each set draws with its own characters only; "Todos" reaches beyond blocks and ASCII.
    void symbolSetsKeepToTheirCharacters() {
        const QImage picture = photoLike({320, 240});
        const auto within = [](const RichText& art, auto allowed) {
            for (int p = 0; p < art.size(); ++p)
                if (!art.isLineBreak(p) && art.charAt(p) != U' ' && !allowed(art.charAt(p))) return false;
            return true;
        };
        const auto block = [](char32_t c) { return c >= 0x2580 && c <= 0x259F; };
        const auto ascii = [](char32_t c) { return c > 0x20 && c < 0x7F; };
        const auto border = [](char32_t c) { return c >= 0x2500 && c <= 0x257F; };
        const RichText blocks = convert(picture, 60, SymbolSet::Blocks);
        const RichText letters = convert(picture, 60, SymbolSet::Ascii);
        const RichText borders = convert(picture, 60, SymbolSet::BlocksAndBorders);
        const RichText all = convert(picture, 60, SymbolSet::All);
        for (const RichText* art : {&blocks, &letters, &borders, &all})
            QVERIFY(wellFormed(*art, cellSizeFor(picture.size(), 60)));
        QVERIFY(within(blocks, block));
        QVERIFY(within(letters, ascii));
        QVERIFY(within(borders, [&](char32_t c) { return block(c) || border(c); }));
        QVERIFY(!within(borders, block));
        QVERIFY(!within(all, [&](char32_t c) { return block(c) || border(c) || ascii(c); }));
    }

    void everyKindIsRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QImage picture = solid({40, 30}, QColor(255, 255, 0));
        for (const char* format : {"png", "jpeg", "bmp", "webp"}) {
            QVERIFY2(QImageWriter::supportedImageFormats().contains(format), format);
            QTest::newRow(format) << encoded(picture, format, 100);
        }
        QTest::newRow("gif") << gifOfFrames(1);
    }
    void everyKindIsRead() {
        QFETCH(QByteArray, bytes);
        const Result<QImage> picture = readBytes(bytes);
        QVERIFY2(picture, qPrintable(picture.why()));
        QVERIFY(picture->format() == QImage::Format_RGB32 || picture->format() == QImage::Format_ARGB32);
        QVERIFY(picture->width() == 40 || picture->width() == 8);
    }

    // Pictures are read at most 1600 pixels a side, keeping their shape.
    void largePicturesAreReadAtTheWorkingSize() {
        QCOMPARE(readBytes(encoded(solid({4000, 1000}, Qt::red), "png"))->size(), QSize(1600, 400));
        QCOMPARE(readBytes(encoded(photoLike({1200, 2400}), "jpeg", 90))->size(), QSize(800, 1600));
        QCOMPARE(readBytes(encoded(solid({1600, 900}, Qt::red), "bmp"))->size(), QSize(1600, 900));
        // A GIF larger than its frame, as its screen's height makes it (Qt says the frame's
        // size before reading); a needle keeps a pixel across.
        QCOMPARE(readBytes(gifOfFrames(1, {4, 4}, {0, 3200}))->size(), QSize(2, 1600));
        QCOMPARE(readBytes(gifOfFrames(1, {2, 2}, {0, 4000}))->size(), QSize(1, 1600));
    }

    // A GIF gives its first frame, however many follow.
    void aGifGivesItsFirstFrame() {
        const Result<QImage> gif = readBytes(gifOfFrames(1000));
        QVERIFY2(gif, qPrintable(gif.why()));
        const RichText art = convert(*gif, 8);
        QVERIFY(art.size() > 0);
        for (int p = 0; p < art.size(); ++p)
            QCOMPARE(art.colourAt(p), P[2]);
    }

    void hostilePicturesFailWithOneLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QString notAPicture = "no es una imagen que se pueda leer (PNG, JPEG, GIF, BMP o WebP).";
        const QString broken = "la imagen está dañada o incompleta.";
        const QByteArray png = encoded(photoLike({200, 150}), "png");
        QTest::newRow("truncated png") << png.left(png.size() / 2) << broken;
        // Refused from the header: its data would fail to decode with another line.
        QTest::newRow("30000 x 30000 header")
            << pngHeader(30000, 30000)
            << QStringLiteral(
                   "la imagen es demasiado grande: 30000 × 30000 píxeles (el máximo es 64 millones).");
        QTest::newRow("zero width") << pngHeader(0, 10) << broken;
        QTest::newRow("zero-size gif") << QByteArray("GIF89a\x00\x00\x00\x00\x00\x00\x00;", 14) << broken;
        QTest::newRow("text") << QByteArray("hola, esto es texto\n") << notAPicture;
        QTest::newRow("empty") << QByteArray() << notAPicture;
        QTest::newRow("ppm, which Qt reads but we do not")
            << encoded(solid({4, 4}, Qt::red), "ppm") << notAPicture;
    }
    void hostilePicturesFailWithOneLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QCOMPARE(readBytes(bytes).why(), why);
    }

    // A chunk must end within the file before libpng may allocate what it claims.
    void pngChunksMustFitTheFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("fits");
        const QByteArray png = encoded(solid({4, 4}, Qt::red), "png");
        const QByteArray end = pngChunk("IEND", {});
        QByteArray claim = pngChunk("tEXt", "Comment\0hola");
        qToBigEndian(quint32(0x41000025), claim.data());
        QTest::newRow("whole") << png << true;
        QTest::newRow("bytes after its end") << png + QByteArray(3, 'x') << true;
        QTest::newRow("cut inside a chunk") << png.left(png.size() - 5) << false;
        QTest::newRow("cut inside a chunk's head") << png.left(png.size() - end.size() + 4) << false;
        QTest::newRow("a gigabyte of text claimed")
            << png.left(png.size() - end.size()) + claim + end << false;
        QTest::newRow("not a png") << QByteArray("GIF89a and more") << true;
    }
    void pngChunksMustFitTheFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, fits);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        buffer.seek(0);
        QCOMPARE(pngChunksFit(buffer), fits);
        QCOMPARE(buffer.pos(), 0);
        if (!fits) QCOMPARE(readBytes(bytes).why(), "la imagen está dañada o incompleta.");
    }

    // A picture is told by its name, or by its first bytes whatever its name.
    void picturesAreToldByNameOrSignature() {
        QTemporaryDir dir;
        const struct {
            const char* name;
            QByteArray bytes;
            bool picture;
        } cases[] = {
            {"a.PNG", "text", true},
            {"a.jpeg", "", true},
            {"a.webp", "", true},
            {"dibujo.bmp", "", true},
            {"a.txt", encoded(solid({2, 2}, Qt::red), "png"), true},
            {"a.qcg", encoded(solid({2, 2}, Qt::red), "jpeg"), true},
            {"a", gifOfFrames(1), true},
            {"a.ans", QByteArray("RIFF\x10\0\0\0WEBPVP8 ", 16), true},
            {"a.ans", QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16), false},
            {"b.txt", "BM is no signature", false},
            {"x.qcg", QByteArray("\x89PNG\0\0\x01", 7), false},
            {"c.qcg", "\"{\\rtf1\\ansi}\"\r\n", false},
            {"png", "", false},
        };
        for (const auto& c : cases) {
            const QString path = dir.filePath(QLatin1String(c.name));
            QVERIFY(torvo::test::writeFile(path, c.bytes));
            QVERIFY2(isPictureFile(path) == c.picture, c.name);
        }
        QVERIFY(!isPictureFile(dir.filePath("missing")));
    }

    void choicesAreRemembered() {
        QCOMPARE(lastPictureChoices(), PictureChoices());
        const PictureChoices chosen{123, SymbolSet::BlocksAndBorders, Dithering::Diffusion};
        rememberPictureChoices(chosen);
        QCOMPARE(lastPictureChoices(), chosen);
        // Settings edited by hand: what is out of range is brought in, what is unknown is the default.
        QSettings settings;
        settings.setValue("imagen/columnas", 5000);
        settings.setValue("imagen/simbolos", "emoji");
        settings.setValue("imagen/tramado", "x");
        QCOMPARE(lastPictureChoices(), (PictureChoices{MaxColumns, SymbolSet::Blocks, Dithering::None}));
    }
};

TORVO_TEST(PictureImportTest)
#include "PictureImportTest.moc"
