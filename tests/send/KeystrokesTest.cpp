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
    // The walk's rules are tested with the walk; here its codes are send codes and the
    // characters are escaped for the keystroke language.
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
    void escapeTable() {
        const QString braced = QStringLiteral("^~[+%]{})(/|.\\");
        QCOMPARE(braced.size(), 14);
        for (QChar c : braced)
            QCOMPARE(IntercambiarSK(QString(c)), QStringLiteral("{") + c + QStringLiteral("}"));
        QCOMPARE(IntercambiarSK(QStringLiteral("`")), QStringLiteral("'"));
        const QString plain = QStringLiteral("aZ09 '\"!@#$&*-_=:;,<>?\tñÑé€░█─");
        for (QChar c : plain)
            QCOMPARE(IntercambiarSK(QString(c)), QString(c));
        // Only a single character is escaped.
        for (const QString& s : {QString::fromUcs4(U"\U0001F600"), QString(), QStringLiteral("^^")})
            QCOMPARE(IntercambiarSK(s), s);
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
};
TORVO_TEST(KeystrokesTest)
#include "KeystrokesTest.moc"
