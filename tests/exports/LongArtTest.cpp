#include "TestRegistry.h"
#include "files/AnsiExport.h"
#include "files/BitmapExport.h"
#include "files/HtmlExport.h"
#include "files/SaveArt.h"

#include <QTemporaryDir>
#include <QTest>

using namespace torvo;

// A very long line: every export writes it whole.
class LongArtTest : public QObject {
    Q_OBJECT
private slots:
    void lineOfAHundredThousandCharactersInEveryExport() {
        const Palette palette;
        RichText t;
        for (int i = 0; i < 100'000; ++i)
            t.append(i % 2 ? U'#' : U'<', palette[i / 3 % 2 ? 2 : 6]);
        const std::optional<QString> ansi = SalvarComoAnsi(t, palette);
        QVERIFY(ansi);
        QCOMPARE(ansi->count(u'#'), 50'000);
        QCOMPARE(ansi->count(QStringLiteral("\x1b[1;31m")) + ansi->count(QStringLiteral("\x1b[1;34m")),
                 33'334);
        const std::optional<QString> page = SalvarComoHTML(t);
        QVERIFY(page);
        QCOMPARE(page->count(QStringLiteral("&lt;")), 50'000);

        const QFont font = textImageFont();
        const QSize cell = measureCell(font);
        const QImage image = *renderArt(t, 100'000, 1, font);
        QCOMPARE(image.size(), QSize(100'001 * cell.width(), 2 * cell.height()));
        QTemporaryDir dir;
        QVERIFY(saveBitmap(image, dir.filePath("long.bmp")));
        QCOMPARE(QImage(dir.filePath("long.bmp")).size(), image.size());
    }
};

TORVO_TEST(LongArtTest)
#include "LongArtTest.moc"
