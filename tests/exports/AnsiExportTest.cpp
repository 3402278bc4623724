#include "files/AnsiExport.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "files/ExportText.h"

#include <QTest>

using namespace torvo;

class AnsiExportTest : public QObject {
    Q_OBJECT
private slots:
    // The walk's rules are tested with the walk; here its codes become SGR sequences.
    void workedExampleAndItsBytes() {
        const Palette p;
        const QString body = QStringLiteral("\x1b[1;37mHi \x1b[1;31m^\r\n\x1b[1;31m\x1b[0;32mok");
        QCOMPARE(*SalvarComoAnsi(test::workedExample(false), p), body);
        QCOMPARE(*SalvarComoAnsi(test::workedExample(true), p), body + "\r\n\x1b[0;32m");
        // The closing line break and UTF-8, also for an empty art.
        RichText t;
        t.appendText(u"█ñ😀", p[7]);
        QCOMPARE(encodeExport(*SalvarComoAnsi(t, p)),
                 QByteArray("\x1b[1;35m\xE2\x96\x88\xC3\xB1\xF0\x9F\x98\x80\r\n"));
        QCOMPARE(encodeExport(*SalvarComoAnsi(RichText(), p)), QByteArray("\r\n"));
        // The window's palette decides what dark red is.
        t = RichText();
        t.appendText(u"x", Palette::DarkRed);
        QCOMPARE(*SalvarComoAnsi(t, p), QStringLiteral("\x1b[0;31mx"));
        Palette toggled;
        toggled.toggleEntry2();
        QCOMPARE(*SalvarComoAnsi(t, toggled), QStringLiteral("\x1b[1;31mx"));
    }
    // Codes typed into the art are converted too, each where it stands.
    void conversionTable_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        // Each code followed by its sequence.
        const char* codes[] = {
            "<lblack>",   "\x1b[0;30m", "<lblue>",    "\x1b[0;34m", "<lgreen>",   "\x1b[0;32m", "<lcyan>",
            "\x1b[0;36m", "<lred>",     "\x1b[0;31m", "<lmagenta>", "\x1b[0;35m", "<lyellow>",  "\x1b[0;33m",
            "<lwhite>",   "\x1b[0;37m", "<black>",    "\x1b[1;30m", "<blue>",     "\x1b[1;34m", "<green>",
            "\x1b[1;32m", "<cyan>",     "\x1b[1;36m", "<red>",      "\x1b[1;31m", "<magenta>",  "\x1b[1;35m",
            "<yellow>",   "\x1b[1;33m", "<white>",    "\x1b[1;37m", "`r0",        "\x1b[1;40m", "`r4",
            "\x1b[1;41m", "`r2",        "\x1b[1;42m", "`r$",        "\x1b[1;43m", "`r1",        "\x1b[1;44m",
            "`r5",        "\x1b[1;45m", "`r3",        "\x1b[1;46m", "`r%",        "\x1b[1;47m", "`b",
            "\r\n",       "`c",         "\x1b[2J"};
        for (std::size_t i = 0; i < std::size(codes); i += 2)
            QTest::newRow(codes[i]) << QString::fromUtf8(codes[i]) << QString::fromUtf8(codes[i + 1]);
        const char* rows[][2] = {
            // Not codes: left as they are.
            {"`B`C`r9<Red><lblack", "`B`C`r9<Red><lblack"},
            {"<lwhite >", "<lwhite >"},
            // Codes beside and inside stray marks.
            {"<<red>>", "<\x1b[1;31m>"},
            {"``b", "`\r\n"},
            {"`r`b0", "`r\r\n0"},
            {"<l<red>blue>", "<l\x1b[1;31mblue>"},
            {"`r`c`", "`r\x1b[2J`"},
        };
        for (const auto& [from, to] : rows)
            QTest::newRow(from) << QString::fromUtf8(from) << QString::fromUtf8(to);
    }
    void conversionTable() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QString s = "a" + from + "z" + from;
        QCOMPARE(ANSIConvert(s), "a" + to + "z" + to);
        QCOMPARE(s, "a" + to + "z" + to); // converted in place
    }
};

TORVO_TEST(AnsiExportTest)
#include "AnsiExportTest.moc"
