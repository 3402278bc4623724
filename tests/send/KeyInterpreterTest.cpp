#include "send/KeyInterpreter.h"
#include "TestRegistry.h"
#include "send/Keysyms.h"
#include "send/RecordingTypist.h"

#include <QTest>

using namespace torvo;

namespace {
KeyAction T(char32_t ch, int mods = 0) {
    return {KeyAction::Type, ch, QString(), mods};
}
KeyAction K(const char* key, int mods = 0) {
    return {KeyAction::Press, 0, QString::fromLatin1(key), mods};
}
const int C = KeyAction::Ctrl, S = KeyAction::Shift, A = KeyAction::Alt;
} // namespace

Q_DECLARE_METATYPE(std::vector<KeyAction>)

class KeyInterpreterTest : public QObject {
    Q_OBJECT
private slots:
    void wellFormed_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<std::vector<KeyAction>>("expected");
        QTest::newRow("empty") << QString() << std::vector<KeyAction>{};
        QTest::newRow("plain") << QStringLiteral("aB 1") << std::vector{T('a'), T('B'), T(' '), T('1')};
        QTest::newRow("non-ascii") << QStringLiteral("ñÉ░€")
                                   << std::vector{T(U'ñ'), T(U'É'), T(U'░'), T(U'€')};
        QTest::newRow("astral") << QString::fromUcs4(U"x\U0001F600y")
                                << std::vector{T('x'), T(U'\U0001F600'), T('y')};
        QTest::newRow("literal braces")
            << QStringLiteral("{{}{}}{^}{~}{(}{)}{+}{%}{[}{]}")
            << std::vector{T('{'), T('}'), T('^'), T('~'), T('('), T(')'), T('+'), T('%'), T('['), T(']')};
        QTest::newRow("literal letter keeps case")
            << QStringLiteral("{a}{A}{ }{ñ}") << std::vector{T('a'), T('A'), T(' '), T(U'ñ')};
        QTest::newRow("literal astral")
            << QString::fromUcs4(U"{\U0001F600}") << std::vector{T(U'\U0001F600')};
        QTest::newRow("enter") << QStringLiteral("{ENTER}~{enter}")
                               << std::vector{K("ENTER"), K("ENTER"), K("ENTER")};
        QTest::newRow("named") << QStringLiteral(
                                      "{TAB}{esc}{Escape}{BACKSPACE}{BS}{bksp}{DELETE}{Del}{INSERT}{ins}")
                               << std::vector{K("TAB"),       K("ESC"),       K("ESC"),    K("BACKSPACE"),
                                              K("BACKSPACE"), K("BACKSPACE"), K("DELETE"), K("DELETE"),
                                              K("INSERT"),    K("INSERT")};
        QTest::newRow("moves") << QStringLiteral("{HOME}{END}{PGUP}{PGDN}{UP}{DOWN}{LEFT}{RIGHT}")
                               << std::vector{K("HOME"), K("END"),  K("PGUP"), K("PGDN"),
                                              K("UP"),   K("DOWN"), K("LEFT"), K("RIGHT")};
        QTest::newRow("function") << QStringLiteral("{F1}{f9}{F10}{F12}")
                                  << std::vector{K("F1"), K("F9"), K("F10"), K("F12")};
        QTest::newRow("repeat") << QStringLiteral("{LEFT 3}{a 2}{} 2}{ENTER 0}x")
                                << std::vector{K("LEFT"), K("LEFT"), K("LEFT"), T('a'),
                                               T('a'),    T('}'),    T('}'),    T('x')};
        QTest::newRow("repeat space") << QStringLiteral("{  2}") << std::vector{T(' '), T(' ')};
        QTest::newRow("ctrl") << QStringLiteral("^vG") << std::vector{T('v', C), T('G')};
        QTest::newRow("shift alt") << QStringLiteral("+a%b") << std::vector{T('a', S), T('b', A)};
        QTest::newRow("combined") << QStringLiteral("^+%{DEL}") << std::vector{K("DELETE", C | S | A)};
        QTest::newRow("modifier on braces")
            << QStringLiteral("^{^}+{LEFT 2}%~")
            << std::vector{T('^', C), K("LEFT", S), K("LEFT", S), K("ENTER", A)};
        QTest::newRow("group") << QStringLiteral("+(ab)c") << std::vector{T('a', S), T('b', S), T('c')};
        QTest::newRow("nested group")
            << QStringLiteral("^(a%(b{TAB})c)d")
            << std::vector{T('a', C), T('b', C | A), K("TAB", C | A), T('c', C), T('d')};
        QTest::newRow("bare group") << QStringLiteral("(ab)()") << std::vector{T('a'), T('b')};
    }
    void wellFormed() {
        QFETCH(QString, keys);
        QFETCH(std::vector<KeyAction>, expected);
        const Result<std::vector<KeyAction>> actions = parseKeys(keys);
        QVERIFY2(actions, qPrintable(actions.why()));
        QCOMPARE(*actions, expected);
    }
    void repeatCap() {
        // The edge digits count: "09" is nine.
        const auto nine = parseKeys(QStringLiteral("{x 09}"));
        QVERIFY(nine && nine->size() == 9);
        const auto most = parseKeys(QStringLiteral("{x %1}").arg(MaxKeyRepeat));
        QVERIFY(most && most->size() == std::size_t(MaxKeyRepeat));
        QVERIFY(!parseKeys(QStringLiteral("{x %1}").arg(MaxKeyRepeat + 1)));
    }
    void malformed_data() {
        QTest::addColumn<QString>("keys");
        // Each a fault the error locates.
        for (const char* keys :
             {"ab{ENTER", "ab{",      "{}",      "a}b",       "{ENTRE}",    "{EN\r\nTER}", "{F13}",
              "{ab}",     "{LEFT x}", "{LEFT }", "{LEFT -1}", "{LEFT 2 3}", "{a 99999}",   "ab^",
              "+%",       "(a^)",     "+(ab",    "ab)",       "a[b",        "a]b"})
            QTest::newRow(keys) << QString::fromUtf8(keys);
        QTest::newRow("long unknown name") << QStringLiteral("{%1}").arg(QString(5000, QLatin1Char('x')));
        QTest::newRow("broken surrogate") << QString(QChar(0xD800)) + QStringLiteral("a");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDC00));
        QTest::newRow("deep nesting") << QString(200, QLatin1Char('(')) + QString(200, QLatin1Char(')'));
    }
    void malformed() {
        QFETCH(QString, keys);
        const QString error = parseKeys(keys).why();
        QVERIFY(!error.isEmpty());
        QVERIFY(!error.contains(QLatin1Char('\n')) && !error.contains(QLatin1Char('\r')));
        QVERIFY(error.size() < 120);
        QVERIFY(error.contains(QStringLiteral("posición")));
    }
    void errorNamesTheProblem() {
        QString error = parseKeys(QStringLiteral("ab{XYZ}")).why();
        QVERIFY2(error.contains(QStringLiteral("XYZ")) && error.contains(QStringLiteral("posición 3")),
                 qPrintable(error));
        error = parseKeys(QStringLiteral("{A\u2028B\u2029C\rD}")).why(); // line breaks in the name
        QVERIFY2(error.contains(QStringLiteral("A?B?C?D")), qPrintable(error));
        error = parseKeys(QStringLiteral("abc{ENTER")).why();
        QVERIFY2(error.startsWith(QStringLiteral("Llave sin cerrar")), qPrintable(error));
    }
    // Characters as keys: Latin-1 as themselves, other controls as Ctrl with the sign 0x40 above.
    void strokesOfCharacters() {
        const std::pair<char32_t, Stroke> cases[] = {{U'a', {'a', 0}},
                                                     {U' ', {' ', 0}},
                                                     {0xFF, {0xFF, 0}},
                                                     {0xE9, {0xE9, 0}},
                                                     {0x2588, {0x1002588, 0}},
                                                     {0x16, {'v', KeyAction::Ctrl}},
                                                     {0x01, {'a', KeyAction::Ctrl}},
                                                     {0x1A, {'z', KeyAction::Ctrl}},
                                                     {0x00, {'@', KeyAction::Ctrl}},
                                                     {0x1D, {']', KeyAction::Ctrl}},
                                                     {0x1F, {'_', KeyAction::Ctrl}}};
        for (const auto& [ch, stroke] : cases)
            QCOMPARE(strokeOf(KeyAction{KeyAction::Type, ch, {}, 0}), std::optional<Stroke>(stroke));
    }
    void sendKeysParsesThenPerforms() {
        RecordingTypist typist;
        QVERIFY(sendKeys(typist, QStringLiteral("{^}R^vGo~")));
        QCOMPARE(typist.actions(), (std::vector{T('^'), T('R'), T('v', C), T('G'), T('o'), K("ENTER")}));
        // The empty string is still one (empty) call.
        QVERIFY(sendKeys(typist, QString()));
        QCOMPARE(typist.calls().size(), std::size_t(2));
        QVERIFY(typist.calls().back().empty());
        // Valid keys before a fault are not typed either.
        QVERIFY(!sendKeys(typist, QStringLiteral("hello world{ENTER}^")).why().isEmpty());
        QCOMPARE(typist.calls().size(), std::size_t(2));
        typist.setFailure(QStringLiteral("No hay pantalla."));
        QCOMPARE(sendKeys(typist, QStringLiteral("a")).why(), QStringLiteral("No hay pantalla."));
    }
};
TORVO_TEST(KeyInterpreterTest)
#include "KeyInterpreterTest.moc"
