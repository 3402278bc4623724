#include "FormFixture.h"
#include "TestRegistry.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

using namespace torvo;

// "Guardar Ansi" in its two kinds, ANSI art through "Abrir", and "torvo --export".
namespace {
const Palette P;

// Every file dialog answers with path and the filter entry given, and notes the entry it
// was opened on.
void answerWith(FormFixture& f, const QString& path, int entry, QList<int>* shown = nullptr) {
    CommonDialog* dialog = f.form->dialog();
    dialog->setChooser([=](auto, const QString&, const QString&) {
        if (shown) shown->append(dialog->FilterIndex());
        dialog->setFilterIndex(entry);
        return path;
    });
}

} // namespace

class AnsiCommandsTest : public QObject {
    Q_OBJECT
private slots:
    // The kind chosen last is kept for the other tests of the run too.
    void cleanup() { QSettings().clear(); }

    void saveAnsiInBothKindsAndKeepTheChoice() {
        QTemporaryDir dir;
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"Ñ▒€"_qs, P[4]}}));
        QList<int> shown;
        answerWith(f, dir.filePath("scene.ans"), 1, &shown);
        f.control<QAction>("mnuSaveAnsi")->trigger();
        const QByteArray scene = bytesOf(dir.filePath("scene.ans"));
        QCOMPARE(scene.chopped(128), QByteArray("\x1b[1;32m\xA5\xB1?\x1b[1;32m\x1b[0m\r\n\x1a"));
        QVERIFY(scene.sliced(scene.size() - 128).startsWith("SAUCE00scene "));
        QCOMPARE(f.status(), QStringLiteral("Guardado «scene.ans». 1 carácter no existe en la página 437: "
                                            "se escribió como «?»."));

        answerWith(f, dir.filePath("terminal.ans"), 2, &shown);
        f.control<QAction>("mnuSaveAnsi")->trigger();
        QCOMPARE(bytesOf(dir.filePath("terminal.ans")), QByteArray("\x1b[1;32mÑ▒€\r\n\x1b[1;32m\x1b[0m\r\n"));
        QCOMPARE(f.status(), QStringLiteral("Guardado «terminal.ans»."));

        // The next dialog, also of a new window, opens on the kind chosen last.
        FormFixture g;
        answerWith(g, QString(), 1, &shown);
        g.control<QAction>("mnuSaveAnsi")->trigger();
        QCOMPARE(shown, (QList<int>{1, 1, 2}));
    }

    void openAnsiArt() {
        QTemporaryDir dir;
        const QString path = dir.filePath("arte.ANS");
        QVERIFY(writeBytes(path, "\x1b[0;44m\x1b[1;33m\xDB\xDB\x1b[0m  \x1b[31mok\x1b[2;3H\xA4"));
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"old"_qs, P[3]}}));
        QStringList filters;
        f.form->dialog()->setChooser([&](auto, const QString& filter, const QString&) {
            filters << filter;
            return path;
        });
        f.control<QAction>("mnuOpen")->trigger();
        QVERIFY(filters.value(0).contains(QStringLiteral("Arte ANSI (*.ans)")));
        const RichText t = f.viewArt();
        QCOMPARE(t.plainText(), QStringLiteral("██  ok\r\n  ñ\r\n"));
        const std::pair<int, int> inks[] = {{0, 3}, {1, 3}, {4, 10}, {5, 10}, {10, 10}};
        for (const auto& [p, entry] : inks)
            QCOMPARE(t.colourAt(p), P[entry]);
        QCOMPARE(f.status(), QStringLiteral("Abierto «arte.ANS». Se quitó el fondo de color de 2 celdas: "
                                            "el texto no lleva fondos."));
        f.chooseTab(1);
        QCOMPARE(f.grid().rows(), 2);
    }

    // What the reader makes of a damaged file is its own business; the window shows it, or
    // keeps the art when there is nothing to show, and says which on one line.
    void badAnsiFiles() {
        QTemporaryDir dir;
        QByteArray huge;
        while (huge.size() < 20 * 1024 * 1024)
            huge += "\x1b[1;31m" + QByteArray(70, '#') + "\r\n";
        FormFixture f;
        f.form->show();
        for (const auto& [name, bytes] :
             {std::pair{"cut.ans", QByteArray("ab\x1b[1;3")}, std::pair{"huge.ans", huge}}) {
            f.setArt(art({{u"old"_qs, P[3]}}));
            const QString path = dir.filePath(name);
            QVERIFY(writeBytes(path, bytes));
            const bool opened = f.form->openPath(path);
            QVERIFY2(!f.status().contains(u'\n') && f.status().contains(name), qPrintable(f.status()));
            QCOMPARE(f.viewArt().plainText(), opened ? u"ab\r\n"_qs : u"old\r\n"_qs);
            QCOMPARE(opened, bytes.size() < 100);
        }
    }

    // Each format of "torvo --export" writes what its menu command writes.
    void commandLineExportsEqualTheMenus() {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.ans");
        QVERIFY(writeBytes(in, "\x1b[1;36m╔═╗ \x1b[0;32mÑu € <&>\r\n\x1b[1;31m\x1b[s║\x1b[u\x1b[2C║\r\n"));
        FormFixture f;
        f.form->show();
        QVERIFY(f.form->openPath(in));
        const struct {
            const char* format;
            const char* command;
            const char* name;
            int entry;
        } cases[] = {
            {"ansi", "mnuSaveAnsi", "art.ans", 1},  {"ansi-utf8", "mnuSaveAnsi", "art.ans", 2},
            {"html", "mnuSaveHTML", "art.html", 1}, {"bmp", "mnuSaveBitmap", "art.bmp", 1},
            {"txt", "mnuSave", "art.txt", 1},       {"qcg", "mnuSave", "art.qcg", 1},
            {"irc", "mnuSave", "art.irc", 1},
        };
        for (const auto& c : cases) {
            // Same file name, so the SAUCE record gets the same title.
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("menu/%1").arg(c.format)));
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cli/%1").arg(c.format)));
            const QString menu = dir.filePath(QStringLiteral("menu/%1/%2").arg(c.format, c.name));
            const QString cli = dir.filePath(QStringLiteral("cli/%1/%2").arg(c.format, c.name));
            answerWith(f, menu, c.entry);
            f.control<QAction>(c.command)->trigger();
            const Run r = runTorvo({"--export", c.format, in, cli});
            QCOMPARE(r.status, 0);
            QVERIFY(!bytesOf(menu).isEmpty());
            QVERIFY2(bytesOf(cli) == bytesOf(menu), c.format);
            // Only the code page notes what it could not write.
            QCOMPARE(
                QString::fromUtf8(r.err),
                c.format == QLatin1String("ansi")
                    ? QStringLiteral("torvo: 1 carácter no existe en la página 437: se escribió como «?».\n")
                    : QString());
        }
        // To standard output, and from the art's own file, which is read whole, not played.
        for (const QString& from : {in, dir.filePath("menu/qcg/art.qcg")}) {
            const Run out = runTorvo({"--export", "html", from, "-"});
            QCOMPARE(out.status, 0);
            QCOMPARE(out.out, bytesOf(dir.filePath("menu/html/art.html")));
        }
    }

    void commandLineFailuresSayWhyOnOneLine() {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.txt");
        QVERIFY(writeBytes(in, "art"));
        const QList<QStringList> cases = {
            {"--export"},
            {"--export", "html", in},
            {"--export", "pdf", in, dir.filePath("out.pdf")},
            {"--export", "bmp", in, "-"},
        };
        for (const QStringList& args : cases) {
            const Run r = runTorvo(args);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.startsWith("torvo: ") && r.err.count('\n') == 1 && r.err.endsWith('\n'), r.err);
            QVERIFY(r.out.isEmpty());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"in.txt"});
        // A page of many pieces to a full disk: the writer refuses while the art is still read.
        const QString big = dir.filePath("big.ans");
        QVERIFY(writeBytes(big, QByteArray("\x1b[1;32mabc\x1b[0;31mdef\r\n").repeated(20000)));
        const Run full = runTorvo({"--export", "html", big, "-"}, nullptr, QStringLiteral("/dev/full"));
        QCOMPARE(full.status, 1);
        QCOMPARE(full.err, QByteArray("torvo: No se pudo escribir en la salida estándar.\n"));
        const Run help = runTorvo({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("torvo --export FORMATO ENTRADA SALIDA"));
        QVERIFY(help.out.contains("ansi-utf8"));
        // The window takes one file and no options.
        for (const QStringList& args : {QStringList{"-x"}, QStringList{"a.qcg", "b.qcg"}}) {
            const Run r = runTorvo(args, "offscreen");
            QVERIFY2(r.status == 2 && r.err.endsWith("usage: torvo [FILE]\n"), r.err);
        }
    }
};

TORVO_TEST(AnsiCommandsTest)
#include "AnsiCommandsTest.moc"
