#include "convert/TaggedText.h"
#include "TestRegistry.h"
#include "WorkedExample.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;
RichText example(bool finalBreak) {
    return test::workedExample(finalBreak);
}
QString L(char letter) {
    return QString(QChar(0x16)) + QLatin1Char(letter);
}
} // namespace

class TaggedTextTest : public QObject {
    Q_OBJECT
private slots:
    void workedExampleWithTags() {
        QCOMPARE(*taggedText(example(false), P, true), QStringLiteral("<white>Hi <red>^\r\n<red><lgreen>ok"));
        QCOMPARE(*taggedText(example(true), P, true),
                 QStringLiteral("<white>Hi <red>^\r\n<red><lgreen>ok\r\n<lgreen>"));
    }
    void workedExampleWithLetters() {
        QCOMPARE(*taggedText(example(false), P, false),
                 L('w') + "Hi " + L('r') + "^\r\n" + L('r') + L('G') + "ok");
        QCOMPARE(*taggedText(example(true), P, false),
                 L('w') + "Hi " + L('r') + "^\r\n" + L('r') + L('G') + "ok\r\n" + L('G'));
    }
    // The shared walk's rules, each once, through its tagged form.
    void walkRules() {
        Palette dark;
        dark.toggleEntry2();
        const Colour odd{0x123456}, darkRed{0x000080};
        const struct {
            const char* rule;
            std::vector<std::pair<const char16_t*, Colour>> runs;
            bool finalBreak;
            const Palette& palette;
            QString tagged;
        } cases[] = {
            {"spaces never bring a code",
             {{u"a", P[0]}, {u"   ", P[2]}, {u"b", P[0]}},
             false,
             P,
             u"<white>a   b"_qs},
            {"a colour without a code keeps the code in force",
             {{u"ab", colours::Black}, {u"c", P[3]}, {u"d", odd}, {u"e", P[3]}},
             false,
             P,
             u"ab<yellow>cde"_qs},
            {"dark red is entry 2 after the toggle", {{u"x", darkRed}}, false, dark, u"<red>x"_qs},
            {"dark red is its own entry before it", {{u"x", darkRed}}, false, P, u"<lred>x"_qs},
            // The break's colour comes from the space before it: not a space itself, so it writes.
            {"a break after a recoloured space",
             {{u"a", P[0]}, {u" ", P[2]}},
             true,
             P,
             u"<white>a <red>\r\n<red>"_qs},
            {"special characters unchanged", {{u"^{~}`", P[0]}}, false, P, u"<white>^{~}`"_qs},
        };
        for (const auto& c : cases) {
            RichText t;
            for (const auto& [text, colour] : c.runs)
                t.appendText(QStringView(text), colour);
            if (c.finalBreak) t.appendLineBreak();
            QVERIFY2(*taggedText(t, c.palette, true) == c.tagged, c.rule);
        }
    }
    void emptyAndCancelled() {
        QCOMPARE(*taggedText(RichText{}, P, true), QString());
        QCOMPARE(taggedText(example(true), P, true, [] { return true; }), std::nullopt);
    }
};
TORVO_TEST(TaggedTextTest)
#include "TaggedTextTest.moc"
