#include "SendXSession.h"
#include "TestRegistry.h"
#include "files/ExportText.h"
#include "files/HtmlExport.h"
#include "files/RecoveryStore.h"

#include <QTest>

using namespace torvo;

namespace {

// The editor as a user runs it, in the test's X server, with data and settings folders
// of the test's own.
class Editor {
public:
    Editor(const QString& display, const QString& home) : display_(display) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_DATA_HOME", home + "/data");
        env.insert("XDG_CONFIG_HOME", home + "/config");
        env.insert("LANG", "C.UTF-8");
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TORVO_BINARY_DIR "/src/torvo"), {});
        if (process_.waitForStarted(10000))
            window_ = test::SendXSession::findWindow(
                display, {"--all", "--pid", QString::number(process_.processId()), "--class", "torvo"});
    }
    ~Editor() { kill(); }
    bool started() const { return !window_.isEmpty(); }
    void moveTo(int x, int y) {
        xdotool({"windowmove", "--sync", window_, QString::number(x), QString::number(y)});
    }
    // Window coordinates. There is no window manager: the window is given the focus too.
    // The server hands the window its events in order, so what comes next needs no wait.
    void click(int x, int y) {
        test::SendXSession::focus(display_, window_);
        xdotool({"mousemove", "--window", window_, QString::number(x), QString::number(y), "click", "1"});
    }
    void type(const QString& text) { xdotool({"type", "--delay", "40", text}); }
    void keys(const QString& keys) { xdotool({"key", "--delay", "150", keys}); }
    // Answers the file dialog that opens now, once it has the keyboard.
    bool choose(const QString& path) {
        QElapsedTimer t;
        t.start();
        for (;;) {
            QByteArray focus;
            if (xdotool({"getwindowfocus"}, &focus) && !focus.trimmed().isEmpty() &&
                focus.trimmed() != window_.toLatin1())
                break;
            if (t.elapsed() > 30000) return false;
            QThread::msleep(50);
        }
        type(path);
        keys("Return");
        return true;
    }
    QString title() {
        QByteArray out;
        xdotool({"getwindowname", window_}, &out);
        return QString::fromUtf8(out.trimmed());
    }
    void kill() { test::CaptureSession::stop(process_); }
    bool waitForExit() { return process_.waitForFinished(10000); }

private:
    bool xdotool(const QStringList& args, QByteArray* out = nullptr) {
        return test::SendXSession::run("xdotool", args, out, display_);
    }
    QString display_;
    QProcess process_;
    QString window_;
};

// Where the window draws its controls at its start size.
constexpr int TextX = 200, TextY = 200, RedX = 168, RedY = 30, EnviarX = 40, EnviarY = 40;

QStringList recoveryFiles(const QString& home) {
    // The editor's data folder (organisation and application both "torvo").
    const QDir dir(home + "/data/torvo/torvo/recovery");
    QStringList files;
    for (const QString& name : dir.entryList({"*" + QLatin1String(RecoveryStore::Suffix)}, QDir::Files))
        files << dir.filePath(name);
    return files;
}

std::optional<RecoveredArt> readRecovery(const QString& home) {
    const QStringList files = recoveryFiles(home);
    QFile f(files.value(0));
    if (files.size() != 1 || !f.open(QIODevice::ReadOnly)) return std::nullopt;
    Result<RecoveredArt> art = decodeRecovery(f.readAll());
    return art ? std::optional(std::move(*art)) : std::nullopt;
}

} // namespace

class EditorE2ETest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SendXSession> session;
    QTemporaryDir home;

    // The window's art, as its HTML export, compared with what the recovery file held.
    void exportEquals(Editor& editor, const RichText& art) {
        const QString out = home.filePath(QStringLiteral("export%1.html").arg(++exports));
        editor.click(TextX, TextY);
        editor.keys("alt+a");
        editor.keys("h");
        QVERIFY(editor.choose(out));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 30000);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // The export reads the art with its last line ended.
        RichText ended = art;
        if (!ended.isEmpty() && !ended.endsWithLineBreak()) ended.appendLineBreak();
        QCOMPARE(f.readAll(), encodeExport(*SalvarComoHTML(ended)));
    }
    int exports = 0;

private slots:
    void initTestCase() {
        const QString missing = test::SendXSession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable("not installed: " + missing));
        session = std::make_unique<test::SendXSession>();
        QString why;
        QVERIFY2(session->start(&why), qPrintable(why));
    }
    void workComesBackAfterAKillAndAfterSalir() {
        RichText art;
        {
            Editor editor(session->display(), home.path());
            QVERIFY(editor.started());
            editor.click(TextX, TextY);
            editor.type("Arte #1");
            editor.keys("ctrl+s");
            QVERIFY(editor.choose(home.filePath("dibujo.qcg")));
            QTRY_COMPARE_WITH_TIMEOUT(editor.title(), u"dibujo.qcg — Torvo"_qs, 30000);
            editor.click(RedX, RedY);
            editor.click(TextX, TextY);
            editor.type(" rojo");
            QTRY_COMPARE_WITH_TIMEOUT(editor.title(), u"dibujo.qcg* — Torvo"_qs, 30000);
            // Written a second after the last change: the art as it is, its last line open.
            std::optional<RecoveredArt> kept;
            QTRY_VERIFY_WITH_TIMEOUT((kept = readRecovery(home.path())) &&
                                         kept->art.plainText() == QString::fromUtf8("Arte #1 rojo"),
                                     30000);
            QCOMPARE(kept->file, home.filePath("dibujo.qcg"));
            art = kept->art;
            editor.kill(); // SIGKILL: nothing runs on the way out
        }
        {
            Editor editor(session->display(), home.path());
            QVERIFY(editor.started());
            QTRY_COMPARE_WITH_TIMEOUT(editor.title(), u"dibujo.qcg* — Torvo"_qs, 30000);
            exportEquals(editor, art);
            if (QTest::currentTestFailed()) return;
            editor.click(TextX, TextY);
            editor.keys("ctrl+End");
            editor.type("más");
            editor.keys("ctrl+q"); // Salir: ends at once, asks nothing
            QVERIFY(editor.waitForExit());
        }
        const auto kept = readRecovery(home.path());
        QVERIFY(kept);
        QVERIFY(kept->art.plainText().endsWith(QString::fromUtf8("más")));
        Editor editor(session->display(), home.path());
        QVERIFY(editor.started());
        QTRY_COMPARE_WITH_TIMEOUT(editor.title(), u"dibujo.qcg* — Torvo"_qs, 30000);
        exportEquals(editor, kept->art);
    }
    // Two editors on one data folder keep a recovery file each; a countdown called off with
    // Esc types nothing into the window that has the focus: the send after it types the art
    // once (were the first still running, the second click would have called both off).
    void twoEditorsKeepTwoFilesAndACancelledSendTypesNothing() {
        QTemporaryDir other;
        Editor first(session->display(), other.path());
        Editor second(session->display(), other.path());
        QVERIFY(first.started() && second.started());
        second.moveTo(0, 480);
        for (Editor* e : {&first, &second}) {
            e->click(TextX, TextY);
            e->type("uno");
        }
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles(other.path()).size(), 2, 30000);
        RichText uno;
        uno.appendText(u"uno", Palette()[0]);
        uno.appendLineBreak();
        const QByteArray expected = test::bytesOf(*parseKeys(*buildKeystrokes(uno, Palette())));
        QString why;
        QVERIFY2(session->startCapture(expected.size(), &why), qPrintable(why));
        second.click(EnviarX, EnviarY);
        second.keys("Escape");
        second.click(EnviarX, EnviarY);
        QVERIFY(session->focusCapture());
        QCOMPARE(session->finishCapture(), expected);
    }
};
TORVO_TEST(EditorE2ETest)
#include "EditorE2ETest.moc"
