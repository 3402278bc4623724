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
    void spacesNeverBringACode() {
        RichText t;
        t.appendText(u"a", P[0]);
        t.appendText(u"   ", P[2]);
        t.appendText(u"b", P[0]);
        QCOMPARE(*taggedText(t, P, true), QStringLiteral("<white>a   b"));
    }
    void colourWithoutCodeKeepsCodeInForce() {
        RichText t;
        t.appendText(u"ab", colours::Black);
        t.appendText(u"c", P[3]);
        t.appendText(u"d", Colour{0x123456});
        t.appendText(u"e", P[3]);
        QCOMPARE(*taggedText(t, P, true), QStringLiteral("ab<yellow>cde"));
    }
    void darkRedTakesEntryTwoAfterToggle() {
        Palette p;
        p.toggleEntry2();
        RichText t;
        t.appendText(u"x", Colour{0x000080});
        QCOMPARE(*taggedText(t, p, true), QStringLiteral("<red>x"));
        QCOMPARE(*taggedText(t, P, true), QStringLiteral("<lred>x"));
    }
    void lineBreakAfterRecolouredSpaceWritesItsCode() {
        // The break's colour comes from the space before it: not a space itself, so it writes.
        RichText t;
        t.appendText(u"a", P[0]);
        t.appendText(u" ", P[2]);
        t.appendLineBreak();
        QCOMPARE(*taggedText(t, P, true), QStringLiteral("<white>a <red>\r\n<red>"));
    }
    void emptyAndCancelled() {
        QCOMPARE(*taggedText(RichText{}, P, true), QString());
        QCOMPARE(taggedText(example(true), P, true, [] { return true; }), std::nullopt);
    }
    void specialCharactersUnchanged() {
        RichText t;
        t.appendText(u"^{~}`", P[0]);
        QCOMPARE(*taggedText(t, P, true), QStringLiteral("<white>^{~}`"));
    }
};
TORVO_TEST(TaggedTextTest)
#include "TaggedTextTest.moc"
