#include "FormFixture.h"
#include "TestRegistry.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

using namespace torvo;

namespace {
const Palette P;
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
        // The side views show the art opened.
        g.chooseTab(1);
        QCOMPARE(g.grid().rows(), 2);
        g.chooseTab(0);
        g.chooseTab(3);
        QCOMPARE(g.BoxCopy()->toPlainText(),
                 QStringLiteral("<red>a\"b <cyan>{\\}\n<cyan><lblue>ñ█\n<lblue>"));
    }
    void cancelAndFailuresChangeNothing() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"keep"_qs, P[4]}}));
        const QString before = f.Mensaje()->document()->toHtml();
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(writeBytes(path, "\"old\"\r\n"));

        f.answerDialogs(QString()); // Cancel
        for (const char* command : {"mnuOpen", "mnuSave", "mnuSaveAnsi", "mnuSaveHTML", "mnuSaveBitmap"})
            f.control<QAction>(command)->trigger();
        QCOMPARE(f.status(), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
        QVERIFY(f.form->mensajeListo());

        // A save into a folder that does not exist fails with a message and writes nothing.
        f.answerDialogs(dir.filePath(QStringLiteral("missing/new.txt")));
        f.control<QAction>("mnuSave")->trigger();
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo")));

        // A broken own file does not replace the art.
        QVERIFY(writeBytes(path, "\"{\\rtf1\\ansi " + QByteArray(5000, '{') + "x\"\r\n"));
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
        QVERIFY(writeBytes(path, "\"old art\"\r\n"));
        FormFixture f;
        f.form->show();
        f.setArt(art({{QString(200000, u'x'), P[0]}}));
        f.answerDialogs(path);
        f.control<QAction>("mnuSave")->trigger();
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo")));
        QCOMPARE(bytesOf(path), QByteArray("\"old art\"\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("art.txt")});
    }
    // A file dropped on the window or on the text view (ANSI art here) opens as "Abrir" would open it;
    // what is not a local file is not taken.
    void droppedFilesOpen() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dropped.ans"));
        QVERIFY(writeBytes(path, "dropped"));
        FormFixture f;
        f.form->show();
        for (QWidget* target : {static_cast<QWidget*>(f.form.get()), f.Mensaje()->viewport()}) {
            f.setArt(art({{u"mine"_qs, P[3]}}));
            for (const QUrl& url :
                 {QUrl(QStringLiteral("https://example.org/x.txt")), QUrl::fromLocalFile(path)}) {
                QMimeData mime;
                mime.setUrls({url});
                QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(target, &enter);
                if (!enter.isAccepted()) continue;
                QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(target, &drop);
            }
            QCOMPARE(f.viewArt().plainText(), QStringLiteral("dropped\r\n"));
            QCOMPARE(f.status(), QStringLiteral("Abierto «dropped.ans»."));
        }
    }
    // Guardar gives a name typed without an extension the chosen entry's; whatever writes
    // text says that the colours are not kept.
    void guardarAddsTheChosenExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("status");
        QTest::newRow("own file") << "arte1" << 1 << "arte1.qcg"
                                  << "Guardado «arte1.qcg».";
        QTest::newRow("text") << "arte1" << 2 << "arte1.txt"
                              << "Guardado como texto, sin colores: «arte1.txt».";
        QTest::newRow("all files") << "arte1" << 3 << "arte1"
                                   << "Guardado como texto, sin colores: «arte1».";
        QTest::newRow("the name's own extension") << "arte1.qcg" << 2 << "arte1.qcg"
                                                  << "Guardado «arte1.qcg».";
        QTest::newRow("text by name") << "notas.txt" << 1 << "notas.txt"
                                      << "Guardado como texto, sin colores: «notas.txt».";
    }
    void guardarAddsTheChosenExtension() {
        QFETCH(QString, typed);
        QFETCH(int, entry);
        QFETCH(QString, written);
        QFETCH(QString, status);
        QTemporaryDir dir;
        FormFixture f;
        f.setArt(art({{u"rojo"_qs, P[2]}}));
        CommonDialog* dialog = f.form->dialog();
        dialog->setChooser([&](auto, const QString&, const QString&) {
            dialog->setFilterIndex(entry);
            return dir.filePath(typed);
        });
        f.control<QAction>("mnuSave")->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
        QCOMPARE(f.status(), status);
        QCOMPARE(bytesOf(dir.filePath(written)).startsWith("\"{\\rtf1"), written.endsWith(".qcg"));
        QCOMPARE(f.form->artFile(), written.endsWith(".qcg") ? dir.filePath(written) : QString());
    }
    // The window's own dialog adds it too, and follows the entry chosen in it.
    void theDialogAddsTheExtensionItself() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"rojo"_qs, P[2]}}));
        f.form->dialog()->setLastPath(dir.filePath("x"));
        const std::pair<const char*, const char*> saves[] = {{"Archivos Torvo (*.qcg)", "arte2"},
                                                             {"Archivos de Texto (*.txt)", "arte3"}};
        for (const auto& save : saves) {
            QTimer::singleShot(0, [entry = save.first, name = save.second] {
                QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                dialog->selectNameFilter(QLatin1String(entry));
                emit dialog->filterSelected(QLatin1String(entry));
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QLatin1String(name));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            f.control<QAction>("mnuSave")->trigger();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"arte2.qcg", "arte3.txt"}));
    }
    // Saves replace only files the user may write.
    void readOnlyFiles() {
        QTemporaryDir dir;
        FormFixture f;
        f.setArt(art({{u"arte"_qs, P[2]}}));
        const QString path = dir.filePath("fijo.qcg");
        QVERIFY(writeBytes(path, "\"old\"\r\n"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        f.answerDialogs(path);
        for (const char* command : {"mnuSave", "mnuSaveAnsi", "mnuSaveHTML", "mnuSaveBitmap"}) {
            f.control<QAction>(command)->trigger();
            QCOMPARE(f.status(), QStringLiteral("No se puede escribir «%1»: solo lectura.").arg(path));
        }
        QCOMPARE(bytesOf(path), QByteArray("\"old\"\r\n"));
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
};
TORVO_TEST(FileCommandsTest)
#include "FileCommandsTest.moc"
