#include "chat/ChatTarget.h"
#include "ArtText.h"
#include "TestRegistry.h"
#include "WorkedExample.h"

#include <QTest>

using namespace torvo;
using namespace torvo::chat;

class ChatTargetTest : public QObject {
    Q_OBJECT
private slots:
    // "Guardar Ansi"'s UTF-8 text, a reset at every line end, LF line ends, no line after a
    // final break; typed a line at a time.
    void terminalText() {
        const QString expected = "\x1b[1;37mHi \x1b[1;31m^\x1b[0m\n\x1b[1;31m\x1b[0;32mok\x1b[0m\n";
        for (bool finalBreak : {true, false})
            QCOMPARE(chat::terminalText(test::workedExample(finalBreak), Palette()), expected);
        QCOMPARE(*typedLines(Target::Terminal, test::workedExample(true), Palette()),
                 expected.split('\n').mid(0, 2));
        QVERIFY(!typedLines(Target::Discord, test::workedExample(true), Palette()));
    }

    // mIRC's colour character as the chosen key, the escape character as itself (typed as
    // Escape), Enter after each line.
    void linesAsKeys() {
        auto type = [](char32_t ch, int modifiers = 0) {
            return KeyAction{KeyAction::Type, ch, {}, modifiers};
        };
        const KeyAction enter{KeyAction::Press, 0, QStringLiteral("ENTER"), 0};
        for (const auto& [key, letter] : {std::pair{ColourKey::CtrlK, U'k'}, {ColourKey::CtrlC, U'c'}})
            QCOMPARE(lineKeys({test::ircText("^C04a"), "", "\x1b[m"}, key),
                     (std::vector<std::vector<KeyAction>>{
                         {type(letter, KeyAction::Ctrl), type(U'0'), type(U'4'), type(U'a'), enter},
                         {enter},
                         {type(0x1B), type(U'['), type(U'm'), enter}}));
    }
};
TORVO_TEST(ChatTargetTest)
#include "ChatTargetTest.moc"
