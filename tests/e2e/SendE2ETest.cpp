#include "SendXSession.h"
#include "SendXkbLock.h"
#include "TestRegistry.h"
#include "send/x11/X11Typist.h"

#include <QTest>

using namespace torvo;

class SendE2ETest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SendXSession> session;
    std::unique_ptr<X11Typist> typist;

    // Sends `keys` `times` over into a fresh capture: what arrived, or nothing when a step failed.
    QByteArray typeKeys(const QString& keys, qint64 expectedBytes, int times = 1) {
        QString why;
        bool ok = session->startCapture(expectedBytes * times, &why);
        for (int i = 0; ok && i < times; ++i)
            if (const Result<void> sent = sendKeys(*typist, keys); !(ok = bool(sent))) why = sent.why();
        if (!ok) qWarning("%s", qPrintable(why));
        return ok ? session->finishCapture() : QByteArray();
    }

private slots:
    void initTestCase() {
        const QString missing = test::SendXSession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable("not installed: " + missing));
        session = std::make_unique<test::SendXSession>();
        QString why;
        QVERIFY2(session->start(&why), qPrintable(why));
        qputenv("DISPLAY", session->display().toLocal8Bit());
        Result<std::unique_ptr<X11Typist>> opened = X11Typist::open();
        QVERIFY2(opened, qPrintable(opened.why()));
        typist = std::move(*opened);
    }
    void cleanupTestCase() {
        typist.reset();
        session.reset();
    }

    void noDisplayIsReportedNotTyped() {
        qputenv("DISPLAY", ":1999"); // outside the numbers the session uses
        const QString error = X11Typist::open().why();
        qputenv("DISPLAY", session->display().toLocal8Bit());
        QVERIFY(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
    }
    // Besides the shared cases, control characters as a colour letter code pasted into the
    // art (0x16 and a letter). Each is sent three times in a row: the keys rebound each time
    // come out right.
    void keysArriveAsTheseBytes() {
        auto cases = test::keyCases(7u);
        cases.emplace_back(QString::fromUtf16(u"\x16R\x01\x1a\0\x1b\t\x1d", 8),
                           QByteArray::fromHex("1652011a001b091d"));
        for (const auto& [keys, expected] : cases)
            QCOMPARE(typeKeys(keys, expected.size(), 3).toHex(' '), expected.repeated(3).toHex(' '));
    }
    void moreCharactersThanSpareKeys() {
        // Twice the spare keys is one batch's room; go past it, and come back to the
        // first characters after the keys were rebound.
        const int spare = typist->spareKeycodeCount();
        QVERIFY(spare > 0);
        const QString text = test::distinctCharacters(2 * spare + 41);
        QCOMPARE(QString::fromUtf8(typeKeys(text, text.toUtf8().size())), text);
        // And the map is as it was.
        QCOMPARE(typist->spareKeycodeCount(), spare);
    }
    void capsLockDoesNotChangeCase() {
        const QByteArray display = session->display().toLocal8Bit();
        QCOMPARE(test::capsLock(display, true), std::optional(true));
        const QString text = "aBcÑñéÉ";
        const QByteArray got = typeKeys(text, text.toUtf8().size());
        const std::optional<bool> after = test::capsLock(display);
        test::capsLock(display, false);
        QCOMPARE(QString::fromUtf8(got), text);
        QCOMPARE(after, std::optional(true)); // the user's lock is given back
    }
};
TORVO_TEST(SendE2ETest)
#include "SendE2ETest.moc"
