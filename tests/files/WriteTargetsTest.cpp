#include "TestFiles.h"
#include "TestRegistry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using torvo::test::readFile;
using torvo::test::writeFile;

namespace {

// torvo as a user runs it: run as nobody when the tests run as root, so that no case
// can harm a device or a file of the machine.
struct Run {
    int status = -1;
    QByteArray out, err;
};

QStringList asUser(const QStringList& command) {
    if (geteuid() != 0) return command;
    return QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
}

QProcess* start(const QStringList& args, const QString& folder) {
    auto* p = new QProcess;
    p->setWorkingDirectory(folder);
    const QStringList command = asUser(QStringList{QStringLiteral(TORVO_BINARY_DIR "/src/torvo")} + args);
    p->start(command.front(), command.mid(1));
    return p;
}

Run finish(QProcess* p) {
    std::unique_ptr<QProcess> owned(p);
    Run r;
    if (!p->waitForFinished(60000)) p->kill();
    r.status = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    r.out = p->readAllStandardOutput();
    r.err = p->readAllStandardError();
    return r;
}

Run runTorvo(const QStringList& args, const QString& folder) {
    return finish(start(args, folder));
}

mode_t kindOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

} // namespace

// What --export writes into, as an unprivileged user: a regular file it may write is
// replaced whole, devices, FIFOs and sockets are written into and stay what they were,
// anything else is refused with one line and left as it was.
class WriteTargetsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QByteArray page; // the page of in.ans, as written to a new file

    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        // Everybody may write in the folder, as the unprivileged runs must.
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        QVERIFY(writeFile(path("in.ans"), "\x1B[1;31mhola\x1B[0m mundo\r\n"));
        const Run made = runTorvo({"--export", "html", "in.ans", "new.html"}, dir.path());
        QCOMPARE(made.status, 0);
        page = readFile(path("new.html"));
        QVERIFY(page.contains("hola"));
    }

    void devicesAndStandardOutputAreWrittenInto() {
        const Run null = runTorvo({"--export", "html", "in.ans", "/dev/null"}, dir.path());
        QCOMPARE(null.status, 0);
        QCOMPARE(kindOf("/dev/null"), mode_t(S_IFCHR));
        const Run full = runTorvo({"--export", "html", "in.ans", "/dev/full"}, dir.path());
        QCOMPARE(full.status, 1);
        QCOMPARE(full.err,
                 QByteArray("torvo: No se pudo escribir «/dev/full»: no queda espacio en el disco\n"));
        QCOMPARE(kindOf("/dev/full"), mode_t(S_IFCHR));
        // Standard output a pipe, named as a device and as the descriptor.
        for (const char* out : {"/dev/stdout", "/proc/self/fd/1", "-"}) {
            const Run r = runTorvo({"--export", "html", "in.ans", out}, dir.path());
            QCOMPARE(r.status, 0);
            QCOMPARE(r.out, page);
        }
    }

    void aFifoIsWrittenIntoForItsReader() {
        const QString fifo = path("fifo");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(fifo).constData(), 0666) == 0);
        // The reader is there first, without waiting for a writer.
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QProcess* writer = start({"--export", "html", "in.ans", "fifo"}, dir.path());
        QByteArray read;
        char buffer[4096];
        QElapsedTimer clock;
        clock.start();
        for (bool done = false; !done && clock.elapsed() < 60000;) {
            done = writer->waitForFinished(20);
            for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;)
                read.append(buffer, n);
        }
        ::close(reader);
        QCOMPARE(finish(writer).status, 0);
        QCOMPARE(read, page);
        QCOMPARE(kindOf(fifo), mode_t(S_IFIFO));
    }

    void aSocketIsWrittenIntoForItsListener() {
        const QString name = path("sock");
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(name);
        QVERIFY(std::size_t(native.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, native.constData(), std::size_t(native.size()));
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(::chmod(native.constData(), 0666) == 0);
        QVERIFY(::listen(listener, 1) == 0);
        QProcess* writer = start({"--export", "html", "in.ans", "sock"}, dir.path());
        // Whoever connects before the writer ends is read to the end.
        pollfd waiting{listener, POLLIN, 0};
        while (::poll(&waiting, 1, 20) == 0 && !writer->waitForFinished(0)) {
        }
        const int connection = waiting.revents & POLLIN ? ::accept(listener, nullptr, nullptr) : -1;
        QByteArray read;
        char buffer[4096];
        for (ssize_t n; connection >= 0 && (n = ::read(connection, buffer, sizeof buffer)) > 0;)
            read.append(buffer, n);
        if (connection >= 0) ::close(connection);
        ::close(listener);
        QCOMPARE(finish(writer).status, 0);
        QCOMPARE(read, page);
        QCOMPARE(kindOf(name), mode_t(S_IFSOCK));
    }

    // Refused with one line naming the path as given; what was there stays.
    void readOnlyFilesAndFoldersAreRefused_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("why");
        QTest::newRow("nobody may write it") << "readonly.html"
                                             << "solo lectura.";
        QTest::newRow("the user may not write it") << "others.html"
                                                   << "solo lectura.";
        QTest::newRow("a folder") << "folder"
                                  << "es una carpeta.";
    }
    void readOnlyFilesAndFoldersAreRefused() {
        QFETCH(QString, target);
        QFETCH(QString, why);
        const QString full = dir.filePath(target);
        if (target == "folder") {
            QVERIFY(QDir(dir.path()).mkpath(target));
        } else {
            QVERIFY(writeFile(full, "old"));
            // Root's own file is the user's; a file of root's that only root may write is not
            // the unprivileged user's.
            const bool others = target == "others.html";
            if (others && geteuid() != 0) QSKIP("needs a file of another user");
            QVERIFY(::chmod(QFile::encodeName(full).constData(), others ? 0644 : 0444) == 0);
        }
        const Run r = runTorvo({"--export", "html", "in.ans", full}, dir.path());
        QCOMPARE(r.status, 1);
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("torvo: No se puede escribir «%1»: %2\n").arg(full, why));
        if (target != "folder") QCOMPARE(readFile(full), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList({"*~"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // Every message of the command line is Spanish and names the path as it was given.
    void messagesNameThePathAsGiven_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::newRow("a folder as input")
            << QStringList{"html", "sub/", "-"} << 1 << "torvo: No se pudo abrir «sub/»: es una carpeta\n";
        QTest::newRow("no such input") << QStringList{"html", "sub/none.qcg", "-"} << 1
                                       << "torvo: No se pudo abrir «sub/none.qcg»: no existe\n";
        QTest::newRow("no such folder for the output")
            << QStringList{"txt", "in.ans", "none/out.txt"} << 1
            << "torvo: No se pudo crear «none/out.txt»: no existe\n";
        QTest::newRow("junk opens as text, with a note")
            << QStringList{"txt", "sub/x.qcg", "-"} << 0
            << "torvo: «sub/x.qcg» no es un archivo de Torvo: abierto como texto.\n";
    }
    void messagesNameThePathAsGiven() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, err);
        QVERIFY(QDir(dir.path()).mkpath("sub"));
        QVERIFY(writeFile(path("sub/x.qcg"), QByteArray("a\0b\x01\x02c", 6)));
        const Run r = runTorvo(QStringList{"--export"} + args, dir.path());
        QCOMPARE(r.status, status);
        QCOMPARE(QString::fromUtf8(r.err), err);
    }
};
TORVO_TEST(WriteTargetsTest)
#include "WriteTargetsTest.moc"
