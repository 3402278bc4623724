#include "files/ExportCommand.h"
#include "TestRegistry.h"
#include "files/AtomicWrite.h"
#include "files/PiecePipe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;

class ExportCommandTest : public QObject {
    Q_OBJECT
private slots:
    // Which command lines run the tool without a window, and which open the editor.
    void commandLineToolOrEditor() {
        const struct {
            std::vector<const char*> args;
            bool tool;
        } cases[] = {
            {{"torvo", "--export", "html", "a.qcg", "-"}, true},
            {{"torvo", "--help"}, true},
            {{"torvo", "-h"}, true},
            {{"torvo"}, false},
            {{"torvo", "dibujo.qcg"}, false},
            {{"torvo", "--exportar"}, false},
        };
        for (const auto& c : cases) {
            std::vector<char*> argv;
            for (const char* a : c.args)
                argv.push_back(const_cast<char*>(a));
            QVERIFY2(isCommandLineTool(int(argv.size()), argv.data()) == c.tool, c.args.back());
        }
    }

    // The picture options may stand anywhere among the arguments; a bad one says why.
    void pictureOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("symbols");
        QTest::addColumn<QString>("why");
        const int fails = -1;
        const QString width = QStringLiteral("--width necesita un número de columnas de 8 a 400.");
        QTest::newRow("defaults") << QStringList{"ansi", "a.png", "b"} << 80 << int(SymbolSet::Blocks) << "";
        QTest::newRow("width first") << QStringList{"--width", "120", "ansi", "a.png", "b"} << 120
                                     << int(SymbolSet::Blocks) << "";
        QTest::newRow("symbols last")
            << QStringList{"ansi", "a.png", "b", "--symbols", "ascii"} << 80 << int(SymbolSet::Ascii) << "";
        QTest::newRow("between") << QStringList{"ansi", "--symbols", "bloques+bordes", "a.png", "--width",
                                                "8",    "b"}
                                 << 8 << int(SymbolSet::BlocksAndBorders) << "";
        QTest::newRow("widest") << QStringList{"--width", "400", "--symbols", "todos", "ansi", "a.png", "b"}
                                << 400 << int(SymbolSet::All) << "";
        QTest::newRow("too narrow") << QStringList{"--width", "7", "ansi", "a.png", "b"} << 0 << fails
                                    << width;
        QTest::newRow("too wide") << QStringList{"--width", "401", "ansi", "a.png", "b"} << 0 << fails
                                  << width;
        QTest::newRow("no number") << QStringList{"--width", "ocho", "ansi", "a.png", "b"} << 0 << fails
                                   << width;
        QTest::newRow("no value") << QStringList{"ansi", "a.png", "b", "--width"} << 0 << fails << width;
        QTest::newRow("unknown symbols")
            << QStringList{"--symbols", "emoji", "ansi", "a.png", "b"} << 0 << fails
            << QStringLiteral(
                   "Símbolos desconocidos «emoji»: los nombres son bloques, ascii, bloques+bordes, todos.");
        QTest::newRow("an option is no argument")
            << QStringList{"--width", "80", "ansi", "a.png"} << 0 << fails
            << QStringLiteral("--export necesita tres argumentos: FORMATO ENTRADA SALIDA (torvo --help).");
    }
    void pictureOptions() {
        QFETCH(QStringList, args);
        QFETCH(int, columns);
        QFETCH(int, symbols);
        QFETCH(QString, why);
        const Result<ExportRequest> request = parseExportArguments(args);
        QCOMPARE(request.why(), why);
        if (!request) return;
        QCOMPARE(request->format, ExportFormat::Ansi);
        QCOMPARE(request->in, QStringLiteral("a.png"));
        QCOMPARE(request->out, QStringLiteral("b"));
        QCOMPARE(request->picture, (PictureChoices{columns, SymbolSet(symbols), Dithering::None}));
    }

    // `torvo` hands pictures, told by name or content, to the editor's program.
    void picturesGoToTheEditorsProgram() {
        QTemporaryDir dir;
        const QString png = dir.filePath("photo.dat"), text = dir.filePath("art.txt");
        QVERIFY(writeFileAtomically(png, [](QIODevice& out) { return out.write("\x89PNG\r\n\x1a\n") == 8; }));
        QVERIFY(writeFileAtomically(text, [](QIODevice& out) { return out.write("art") == 3; }));
        const auto needs = [](QStringList args) {
            args.prepend("torvo");
            std::vector<QByteArray> bytes;
            std::vector<char*> argv;
            for (const QString& a : args)
                bytes.push_back(a.toLocal8Bit());
            for (QByteArray& b : bytes)
                argv.push_back(b.data());
            return needsGuiApplication(int(argv.size()), argv.data());
        };
        QVERIFY(needs({"--export", "ansi", png, "-"}));
        QVERIFY(needs({"--export", "--width", "40", "txt", dir.filePath("x.JPG"), "-"}));
        QVERIFY(needs({"--export", "bmp", text, "out.bmp"}));
        QVERIFY(!needs({"--export", "ansi", text, "-"}));
        QVERIFY(!needs({"--export", "--width", "4", "ansi", png, "-"})); // refused by `torvo` itself
    }

    // The page's writer gets the pieces in order; once it refuses one, it gets nothing more,
    // the reader hears so within the pieces that may wait, and close() says not all were taken.
    void piecesReachTheWriterInOrderUntilItRefuses() {
        for (const int refuseAt : {-1, 0, 5})
            for (const std::size_t waiting : {1, 3}) {
                QList<int> taken;
                PiecePipe pipe(
                    [&](const RichText& piece) {
                        taken.append(piece.size());
                        return taken.size() - 1 != refuseAt;
                    },
                    waiting);
                int given = 0;
                for (; given < 20; ++given) {
                    RichText piece;
                    for (int k = 0; k <= given; ++k)
                        piece.append(U'x', colours::White);
                    if (!pipe.give(piece)) break;
                }
                QCOMPARE(pipe.close(), refuseAt < 0);
                QList<int> expected;
                for (int k = 1; k <= (refuseAt < 0 ? 20 : refuseAt + 1); ++k)
                    expected.append(k);
                QCOMPARE(taken, expected);
                if (refuseAt >= 0) QVERIFY(given <= refuseAt + int(waiting) + 1);
            }
    }

    // Both ways of replacing a file: a link stays a link, the file keeps its permissions, and
    // a failed write leaves the old file and nothing else.
    void filesAreReplacedWhole() {
        for (const Durability durability : {Durability::OnDisk, Durability::InSystem}) {
            QTemporaryDir dir;
            const QString file = dir.filePath("art.html"), link = dir.filePath("link.html");
            const auto writing = [](const QByteArray& bytes) {
                return
                    [bytes](QIODevice& out) { return out.write(bytes) == bytes.size() && bytes != "fails"; };
            };
            QVERIFY(writeFileAtomically(file, writing("old"), durability));
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            QVERIFY(QFile::link(file, link));
            QVERIFY(writeFileAtomically(link, writing("new"), durability));
            QVERIFY(!writeFileAtomically(file, writing("fails"), durability));
            QFile read(file);
            QVERIFY(read.open(QIODevice::ReadOnly));
            QCOMPARE(read.readAll(), QByteArray("new"));
            QVERIFY(QFileInfo(link).isSymLink());
            QCOMPARE(read.permissions() & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 2);
            QCOMPARE(
                writeFileAtomically(dir.filePath("no/art.html"), writing("x"), durability).why().left(27),
                QStringLiteral("No se pudo crear «art.html»"));
        }
    }

    // Files are read whole, whatever size the system gives for them (none for a /proc file).
    void filesAreReadWhole() {
        QTemporaryDir dir;
        const QByteArray bytes = QByteArray(10000, 'a') + "end";
        QVERIFY(writeFileAtomically(
            dir.filePath("art.ans"), [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); },
            Durability::InSystem));
        QCOMPARE(*readWholeFile(dir.filePath("art.ans")), bytes);
        const Result<QByteArray> status = readWholeFile(QStringLiteral("/proc/self/status"));
        QVERIFY(status && status->startsWith("Name:"));
    }
};
TORVO_TEST(ExportCommandTest)
#include "ExportCommandTest.moc"
