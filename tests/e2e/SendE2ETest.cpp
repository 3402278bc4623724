#include "SendXSession.h"
#include "TestRegistry.h"
#include "send/Keystrokes.h"
#include "send/x11/X11Typist.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;

// These tests start their own X server; the test program itself needs no screen. With
// no display to connect to, the xcb platform would end the program before any test
// runs, so fall back to the offscreen one (before main creates the application).
const bool platformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

// What the raw terminal reads for the actions: UTF-8 for characters, control bytes
// for Ctrl+letter and the keys used here.
QByteArray bytesOf(const std::vector<KeyAction>& actions) {
    QByteArray out;
    for (const KeyAction& a : actions) {
        if (a.kind == KeyAction::Press) {
            if (a.key == QLatin1String("ENTER"))
                out += '\r';
            else if (a.key == QLatin1String("TAB"))
                out += '\t';
            else if (a.key == QLatin1String("ESC"))
                out += '\x1b';
            else if (a.key == QLatin1String("LEFT"))
                out += "\x1b[D";
            else if (a.key == QLatin1String("F1"))
                out += "\x1bOP";
            else
                qFatal("no byte form for %s", qPrintable(a.key));
        } else if (a.modifiers == KeyAction::Ctrl) {
            out += char(a.ch & 0x1F);
        } else {
            QString s;
            appendCodePoint(s, a.ch);
            out += s.toUtf8();
        }
    }
    return out;
}

// Mixed art: ASCII (every escaped character included), accented letters, box drawing,
// blocks and other non-map characters, lines of varying length, colours from the
// palette, black and off the palette.
RichText mixedArt(int characters, quint32 seed) {
    const QString pool = QStringLiteral(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                                        "abcdefghijklmnopqrstuvwxyz{|}~"
                                        "áéíóúñüÁÉÍÓÚÑÜçÇàèìòùÀÈÌÒÙâêîôûäëïöÿ¿¡€£¥©®°±µ"
                                        "─│┌┐└┘├┤┬┴┼═║╔╗╚╝╠╣╦╩╬░▒▓█▀▄▌▐■");
    const Colour extra[] = {colours::Black, Colour{0x123456}, Colour{0xFFFFFE}};
    quint32 x = seed;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    RichText art;
    int column = 0;
    for (int i = 0; i < characters; ++i) {
        const quint32 c = next() % 19;
        const Colour colour = c < 16 ? P[int(c)] : extra[c - 16];
        art.append(pool.at(qsizetype(next() % quint32(pool.size()))).unicode(), colour);
        if (++column >= 40 + int(next() % 40)) {
            art.appendLineBreak();
            column = 0;
        }
    }
    art.appendLineBreak();
    return art;
}
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
            QString error;
            if (!sendKeys(*typist, keys, &error)) {
                qWarning("%s", qPrintable(error));
                return {};
            }
        }
        return session->finishCapture();
    }
    QByteArray typeArt(const RichText& art, QByteArray* expected, int times = 1) {
        const QString keys = *buildKeystrokes(art, P);
        const auto actions = parseKeys(keys, nullptr);
        if (!actions) return {};
        *expected = bytesOf(*actions).repeated(times);
        return typeKeys(keys, bytesOf(*actions).size(), times);
    }

private slots:
    void initTestCase() {
        const QString missing = test::SendXSession::missingTools();
        if (!missing.isEmpty()) QSKIP(qPrintable(QStringLiteral("not installed: ") + missing));
        session = std::make_unique<test::SendXSession>();
        QString why;
        QVERIFY2(session->start(&why), qPrintable(why));
        qputenv("DISPLAY", session->display().toLocal8Bit());
        QString error;
        typist = X11Typist::open(&error);
        QVERIFY2(typist, qPrintable(error));
    }
    void cleanupTestCase() {
        typist.reset();
        session.reset();
    }

    void noDisplayIsReportedNotTyped() {
        const QByteArray saved = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":139.0");
        QString error;
        QVERIFY(!X11Typist::open(&error));
        QVERIFY(!error.isEmpty() && !error.contains(QLatin1Char('\n')));
        qputenv("DISPLAY", saved);
    }
    void workedExampleArrivesAsTheseBytes() {
        RichText art;
        art.appendText(u"Hi ", P[0]);
        art.append(U'^', P[2]);
        art.appendLineBreak();
        art.appendText(u"ok", P[12]);
        art.appendLineBreak();
        const QByteArray expected = QByteArray::fromHex("5e574869205e525e0d5e5216476f6b0d1647");
        QCOMPARE(typeKeys(*buildKeystrokes(art, P), expected.size()).toHex(' '), expected.toHex(' '));
    }
    void escapedCharactersArriveAsThemselves() {
        RichText art;
        art.appendText(u"^~[+%]{})(/|.\\ `x` Aa", colours::Black);
        const QByteArray expected = QByteArrayLiteral("^~[+%]{})(/|.\\ 'x' Aa");
        QCOMPARE(typeKeys(*buildKeystrokes(art, P), expected.size()), expected);
    }
    void accentedLettersKeepTheirCase() {
        const QString text = QStringLiteral("áéíóúñüç ÁÉÍÓÚÑÜÇ àèìòù ÀÈÌÒÙ âÂäÄÿŸœŒšŠžŽ ¿¡€");
        RichText art;
        art.appendText(text, P[0]);
        const QByteArray expected = QByteArrayLiteral("^W") + text.toUtf8();
        QCOMPARE(QString::fromUtf8(typeKeys(*buildKeystrokes(art, P), expected.size())),
                 QString::fromUtf8(expected));
    }
    void boxDrawingAndBlocks() {
        const QString text = QStringLiteral("┌─┬─┐│░▒▓█│├─┼─┤║▀▄▌▐║╚═╩═╝■");
        RichText art;
        art.appendText(text, P[10]);
        art.appendLineBreak();
        const QByteArray expected = QByteArrayLiteral("\x16R") + text.toUtf8() + QByteArrayLiteral("\r\x16R");
        QCOMPARE(QString::fromUtf8(typeKeys(*buildKeystrokes(art, P), expected.size())),
                 QString::fromUtf8(expected));
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
    void twoThousandMixedCharactersThreeTimes() {
        for (int run = 0; run < 3; ++run) {
            QByteArray expected;
            const QByteArray got = typeArt(mixedArt(2000, 7u + quint32(run)), &expected, 1);
            QCOMPARE(got.size(), expected.size());
            QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
        }
    }
    void sameTextSentThreeTimesInARow() {
        QByteArray expected;
        const QByteArray got = typeArt(mixedArt(700, 99u), &expected, 3);
        QCOMPARE(QString::fromUtf8(got), QString::fromUtf8(expected));
    }
};
TORVO_TEST(SendE2ETest)
#include "SendE2ETest.moc"
