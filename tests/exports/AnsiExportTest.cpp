#include "files/AnsiExport.h"
#include "TestRegistry.h"

#include <QTest>

using namespace torvo;

namespace {
const Palette P;
const QString White = QStringLiteral("\x1b[1;37m");
const QString Red = QStringLiteral("\x1b[1;31m");
const QString LGreen = QStringLiteral("\x1b[0;32m");

RichText twoLines(Colour c, bool finalBreak) {
    RichText t;
    t.appendText(u"AB\r\nCD", c);
    if (finalBreak) t.appendLineBreak();
    return t;
}
} // namespace

class AnsiExportTest : public QObject {
    Q_OBJECT
private slots:
    void emptyArtWritesOnlyTheClosingLineBreak() {
        const std::optional<QString> out = SalvarComoAnsi(RichText(), P);
        QVERIFY(out);
        QCOMPARE(*out, QString());
        QCOMPARE(encodeExport(*out), QByteArray("\r\n"));
    }
    void oneColourOverTwoLines() {
        QCOMPARE(*SalvarComoAnsi(twoLines(P[0], false), P), White + "AB\r\n" + White + "CD");
        QCOMPARE(encodeExport(*SalvarComoAnsi(twoLines(P[0], false), P)),
                 QByteArray("\x1b[1;37mAB\r\n\x1b[1;37mCD\r\n"));
        // A final line break repeats the sequence in force once more.
        QCOMPARE(*SalvarComoAnsi(twoLines(P[0], true), P), White + "AB\r\n" + White + "CD\r\n" + White);
        // Every line after the first starts with the sequence, whatever its colour.
        RichText t;
        t.appendText(u"x\r\ny\r\nz", P[12]);
        QCOMPARE(*SalvarComoAnsi(t, P), LGreen + "x\r\n" + LGreen + "y\r\n" + LGreen + "z");
    }
    void leadingSpacesAndSpacesNeverSwitch() {
        RichText t;
        t.appendText(u"  A", P[0]);
        QCOMPARE(*SalvarComoAnsi(t, P), "  " + White + "A");

        RichText u;
        u.appendText(u"a", P[0]);
        u.appendText(u"   ", P[2]);
        u.appendText(u"b", P[0]);
        QCOMPARE(*SalvarComoAnsi(u, P), White + "a   b");

        // Spaces of another colour do move the code in force.
        RichText v;
        v.appendText(u"a", P[0]);
        v.appendText(u" ", P[2]);
        v.appendText(u"b", colours::Black);
        QCOMPARE(*SalvarComoAnsi(v, P), White + "a " + Red + "b");
    }
    void blackAndUnknownColoursTakeTheLastCode() {
        RichText t;
        t.appendText(u" ", P[2]);
        t.appendText(u"x", colours::Black);
        QCOMPARE(*SalvarComoAnsi(t, P), " " + Red + "x");

        RichText u;
        u.appendText(u"a", P[2]);
        u.appendText(u"b", colours::Black);
        u.appendText(u"c", Colour{0x123456});
        u.appendText(u"d", P[2]);
        QCOMPARE(*SalvarComoAnsi(u, P), Red + "abcd");

        // Nothing coded at all: no sequence.
        RichText w;
        w.appendText(u"ab\r\ncd", colours::Black);
        QCOMPARE(*SalvarComoAnsi(w, P), QStringLiteral("ab\r\ncd"));
    }
    void darkRedFollowsTheToggledEntry() {
        RichText t;
        t.appendText(u"x", Palette::DarkRed);
        QCOMPARE(*SalvarComoAnsi(t, P), QStringLiteral("\x1b[0;31mx"));
        Palette p;
        p.toggleEntry2();
        QCOMPARE(*SalvarComoAnsi(t, p), Red + "x");
    }
    void typedCodesAreConverted() {
        RichText t;
        t.appendText(u"<red>x`by`c<RED>`r$`r%z", P[0]);
        QCOMPARE(*SalvarComoAnsi(t, P), White + Red + "x\r\ny" + clrScr() + "<RED>\x1b[1;43m\x1b[1;47mz");
    }
    void convertTableRowsInOrder() {
        // Each tag and code against its sequence.
        const QList<std::pair<QString, QString>> rows = {
            {"<lblack>", "0;30m"}, {"<lblue>", "0;34m"},    {"<lgreen>", "0;32m"},  {"<lcyan>", "0;36m"},
            {"<lred>", "0;31m"},   {"<lmagenta>", "0;35m"}, {"<lyellow>", "0;33m"}, {"<lwhite>", "0;37m"},
            {"<black>", "1;30m"},  {"<blue>", "1;34m"},     {"<green>", "1;32m"},   {"<cyan>", "1;36m"},
            {"<red>", "1;31m"},    {"<magenta>", "1;35m"},  {"<yellow>", "1;33m"},  {"<white>", "1;37m"},
            {"`r0", "1;40m"},      {"`r4", "1;41m"},        {"`r2", "1;42m"},       {"`r$", "1;43m"},
            {"`r1", "1;44m"},      {"`r5", "1;45m"},        {"`r3", "1;46m"},       {"`r%", "1;47m"},
        };
        for (const auto& [from, to] : rows) {
            QString s = "a" + from + "b" + from;
            const QString r = ANSIConvert(s);
            const QString seq = "\x1b[" + to;
            QCOMPARE(r, "a" + seq + "b" + seq);
            QCOMPARE(s, r); // converted in place
        }
        QString s = QStringLiteral("`b`c`B`C`r9<Red><lblack");
        QCOMPARE(ANSIConvert(s), "\r\n\x1b[2J`B`C`r9<Red><lblack");
        QCOMPARE(clrScr(), QStringLiteral("\x1b[2J"));
        // Codes next to and inside stray marks: each replacement stands alone.
        const QList<std::pair<QString, QString>> tricky = {
            {"<<red>>", "<\x1b[1;31m>"}, {"``b", "`\r\n"},
            {"`r`b0", "`r\r\n0"},        {"<l<red>blue>", "<l\x1b[1;31mblue>"},
            {"`r`c`", "`r\x1b[2J`"},     {"<lwhite><white>", "\x1b[0;37m\x1b[1;37m"},
        };
        for (auto [from, to] : tricky)
            QCOMPARE(ANSIConvert(from), to);
    }
    void cancelledWalkGivesNothing() {
        int calls = 0;
        const auto cancel = [&calls] { return ++calls > 2; };
        QVERIFY(!SalvarComoAnsi(twoLines(P[0], false), P, cancel));
        QVERIFY(SalvarComoAnsi(twoLines(P[0], false), P, [] { return false; }));
    }
    void encodesAsUtf8() {
        RichText t;
        t.appendText(QString::fromUtf8("\xE2\x96\x88\xC3\xB1\xF0\x9F\x98\x80"), P[0]);
        QCOMPARE(encodeExport(*SalvarComoAnsi(t, P)),
                 QByteArray("\x1b[1;37m\xE2\x96\x88\xC3\xB1\xF0\x9F\x98\x80\r\n"));
    }
};

TORVO_TEST(AnsiExportTest)
#include "AnsiExportTest.moc"
