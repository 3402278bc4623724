#include "send/Keystrokes.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "send/KeyInterpreter.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;
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
        QCOMPARE(keys(test::workedExample(false)), QStringLiteral("{^}WHi {^}R{^}{ENTER}{^}R^vGok"));
        QCOMPARE(keys(test::workedExample(true)), QStringLiteral("{^}WHi {^}R{^}{ENTER}{^}R^vGok{ENTER}^vG"));
    }
    void onlyASingleCharacterIsEscaped() {
        for (const QString& s : {QString::fromUcs4(U"\U0001F600"), QString(), QStringLiteral("^^")})
            QCOMPARE(IntercambiarSK(s), s);
    }
    void artEscapesEveryCharacter() {
        RichText t;
        t.appendText(u"a^b`c\\d{e}f", colours::Black);
        QCOMPARE(keys(t), QStringLiteral("a{^}b'c{\\}d{{}e{}}f"));
    }
    // Without codes, the string types back the art's own characters and breaks: every
    // special is braced, the backquote becomes a quote and the rest pass as they are.
    void anyArtReadsBackAsItsCharacters() {
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
