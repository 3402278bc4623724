#include "SendArt.h"
#include "SwaySession.h"
#include "TestRegistry.h"
#include "send/Keystrokes.h"
#include "send/wayland/WaylandTypist.h"
#include "send/x11/X11Typist.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;

// Sets variables for the test's life and puts the old values back.
struct EnvironmentScope {
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved;
    void set(const char* name, const QString& value) {
        saved.emplace_back(name,
                           qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentScope() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? qputenv(it->first.constData(), *it->second) : qunsetenv(it->first.constData());
    }
};
} // namespace

class SendWaylandE2ETest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SwaySession> session;
    std::unique_ptr<EnvironmentScope> env;

    // Types the art through `typist` into a fresh capture; returns what arrived.
    QByteArray typeArt(Typist& typist, const RichText& art, QByteArray* expected, bool onXWayland = false) {
        const QString keys = *buildKeystrokes(art, P);
        *expected = test::bytesOf(*parseKeys(keys));
        QString why;
        if (!session->startCapture(expected->size(), &why, onXWayland)) {
            qWarning("%s", qPrintable(why));
            return {};
        }
        if (const Result<void> sent = sendKeys(typist, keys); !sent) qWarning("%s", qPrintable(sent.why()));
        return session->finishCapture(30000);
    }

    // Runs the editor's window on `platform`, has it send `art` with foot focused, and
    // returns the bytes that arrived and the window's status line.
    QByteArray sendFromEditor(const QString& platform, const QStringList& art, QByteArray expected,
                              QString* status) {
        QString why;
        if (!session->startCapture(expected.size(), &why)) {
            qWarning("%s", qPrintable(why));
            return {};
        }
        QProcess editor;
        QProcessEnvironment e = session->clientEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        editor.setProcessEnvironment(e);
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.start(QStringLiteral(TORVO_BINARY_DIR "/tests/e2e/send_window"), art);
        if (!editor.waitForReadyRead(30000) || editor.readLine().trimmed() != "ready") {
            editor.kill();
            editor.waitForFinished(5000);
            qWarning("the editor's window did not come up on %s", qPrintable(platform));
            return {};
        }
        // The new window took the focus; the user gives it back to the terminal.
        session->focusCapture();
        editor.write("send\n");
        editor.waitForFinished(60000);
        *status = QString::fromUtf8(editor.readAllStandardOutput()).trimmed();
        return session->finishCapture(30000);
    }

private slots:
    void initTestCase() {
        const QString missing = test::SwaySession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable(QStringLiteral("not installed: ") + missing));
        session = std::make_unique<test::SwaySession>();
        QString why;
        QVERIFY2(session->start(&why), qPrintable(why));
        env = std::make_unique<EnvironmentScope>();
        env->set("XDG_RUNTIME_DIR", session->runtimeDir());
        env->set("WAYLAND_DISPLAY", session->waylandDisplay());
        env->set("DISPLAY", session->display());
    }
    void cleanupTestCase() {
        env.reset();
        session.reset();
    }

    void virtualKeyboardTypesIntoFoot() {
        const auto typist = WaylandTypist::open();
        QVERIFY2(typist, qPrintable(typist.why()));
        QByteArray expected;
        QCOMPARE(typeArt(**typist, test::workedExample(true), &expected).toHex(' '),
                 test::workedExampleBytes().toHex(' '));
        const QByteArray got = typeArt(**typist, test::mixedArt(2000, 11u), &expected);
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
        const QString keys = QStringLiteral("{TAB}{ESC}^c+(ab){LEFT}{F1}~x{a 3}");
        const QByteArray keyBytes = QByteArrayLiteral("\t\x1b\x03"
                                                      "AB\x1b[D\x1bOP\rxaaa");
        QString error;
        QVERIFY(session->startCapture(keyBytes.size(), &error));
        const Result<void> sent = sendKeys(**typist, keys);
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(session->finishCapture(30000).toHex(' '), keyBytes.toHex(' '));
    }
    void moreCharactersThanOneKeyboardMapHolds() {
        QString text;
        for (int i = 0; i < WaylandTypist::charactersPerMap() + 41; ++i) {
            text += QChar(char16_t(0x4E00 + i));
            if (i % 7 == 0) text += QLatin1Char('a' + i % 26);
        }
        text += text.left(30);
        const auto typist = WaylandTypist::open();
        QVERIFY2(typist, qPrintable(typist.why()));
        QString error;
        QVERIFY(session->startCapture(text.toUtf8().size(), &error));
        const Result<void> sent = sendKeys(**typist, text);
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(QString::fromUtf8(session->finishCapture(30000)), text);
    }
    void x11BackEndRefusesWhileFootHasTheFocus() {
        QString error;
        QVERIFY(session->startCapture(1, &error));
        QCOMPARE(X11Typist::route().outcome, Route::OtherWindow);
        const auto x11 = X11Typist::open();
        QVERIFY2(x11, qPrintable(x11.why()));
        QVERIFY(sendKeys(**x11, QStringLiteral("x")).why().contains(QLatin1String("X11")));
        // Nothing came: the capture still waits when a key of the next back end arrives.
        const auto wayland = WaylandTypist::open();
        const Result<void> sent = wayland ? sendKeys(**wayland, QStringLiteral("w")) : wayland.failure();
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(session->finishCapture(30000), QByteArray("w"));
    }
    void x11BackEndTypesIntoXtermOnXWayland() {
        QString error;
        const RichText art = test::workedExample(true);
        QVERIFY(session->startCapture(test::workedExampleBytes().size(), &error, true));
        Route r = X11Typist::route();
        QCOMPARE(r.outcome, Route::Ready);
        const Result<void> sent = sendKeys(*r.typist, *buildKeystrokes(art, P));
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(session->finishCapture(30000).toHex(' '), test::workedExampleBytes().toHex(' '));
        // Characters the X keyboard map lacks go through keys rebound for the call.
        QByteArray expected;
        const QByteArray got = typeArt(*r.typist, test::mixedArt(2000, 31u), &expected, true);
        QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
    }
    void editorOnEitherPlatformSendsIntoFoot_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QStringList>("art");
        for (const char* platform : {"wayland", "xcb"}) {
            QTest::addRow("%s worked example", platform) << QString::fromLatin1(platform) << QStringList{};
            QTest::addRow("%s 2000 mixed", platform)
                << QString::fromLatin1(platform)
                << QStringList{QStringLiteral("mixed"), QStringLiteral("2000"), QStringLiteral("23")};
        }
    }
    void editorOnEitherPlatformSendsIntoFoot() {
        QFETCH(QString, platform);
        QFETCH(QStringList, art);
        const RichText sent =
            art.isEmpty() ? test::workedExample(true) : test::mixedArt(art[1].toInt(), art[2].toUInt());
        const QByteArray expected = test::bytesOf(*parseKeys(*buildKeystrokes(sent, P)));
        QString status;
        const QByteArray got = sendFromEditor(platform, art, expected, &status);
        QCOMPARE(status, QStringLiteral("Enviado."));
        QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
    }
};
TORVO_TEST(SendWaylandE2ETest)
#include "SendWaylandE2ETest.moc"
