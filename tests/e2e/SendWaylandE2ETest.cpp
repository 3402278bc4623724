#include "SendArt.h"
#include "SwaySession.h"
#include "TestRegistry.h"
#include "send/Keystrokes.h"
#include "send/wayland/WaylandTypist.h"
#include "send/x11/X11Typist.h"

#include <QTest>

using namespace torvo;

class SendWaylandE2ETest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SwaySession> session;
    // The session's variables, set for the typists while it runs.
    static constexpr const char* Variables[] = {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "DISPLAY"};
    const QProcessEnvironment before = QProcessEnvironment::systemEnvironment();

    // Sends `keys` through `typist` into a fresh capture; returns what arrived.
    QByteArray type(Typist& typist, const QString& keys, qint64 bytes, bool onXWayland = false) {
        QString why;
        if (!session->startCapture(bytes, &why, onXWayland)) qWarning("%s", qPrintable(why));
        if (const Result<void> sent = sendKeys(typist, keys); !sent) qWarning("%s", qPrintable(sent.why()));
        return session->finishCapture(30000);
    }

private slots:
    void initTestCase() {
        const QString missing = test::SwaySession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable("not installed: " + missing));
        session = std::make_unique<test::SwaySession>();
        QString why;
        QVERIFY2(session->start(&why), qPrintable(why));
        for (const char* name : Variables)
            qputenv(name, session->clientEnvironment().value(name).toLocal8Bit());
    }
    void cleanupTestCase() {
        for (const char* name : Variables)
            before.contains(name) ? qputenv(name, before.value(name).toLocal8Bit()) : qunsetenv(name);
        session.reset();
    }

    // With more characters than one keyboard map holds, and the first ones again after.
    void virtualKeyboardTypesIntoFoot() {
        const auto typist = WaylandTypist::open();
        QVERIFY2(typist, qPrintable(typist.why()));
        auto cases = test::keyCases(11u);
        const QString text = test::distinctCharacters(WaylandTypist::charactersPerMap() + 41);
        cases.emplace_back(text, text.toUtf8());
        for (const auto& [keys, expected] : cases)
            QCOMPARE(type(**typist, keys, expected.size()).toHex(' '), expected.toHex(' '));
    }
    void x11BackEndRefusesWhileFootHasTheFocus() {
        QString error;
        QVERIFY(session->startCapture(1, &error));
        QCOMPARE(X11Typist::route().outcome, Route::OtherWindow);
        const auto x11 = X11Typist::open();
        QVERIFY2(x11, qPrintable(x11.why()));
        QVERIFY(sendKeys(**x11, "x").why().contains(QLatin1String("X11")));
        // Nothing came: the capture still waits when a key of the next back end arrives.
        const auto wayland = WaylandTypist::open();
        const Result<void> sent = wayland ? sendKeys(**wayland, "w") : wayland.failure();
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(session->finishCapture(30000), QByteArray("w"));
    }
    // Characters the X keyboard map lacks go through keys rebound for the call.
    void x11BackEndTypesIntoXtermOnXWayland() {
        QString error;
        QVERIFY(session->startCapture(1, &error, true)); // for the focus the route looks at
        Route r = X11Typist::route();
        QCOMPARE(r.outcome, Route::Ready);
        for (const auto& [keys, expected] : test::keyCases(31u))
            QCOMPARE(type(*r.typist, keys, expected.size(), true).toHex(' '), expected.toHex(' '));
    }
    // The editor's window, on Wayland and on XWayland, sends its art with foot focused.
    void editorOnEitherPlatformSendsIntoFoot() {
        const QByteArray expected =
            test::bytesOf(*parseKeys(*buildKeystrokes(test::mixedArt(2000, 23u), Palette())));
        for (const char* platform : {"wayland", "xcb"}) {
            QString why;
            QVERIFY2(session->startCapture(expected.size(), &why), qPrintable(why));
            QProcess editor;
            QProcessEnvironment e = session->clientEnvironment();
            e.insert("QT_QPA_PLATFORM", platform);
            editor.setProcessEnvironment(e);
            editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            editor.start(TORVO_BINARY_DIR "/tests/e2e/send_window", {"mixed", "2000", "23"});
            const bool ready = editor.waitForReadyRead(30000) && editor.readLine().trimmed() == "ready";
            if (!ready) test::CaptureSession::stop(editor);
            QVERIFY2(ready, platform);
            // The new window took the focus; the user gives it back to the terminal.
            session->focusCapture();
            editor.write("send\n");
            editor.waitForFinished(60000);
            QCOMPARE(editor.readAllStandardOutput().trimmed(), QByteArray("Enviado."));
            QCOMPARE(QString::fromUtf8(session->finishCapture(30000)), QString::fromUtf8(expected));
        }
    }
};
TORVO_TEST(SendWaylandE2ETest)
#include "SendWaylandE2ETest.moc"
