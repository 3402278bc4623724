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
