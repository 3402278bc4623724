#include "FormFixture.h"
#include "TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace torvo;

namespace {
const Palette P;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}
} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void ownFileRoundTripThroughTheMenus() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ART.Qcg"));
        FormFixture f;
        f.form->show();
        const RichText original = art({{u"a\"b"_qs, P[2]}, {u" {\\}"_qs, P[5]}, {u"\r\nñ█"_qs, P[14]}});
        f.setArt(original);
        f.answerDialogs(path);
        f.control<QAction>("mnuSave")->trigger();
        QVERIFY(bytesOf(path).startsWith("\"{\\rtf1\\"));
        QVERIFY(f.status().contains(QStringLiteral("Guardado")));

        FormFixture g;
        g.form->show();
        g.answerDialogs(path);
        g.control<QAction>("mnuOpen")->trigger();
        const RichText back = g.viewArt();
        QCOMPARE(back.plainText(), QStringLiteral("a\"b {\\}\r\nñ█\r\n"));
        for (int p = 0; p < back.size(); ++p)
            if (!back.isLineBreak(p)) QCOMPARE(back.colourAt(p), original.colourAt(p));
        // The open ran one rebuild of every view.
        QCOMPARE(g.grid().rows(), 2);
        QCOMPARE(g.BoxCopy()->toPlainText(),
                 QStringLiteral("<red>a\"b <cyan>{\\}\n<cyan><lblue>ñ█\n<lblue>"));
    }
    void textFilesSaveQuotedAndOpenWhite() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.answerDialogs(dir.filePath(QStringLiteral("empty")));
        f.control<QAction>("mnuSave")->trigger();
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("empty"))), QByteArray("\"\"\r\n"));

        const QString plain = dir.filePath(QStringLiteral("plain.txt"));
        writeBytes(plain, "a, b\n  c\"d");
        f.setArt(art({{u"old"_qs, P[3]}}));
        f.answerDialogs(plain);
        f.control<QAction>("mnuOpen")->trigger();
        const RichText t = f.viewArt();
        QCOMPARE(t.plainText(), QStringLiteral("a, b\r\n  c\"d\r\n"));
        for (int p = 0; p < t.size(); ++p)
            QCOMPARE(t.colourAt(p), P[0]);
    }
    void cancelAndFailuresChangeNothing() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"keep"_qs, P[4]}}));
        const QString before = f.Mensaje()->document()->toHtml();
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        writeBytes(path, "\"old\"\r\n");

        f.answerDialogs(QString()); // Cancel
        for (const char* command : {"mnuOpen", "mnuSave", "mnuSaveAnsi", "mnuSaveHTML", "mnuSaveBitmap"})
            f.control<QAction>(command)->trigger();
        QCOMPARE(f.status(), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
        QVERIFY(f.form->MensajeListo);

        // A save into a folder that does not exist fails with a message and writes nothing.
        f.answerDialogs(dir.filePath(QStringLiteral("missing/new.txt")));
        f.control<QAction>("mnuSave")->trigger();
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo")));

        // A broken own file does not replace the art.
        writeBytes(path, "\"{\\rtf1\\ansi " + QByteArray(5000, '{') + "x\"\r\n");
        f.answerDialogs(path);
        f.control<QAction>("mnuOpen")->trigger();
        QCOMPARE(f.Mensaje()->document()->toHtml(), before);
        f.answerDialogs(dir.filePath(QStringLiteral("nothing-here.qcg")));
        f.control<QAction>("mnuOpen")->trigger();
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo abrir")));
        QCOMPARE(f.Mensaje()->document()->toHtml(), before);
    }
    void fullDiskKeepsTheOldFile() {
        // A small file system of our own, so that the save runs out of room half way.
        QTemporaryDir dir;
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()});
        if (!mount.waitForFinished() || mount.exitCode() != 0)
            QSKIP("cannot mount a small file system here (needs root)");
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {dir.path()}); });
        const QString path = dir.filePath(QStringLiteral("art.txt"));
        writeBytes(path, "\"old art\"\r\n");
        FormFixture f;
        f.form->show();
        f.setArt(art({{QString(200000, u'x'), P[0]}}));
        f.answerDialogs(path);
        f.control<QAction>("mnuSave")->trigger();
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo")));
        QCOMPARE(bytesOf(path), QByteArray("\"old art\"\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("art.txt")});
    }
    void strayBytesAreShownNotLost() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odd.txt"));
        writeBytes(path, QByteArray("a\0b\xff\r\n", 6));
        FormFixture f;
        f.form->show();
        QVERIFY(f.form->openPath(path));
        // Not UTF-8: read as Windows-1252, every byte a character.
        QCOMPARE(f.viewArt().plainText(), QString::fromUtf8("a\0b\u00ff\r\n", 7));
        QCOMPARE(f.grid().cols(), 4);
    }
    void dialogRemembersTheLastPath() {
        FormFixture f;
        QStringList seen;
        f.form->dialog()->setChooser([&seen](auto, const QString& filter, const QString& last) {
            seen << last + "|" + filter;
            return QStringLiteral("/tmp/chosen.ans");
        });
        f.form->mnuSaveAnsi_Click();
        f.form->mnuSaveHTML_Click();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], QStringLiteral("|Archivos Ansi (*.ans);;Archivos Ansi UTF-8 (*.ans)"));
        QCOMPARE(seen[1], QStringLiteral("/tmp/chosen.ans|Archivos HTML (*.html)"));
        QFile::remove(QStringLiteral("/tmp/chosen.ans"));
    }
    void exportsWriteTheirFiles() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"A<B"_qs, P[4]}}));
        f.answerDialogs(dir.filePath(QStringLiteral("x.ans")));
        f.control<QAction>("mnuSaveAnsi")->trigger();
        const QByteArray ans = bytesOf(dir.filePath(QStringLiteral("x.ans")));
        QCOMPARE(ans.chopped(128), QByteArray("\x1b[1;32mA<B\r\n\x1b[1;32m\r\n\x1a"));
        QVERIFY(ans.sliced(ans.size() - 128).startsWith("SAUCE00x "));
        f.answerDialogs(dir.filePath(QStringLiteral("x.html")));
        f.control<QAction>("mnuSaveHTML")->trigger();
        QVERIFY(bytesOf(dir.filePath(QStringLiteral("x.html"))).contains("A&lt;B"));
        f.answerDialogs(dir.filePath(QStringLiteral("x.bmp")));
        f.control<QAction>("mnuSaveBitmap")->trigger();
        const QImage image(dir.filePath(QStringLiteral("x.bmp")));
        QVERIFY(!image.isNull());
        QVERIFY(bytesOf(dir.filePath(QStringLiteral("x.bmp"))).startsWith("BM"));
        QCOMPARE(f.form->MaxCols, 3);
        QCOMPARE(f.form->MaxRows, 1);
        QVERIFY(f.form->MensajeListo);
    }
};
TORVO_TEST(FileCommandsTest)
#include "FileCommandsTest.moc"
