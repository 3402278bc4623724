#include "chat/ChatTarget.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "send/PacedTyping.h"
#include "send/RecordingTypist.h"

#include <QSignalSpy>
#include <QTest>

using namespace torvo;
using namespace torvo::chat;

class ChatTargetTest : public QObject {
    Q_OBJECT
private slots:
    // The UTF-8 ANSI text with a reset at every line end and LF line ends; no line after a
    // final break.
    void terminalTextOfTheWorkedExample() {
        const QString expected =
            QStringLiteral("\x1b[1;37mHi \x1b[1;31m^\x1b[0m\n\x1b[1;31m\x1b[0;32mok\x1b[0m\n");
        QCOMPARE(terminalText(test::workedExample(true), Palette()), expected);
        QCOMPARE(terminalText(test::workedExample(false), Palette()), expected);
        QCOMPARE(terminalText(RichText(), Palette()), QString());
        QCOMPARE(*typedLines(Target::Terminal, test::workedExample(true), Palette()),
                 expected.split(u'\n').mid(0, 2));
        QVERIFY(!typedLines(Target::Own, test::workedExample(true), Palette()));
        QVERIFY(!typedLines(Target::Discord, test::workedExample(true), Palette()));
    }

    // mIRC's colour character as the chosen key, the escape character as Escape (typed as
    // its control character), Enter after each line.
    void linesAsKeys() {
        const QStringList lines{QStringLiteral("\x03"
                                               "04,01a"),
                                QString(), QStringLiteral("\x1b[0m")};
        for (ColourKey key : {ColourKey::CtrlK, ColourKey::CtrlC}) {
            const char32_t letter = key == ColourKey::CtrlK ? U'k' : U'c';
            const std::vector<std::vector<KeyAction>> keys = lineKeys(lines, key);
            const KeyAction enter{KeyAction::Press, 0, QStringLiteral("ENTER"), 0};
            auto type = [](char32_t ch) { return KeyAction{KeyAction::Type, ch, {}, 0}; };
            QCOMPARE(keys.size(), std::size_t(3));
            QCOMPARE(keys[0], (std::vector<KeyAction>{{KeyAction::Type, letter, {}, KeyAction::Ctrl},
                                                      type(U'0'),
                                                      type(U'4'),
                                                      type(U','),
                                                      type(U'0'),
                                                      type(U'1'),
                                                      type(U'a'),
                                                      enter}));
            QCOMPARE(keys[1], std::vector<KeyAction>{enter});
            QCOMPARE(keys[2],
                     (std::vector<KeyAction>{type(0x1B), type(U'['), type(U'0'), type(U'm'), enter}));
        }
    }

    // One line a call, a pause after each; called off or failing, no more lines.
    void pacedTyping() {
        const std::vector<std::vector<KeyAction>> lines = lineKeys({"a", "b", "c"});
        struct Case {
            const char* how;
            QString failure;
            bool cancelAfterFirst;
            int calls;
            QString status;
        } cases[] = {
            {"all lines", {}, false, 3, "Enviado."},
            {"called off", {}, true, 1, "Envío cancelado."},
            {"a failure stops it", "No llega.", false, 1, "No llega."},
        };
        for (const Case& c : cases) {
            auto typist = std::make_unique<RecordingTypist>();
            typist->setFailure(c.failure);
            PacedTyping typing;
            QSignalSpy finished(&typing, &PacedTyping::finished);
            QSignalSpy progress(&typing, &PacedTyping::progress);
            typing.start(std::move(typist), lines, 5);
            QCOMPARE(int(progress.size()), 1); // the first line at once
            if (c.cancelAfterFirst) typing.cancel();
            if (finished.isEmpty()) QVERIFY(finished.wait(5000));
            QVERIFY2(!typing.isRunning(), c.how);
            QCOMPARE(finished.front().front().toString(), c.status);
            QCOMPARE(int(progress.size()), c.calls);
        }
    }
};
TORVO_TEST(ChatTargetTest)
#include "ChatTargetTest.moc"
