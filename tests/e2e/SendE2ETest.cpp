#include "SendXSession.h"
#include "SendXkbLock.h"
#include "TestRegistry.h"
#include "send/Keystrokes.h"
#include "send/x11/X11Typist.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;
} // namespace

class SendE2ETest : public QObject {
    Q_OBJECT
    std::unique_ptr<test::SendXSession> session;
    std::unique_ptr<X11Typist> typist;

    // Sends `keys` through the X11 back end into a fresh capture and returns what arrived.
    QByteArray typeKeys(const QString& keys, qint64 expectedBytes, int times = 1) {
        QString why;
        if (!session->startCapture(expectedBytes * times, &why)) {
            qWarning("%s", qPrintable(why));
            return {};
        }
        for (int i = 0; i < times; ++i) {
            if (const Result<void> sent = sendKeys(*typist, keys); !sent) {
                qWarning("%s", qPrintable(sent.why()));
                return {};
            }
        }
        return session->finishCapture();
    }
    QByteArray typeArt(const RichText& art, QByteArray* expected, int times = 1) {
        const QString keys = *buildKeystrokes(art, P);
        const auto actions = parseKeys(keys);
        if (!actions) return {};
        *expected = test::bytesOf(*actions).repeated(times);
        return typeKeys(keys, test::bytesOf(*actions).size(), times);
    }

private slots:
    void initTestCase() {
        const QString missing = test::SendXSession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable(QStringLiteral("not installed: ") + missing));
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
        const QByteArray saved = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":1999"); // outside the numbers the session uses
        const QString error = X11Typist::open().why();
        QVERIFY(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
        qputenv("DISPLAY", saved);
    }
    void workedExampleArrivesAsTheseBytes() {
        const QByteArray expected = test::workedExampleBytes();
        QCOMPARE(typeKeys(*buildKeystrokes(test::workedExample(true), P), expected.size()).toHex(' '),
                 expected.toHex(' '));
    }
    void moreCharactersThanSpareKeys() {
        // Twice the spare keys is one batch's room; go past it, and come back to the
        // first characters after the keys were rebound.
        const int spare = typist->spareKeycodeCount();
        QVERIFY(spare > 0);
        qInfo("spare keycodes: %d, distinct characters: %d", spare, 2 * spare + 41);
        const int distinct = 2 * spare + 41;
        QString text;
        for (int i = 0; i < distinct; ++i) {
            text += QChar(char16_t(0x4E00 + i));
            if (i % 7 == 0) text += QLatin1Char('a' + i % 26);
        }
        for (int i = 0; i < 30; ++i)
            text += QChar(char16_t(0x4E00 + i));
        const QByteArray expected = text.toUtf8();
        QCOMPARE(QString::fromUtf8(typeKeys(text, expected.size())), text);
        // And the map is as it was.
        QCOMPARE(typist->spareKeycodeCount(), spare);
    }
    void namedKeysAndModifiers() {
        const QString keys = QStringLiteral("{TAB}{ESC}^c+(ab){LEFT}{F1}~x{a 3}");
        const QByteArray expected = QByteArrayLiteral("\t\x1b\x03"
                                                      "AB\x1b[D\x1bOP\rxaaa");
        QCOMPARE(typeKeys(keys, expected.size()).toHex(' '), expected.toHex(' '));
    }
    void controlCharactersArriveAsThemselves() {
        // A colour letter code pasted into the art (0x16 and a letter), and other controls.
        QString keys;
        for (char16_t c : {u'\x16', u'R', u'\x01', u'\x1a', u'\0', u'\x1b', u'\t', u'\x1d'})
            keys += QChar(c);
        const QByteArray expected = QByteArray::fromHex("1652011a001b091d");
        QCOMPARE(typeKeys(keys, expected.size()).toHex(' '), expected.toHex(' '));
    }
    void capsLockDoesNotChangeCase() {
        const QByteArray display = session->display().toLocal8Bit();
        QVERIFY(test::setCapsLock(display, true));
        QCOMPARE(test::capsLocked(display), 1);
        const QString text = QStringLiteral("aBcÑñéÉ");
        const QByteArray got = typeKeys(text, text.toUtf8().size());
        const int after = test::capsLocked(display);
        test::setCapsLock(display, false);
        QCOMPARE(QString::fromUtf8(got), text);
        QCOMPARE(after, 1); // the user's lock is given back
    }
    // Every escaped character, accented letters, box drawing, blocks and emoji in many
    // colours; sent three times in a row, the keys rebound each time come out right.
    void mixedArtThreeTimesInARow() {
        QByteArray expected;
        const QByteArray got = typeArt(test::mixedArt(2000, 7u), &expected, 3);
        QCOMPARE(got.size(), expected.size());
        QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
    }
};
TORVO_TEST(SendE2ETest)
#include "SendE2ETest.moc"
