#include "send/Keystrokes.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "send/KeyInterpreter.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;
RichText example(bool finalBreak) {
    return test::workedExample(finalBreak);
}
QString keys(const RichText& t, const Palette& p = P) {
    return *buildKeystrokes(t, p);
}
} // namespace

class KeystrokesTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample() {
        QCOMPARE(keys(example(false)), QStringLiteral("{^}WHi {^}R{^}{ENTER}{^}R^vGok"));
        QCOMPARE(keys(example(true)), QStringLiteral("{^}WHi {^}R{^}{ENTER}{^}R^vGok{ENTER}^vG"));
    }
    void workedExampleMeansTheseKeys() {
        const auto actions = parseKeys(keys(example(false)));
        QVERIFY(actions);
        QString typed;
        for (const KeyAction& a : *actions) {
            if (a.kind == KeyAction::Press) {
                QCOMPARE(a.key, QStringLiteral("ENTER"));
                typed += QStringLiteral("<E>");
            } else {
                if (a.modifiers == KeyAction::Ctrl)
                    typed += QStringLiteral("<C>");
                else
                    QCOMPARE(a.modifiers, 0);
                typed += QChar(char16_t(a.ch));
            }
        }
        QCOMPARE(typed, QStringLiteral("^WHi ^R^<E>^R<C>vGok"));
    }
    void spacesNeverBringACode() {
        RichText t;
        t.appendText(u"a", P[0]);
        t.appendText(u"   ", P[2]);
        t.appendText(u"b", P[0]);
        QCOMPARE(keys(t), QStringLiteral("{^}Wa   b"));

        // A line starting with spaces in a new colour: the code waits for the first non-space.
        RichText u;
        u.appendText(u"a", P[0]);
        u.appendLineBreak();
        u.appendText(u"  ", P[2]);
        u.appendText(u"b", P[2]);
        QCOMPARE(keys(u), QStringLiteral("{^}Wa{ENTER}{^}W  {^}Rb"));

        // A colour that changes only on spaces writes nothing.
        RichText v;
        v.appendText(u"x ", P[4]);
        v.appendText(u" ", P[5]);
        v.appendText(u" y", P[4]);
        QCOMPARE(keys(v), QStringLiteral("{^}Gx   y"));
    }
    void colourWithoutCodeKeepsCodeInForce() {
        RichText t;
        t.appendText(u"ab", colours::Black);
        t.appendText(u"c", P[3]);
        t.appendText(u"d", Colour{0x123456});
        t.appendText(u"e", colours::Black);
        t.appendText(u"f", P[3]);
        t.appendText(u"g", Colour{0xFFFFFE}); // white with one bit off
        QCOMPARE(keys(t), QStringLiteral("ab{^}Ycdefg"));

        RichText u;
        u.appendText(u"a", P[8]);
        u.appendLineBreak();
        u.appendText(u"b", P[8]);
        QCOMPARE(keys(u), QStringLiteral("a{ENTER}b"));
    }
    void codeOnlyWhereColourDiffersFromLastWritten() {
        RichText t;
        t.appendText(u"aa", P[4]);
        t.appendText(u"bb", P[4]);
        t.appendLineBreak();
        t.appendText(u"c", P[4]);
        t.appendText(u"d", P[14]);
        t.appendText(u"e", P[4]);
        QCOMPARE(keys(t), QStringLiteral("{^}Gaabb{ENTER}{^}Gc^vBd{^}Ge"));
    }
    void entryTwoToggle() {
        Palette p;
        p.toggleEntry2();
        RichText t;
        t.appendText(u"x", Palette::DarkRed);
        QCOMPARE(keys(t, p), QStringLiteral("{^}Rx"));
        QCOMPARE(keys(t, P), QStringLiteral("^vRx"));
        // Light red has no entry once entry 2 is dark.
        RichText u;
        u.appendText(u"y", Palette::LightRed);
        QCOMPARE(keys(u, p), QStringLiteral("y"));
    }
    void escapeTable() {
        const QString braced = QStringLiteral("^~[+%]{})(/|.\\");
        QCOMPARE(braced.size(), 14);
        for (QChar c : braced)
            QCOMPARE(IntercambiarSK(QString(c)), QStringLiteral("{") + c + QStringLiteral("}"));
        QCOMPARE(IntercambiarSK(QStringLiteral("`")), QStringLiteral("'"));
        const QString plain = QStringLiteral("aZ09 '\"!@#$&*-_=:;,<>?\tñÑé€░█─");
        for (QChar c : plain)
            QCOMPARE(IntercambiarSK(QString(c)), QString(c));
        const QString astral = QString::fromUcs4(U"\U0001F600");
        QCOMPARE(IntercambiarSK(astral), astral);
        QCOMPARE(IntercambiarSK(QString()), QString());
    }
    void artEscapesEveryCharacter() {
        RichText t;
        t.appendText(u"a^b`c\\d{e}f", colours::Black);
        QCOMPARE(keys(t), QStringLiteral("a{^}b'c{\\}d{{}e{}}f"));
    }
    void anyArtReadsBackAsItsCharacters() {
        // Without codes, the string types back the art's own characters and breaks.
        RichText t;
        const QString text = QStringLiteral("^~[+%]{})(/|.\\`x ñ░\r\n█€") + QString::fromUcs4(U"\U0001F600");
        t.appendText(text, Colour{0x010203});
        const auto actions = parseKeys(keys(t));
        QVERIFY(actions);
        QString typed;
        for (const KeyAction& a : *actions) {
            QCOMPARE(a.modifiers, 0);
            if (a.kind == KeyAction::Press)
                typed += QStringLiteral("\r\n");
            else
                appendCodePoint(typed, a.ch);
        }
        QString expected = text;
        expected.replace(QLatin1Char('`'), QLatin1Char('\''));
        QCOMPARE(typed, expected);
    }
    void emptyAndCancelled() {
        const auto empty = buildKeystrokes(RichText{}, P);
        QVERIFY(empty);
        QVERIFY(empty->isEmpty());
        QCOMPARE(buildKeystrokes(example(true), P, [] { return true; }), std::nullopt);
        int asked = 0;
        QCOMPARE(*buildKeystrokes(example(true), P, [&asked] { return ++asked > 1000; }),
                 keys(example(true)));
    }
};
TORVO_TEST(KeystrokesTest)
#include "KeystrokesTest.moc"
