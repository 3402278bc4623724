#include "FormFixture.h"
#include "TestRegistry.h"
#include "files/ArtFile.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

using namespace torvo;

namespace {
RichText bigArt(int cols, int rows) {
    const Palette p;
    RichText t;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            t.append(U"#@*+ab "[(r + c) % 7], p[((r * cols + c) / 3) % 16]);
        t.appendLineBreak();
    }
    return t;
}
} // namespace

// Large art through every view and export (the sanitizer build also checks for leaks here).
class LargeArtTest : public QObject {
    Q_OBJECT
private slots:
    void bigPictureThroughEveryViewAndExport() {
        QTemporaryDir dir;
        const QString art = dir.filePath(QStringLiteral("big.qcg"));
        QVERIFY(writeBytes(art, encodeArtFile(bigArt(400, 1000), SaveFormat::Own)));
        FormFixture f;
        f.form->show();
        QVERIFY(f.form->openPath(art));
        f.chooseTab(1);
        QCOMPARE(f.grid().rows(), 1000);
        QCOMPARE(f.grid().cols(), 400);
        f.chooseTab(0);
        f.chooseTab(2);
        f.chooseTab(0);
        QCOMPARE(f.form->BackBox().size(), 402 * 1000);
        for (const char* name : {"x.ans", "x.html", "x.bmp"}) {
            f.answerDialogs(dir.filePath(QLatin1String(name)));
            const QString command = QLatin1String(name).endsWith(QLatin1String("ans"))    ? "mnuSaveAnsi"
                                    : QLatin1String(name).endsWith(QLatin1String("html")) ? "mnuSaveHTML"
                                                                                          : "mnuSaveBitmap";
            f.control<QAction>(command.toLatin1().constData())->trigger();
            QVERIFY2(QFile::exists(dir.filePath(QLatin1String(name))), qPrintable(f.status()));
        }
        QCOMPARE(QImageReader(dir.filePath(QStringLiteral("x.bmp"))).size().width() % 401, 0);
    }
};
TORVO_TEST(LargeArtTest)
#include "LargeArtTest.moc"
