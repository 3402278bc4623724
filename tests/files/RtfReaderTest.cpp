#include "files/RtfReader.h"
#include "TestRegistry.h"
#include "files/RtfWriter.h"

#include <QTest>

using namespace torvo;

namespace {

RichText read(const QByteArray& rtf) {
    const Result<RichText> t = readRtf(rtf);
    return t ? *t : RichText();
}

constexpr Colour Red{0x0000FF};
constexpr Colour Green{0x00FF00};
constexpr Colour Blue{0xFF0000};

const QByteArray kColours =
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}";

} // namespace

class RtfReaderTest : public QObject {
    Q_OBJECT
private slots:
    // Entry 0 of the colour table is the automatic colour, read as black like an index
    // past the table, unless it is a real colour; groups restore the colour they opened with.
    void readsTextAndColours() {
        const struct {
            QByteArray rtf;
            const char* text;
            std::vector<Colour> inks; // of the characters that are not line breaks
        } cases[] = {
            {"{\\rtf1\\ansi" + kColours + "\\cf1 ab\\cf2 c\\par\\cf3 d\\line e}",
             "abc\r\nd\r\ne",
             {Red, Red, Green, Blue, Blue}},
            {"{\\rtf1" + kColours + "a\\cf1 b\\cf0 c\\cf9 d\\cf2\\plain e}",
             "abcde",
             {colours::Black, Red, colours::Black, colours::Black, colours::Black}},
            {"{\\rtf1\\cf3 x}", "x", {colours::Black}},
            {"{\\rtf1{\\colortbl\\red1\\green2\\blue3;}\\cf0 x}", "x", {Colour::fromRgb(1, 2, 3)}},
            {"{\\rtf1" + kColours + "\\cf1 a{\\cf2 b{\\cf3 c}d}e}", "abcde", {Red, Green, Blue, Green, Red}},
        };
        for (const auto& c : cases) {
            const RichText t = read(c.rtf);
            QCOMPARE(t.plainText(), QString::fromUtf8(c.text));
            std::vector<Colour> inks;
            for (int p = 0; p < t.size(); ++p)
                if (!t.isLineBreak(p)) inks.push_back(t.colourAt(p));
            QVERIFY2(inks == c.inks, c.rtf.constData());
            QCOMPARE(t.typingColour(), colours::White);
        }
    }
    // Documents and the text they read as.
    void readsAs_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const QByteArray& rtf, const char* text) {
            QTest::newRow(name) << rtf << QString::fromUtf8(text);
        };
        // \u skips its fallback: \uc characters, hex escapes count as one, a group end or
        // a control word stops the skipping; \uc is scoped to its group.
        row("unicode", "{\\rtf1 \\u233?t\\u233 e}", "été");
        row("uc2 with hex escapes", "{\\rtf1\\uc2 \\u26085\\'93\\'fa!}", "日!");
        row("uc0", "{\\rtf1\\uc0 \\u26085!}", "日!");
        row("group end stops the skip", "{\\rtf1{\\uc3 \\u26085 a}bc}", "日bc");
        row("uc scoped", "{\\rtf1{\\uc0 x}\\u26085 ab}", "x日b");
        row("negative is signed 16-bit", "{\\rtf1\\u-3916?}", "\uF0B4");
        row("control word as fallback", "{\\rtf1\\u233\\emdash x}", "éx");
        // Surrogate halves join; a lone half is U+FFFD.
        row("lone high", "{\\rtf1 a\\u-10179?b}", "a\uFFFDb");
        row("lone low", "{\\rtf1 a\\u-8704?b}", "a\uFFFDb");
        row("high at the end", "{\\rtf1 a\\u-10179?}", "a\uFFFD");
        row("two highs then a low", "{\\rtf1\\u-10179?\\u-10179?\\u-8704?}", "\uFFFD\U0001F600");
        row("high before a paragraph", "{\\rtf1\\u-10179?\\par}", "\uFFFD\r\n");
        row("halves with text between", "{\\rtf1\\ansi\\u-10179 xz\\u-8704 y}", "\uFFFDz\uFFFD");
        // Hex escapes and raw bytes follow the code page: Windows-1252 unless told.
        row("1252", "{\\rtf1\\ansi \\'80\\'93\\'e9\\'22}", "€“é\"");
        row("1252 without ansi", "{\\rtf1 \\'80}", "€");
        row("DOS code page", "{\\rtf1\\pca \\'9b\\'d0\\'db}", "øð█");
        row("1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", "Привет");
        row("font charset",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}\\'e9{\\f1 "
            "\\'e9}}",
            "éй");
        row("DOS font", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset254 Terminal;}}\\f0 \\'db\\'b0}", "█░");
        row("Mac font", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset77 Geneva;}}\\f0 \\'8e\\'a5}", "é•");
        row("double byte", "{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}", "日本");
        row("raw byte", "{\\rtf1\\ansi\\ansicpg1251 \xC4}", "Д");
        row("UTF-8 code page", "{\\rtf1\\ansi\\ansicpg65001 \\'e2\\'96\\'88}", "█");
        row("hex escape without digits", "{\\rtf1 a\\'zb}", "azb");
        row("unknown code page", "{\\rtf1\\u-99999 x\\ansicpg99999 \\'e9}", "\uFFFDé");
        // \bin data is skipped by its length.
        row("escapes in a skipped group", "{\\rtf1 a{\\*\\comment x\\{y\\~}b}", "ab");
        row("bin", "{\\rtf1 a{\\*\\blob\\bin4 }{\\}}b}", "ab");
        row("bin in a group skipped for its text", "{\\rtf1 a{\\*x\\bin1 }b}c}", "ac");
        row("bin braces", "{\\rtf1 a\\bin3 {}\\b}", "ab");
        row("bin beyond the data", "{\\rtf1 a\\bin999999999 xyz}", "a");
        row("negative bin", "{\\rtf1 a\\bin-5 b}", "ab");
        // Tabs, escaped specials, cells; source line breaks are not text, a backslash
        // before one is a paragraph.
        row("specials", "{\\rtf1 a\\tab b\tc\\{\\}\\\\}", "a\tb\tc{}\\");
        row("hidden text switched off", "{\\rtf1 a\\v b\\v0 c\\v1 d}", "ac");
        row("source breaks", "{\\rtf1 a\r\nb\\\nc}", "ab\r\nc");
        // CR and LF given as characters are line breaks, CR LF one of them; a paragraph
        // between them parts them.
        row("CR LF characters", "{\\rtf1 a\\u13?\\u10?b\\u10?\\u10?c\\u13?\\u10?\\u10?d}",
            "a\r\nb\r\n\r\nc\r\n\r\nd");
        row("CR, paragraph, LF", "{\\rtf1 a\\u13?\\par\\u10?b}", "a\r\n\r\n\r\nb");
        row("cells", "{\\rtf1\\pard a\\cell b\\cell\\row c}", "a\tb\t\r\nc");
        // The last line is as the document has it; what follows the closing brace is not text.
        row("unterminated", "{\\rtf1 a\\par b}", "a\r\nb");
        row("terminated", "{\\rtf1 a\\par b\\par}", "a\r\nb\r\n");
        row("empty", "{\\rtf1 }", "");
        row("blanks before the document", " \t\r\n{\\rtf1 a}", "a");
        // LibreOffice shows a section reopened by \sectd at the end as one more paragraph.
        row("LibreOffice section", "{\\rtf1{\\*\\generator LibreOffice}a\\sect}", "a\r\n");
        row("LibreOffice section reopened", "{\\rtf1{\\*\\generator LibreOffice}a\\sect\\sectd}",
            "a\r\n\r\n");
        row("after the end", QByteArray("{\\rtf1 a}b\r\n\0", 13), "a");
        row("NUL bytes", QByteArray("{\\rtf1\\ansi\0\0\0a\0}", 16), "a");
        // Extreme parameters are harmless.
        row("huge uc and u", "{\\rtf1\\uc99999999999999 \\u99999999999 abc\\cf-5 d\\cf99999999999 e}",
            "\uFFFD");
        row("long control word", "{\\rtf1\\" + QByteArray(100000, 'a') + " x}", "x");
    }
    void readsAs() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QCOMPARE(read(rtf).plainText(), text);
    }
    void unknownDestinationsAreSkippedWhole() {
        const QByteArray doc = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}" + kColours +
                               "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                               "{\\*\\generator Gen;}{\\*\\unknownthing {nested} text}"
                               "{\\header head}{\\footerr foot}{\\pict\\pngblip 89504e47}"
                               "{\\object{\\*\\objdata 0102}{\\result res}}"
                               "x{\\footnote note}y{\\*\\bkmkstart b}z{\\v hidden}w\\~\\_\\-v\\emdash\\endash"
                               "\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}";
        QCOMPARE(read(doc).plainText(), QString::fromUtf8("xyzw\u00A0\u2011v—–‘’“”•"));
    }
    void fieldsKeepTheirResultOnly() {
        const QByteArray doc = "{\\rtf1" + kColours +
                               "see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt {\\cf2 link}}} "
                               "{\\field{\\fldinst PAGE}{\\fldrslt 7}}}";
        const RichText t = read(doc);
        QCOMPARE(t.plainText(), QStringLiteral("see link 7"));
        QCOMPARE(t.colourAt(4), Green);
    }
    void documentsInTheStyleOfOtherEditors() {
        // macOS TextEdit: unbraced font table entries, an expanded colour table to skip,
        // backslash-newline as paragraph end.
        const RichText mac = read(
            "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n\\cocoatextscaling0\\cocoaplatform0{"
            "\\fonttbl\\f0\\fswiss"
            "\\fcharset0 Helvetica;}\n{\\colortbl;\\red255\\green255\\blue255;\\red251\\green0\\blue7;}\n"
            "{\\*\\expandedcolortbl;;\\csgenericrgb\\c100000\\c0\\c0;}\n\\paperw11900\\paperh16840\\margl1440"
            "\\margr1440\\vieww11520\\viewh8400\\viewkind0\n\\pard\\tx566\\pardirnatural\\partightenfactor0\n"
            "\n"
            "\\f0\\fs24 \\cf2 rojo\\\n\\cf0 negro \\'f1}");
        QCOMPARE(mac.plainText(), QString::fromUtf8("rojo\r\nnegro ñ"));
        QCOMPARE(mac.colourAt(0), Colour::fromRgb(251, 0, 7));
        QCOMPARE(mac.colourAt(6), colours::Black);
        // WordPad (RichEdit): generator, \nouicompat, colour switched back to automatic.
        const RichText pad =
            read("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil"
                 "\\fcharset0 Calibri;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n{\\*\\generator "
                 "Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\sa200\\sl276\\slmult1\\cf1\\f0\\fs22"
                 "\\lang9 Hola\\cf0  mundo\\par\r\n}\r\n\0");
        QCOMPARE(pad.plainText(), QStringLiteral("Hola mundo\r\n"));
        QCOMPARE(pad.colourAt(0), Colour::fromRgb(255, 0, 0));
        QCOMPARE(pad.colourAt(4), colours::Black);
        // Word: list text kept, \upr takes its Unicode version, hidden text and
        // revision tables left out, a bookmark skipped.
        const RichText word = read(
            "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0{\\fonttbl{\\f0\\fbidi \\froman"
            "\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}}{\\colortbl;\\red0\\green0"
            "\\blue0;\\red0\\green0\\blue255;}{\\*\\rsidtbl \\rsid1}{\\*\\listtable{\\list{\\listlevel"
            "{\\leveltext\\'01\\u-3913 ?;}}}}\\pard\\plain {\\listtext\\pard\\plain \\f3 \\loch\\af3\\dbch"
            "\\af31505\\hich\\f3 \\'b7\\tab}\\ls1 {\\cf2 uno}{\\*\\bkmkstart x}{\\v oculto}{\\*\\bkmkend x}"
            "\\par {\\upr{dos}{\\*\\ud{\\u1076\\'3f\\u1074\\'3f\\u1072 a}}}\\par}");
        QCOMPARE(word.plainText(), QString::fromUtf8("·\tuno\r\nдва\r\n"));
        QCOMPARE(word.colourAt(2), Colour::fromRgb(0, 0, 255));
    }
    void truncatedDocumentsKeepWhatWasRead() {
        RichText full;
        for (int i = 0; i < 30; ++i)
            full.append(char32_t(i % 3 == 0   ? U'é'
                                 : i % 3 == 1 ? U'"'
                                              : U'\U0001F600'),
                        Colour(0x010203u * i));
        full.appendLineBreak();
        full.append(U'z', Red);
        const QByteArray rtf = writeRtf(full);
        const QString plain = full.plainText();
        for (qsizetype cut = 5; cut < rtf.size(); ++cut) {
            Result<RichText> t = readRtf(rtf.first(cut));
            QVERIFY2(t, qPrintable(QString::number(cut)));
            QVERIFY(t->size() <= full.size());
            // Cutting right before a token leaves a prefix of the text.
            const char next = rtf[cut];
            if (next == '\\' || next == '}') {
                // A high surrogate cut from its low half ends as U+FFFD.
                int n = t->size();
                if (n > 0 && t->charAt(n - 1) == 0xFFFD) --n;
                for (int p = 0; p < n; ++p) {
                    QCOMPARE(t->charAt(p), full.charAt(p));
                    QCOMPARE(t->colourAt(p), full.colourAt(p));
                }
            }
        }
    }
    // What a bad paste or file reports: one Spanish line.
    void errorsAreOneLine_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("why");
        const QString notRtf = QStringLiteral("El archivo no es un documento RTF.");
        const QString deep = QStringLiteral("El archivo RTF está anidado demasiado.");
        const QString big = QStringLiteral("El archivo RTF es demasiado grande.");
        const auto nested = [](int depth) {
            return "{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "}";
        };
        const int any = kRtfMaxPositions;
        QTest::newRow("empty") << QByteArray() << any << notRtf;
        QTest::newRow("text") << QByteArray("hello") << any << notRtf;
        QTest::newRow("cut header") << QByteArray("{\\rt") << any << notRtf;
        QTest::newRow("no backslash") << QByteArray("{rtf1}") << any << notRtf;
        QTest::newRow("at the depth limit") << nested(kRtfMaxDepth) << any << deep;
        QTest::newRow("deep, unterminated") << "{\\rtf1\\" + QByteArray(100000, '{') << any << deep;
        QTest::newRow("one position too many") << QByteArray("{\\rtf1 abcd\\par ef}") << 7 << big;
        QTest::newRow("no room") << QByteArray("{\\rtf1 a}") << 0 << big;
        QTest::newRow("escaped bytes too many, then a word")
            << QByteArray("{\\rtf1 \\'e9\\'e9\\'e9\\b}") << 2 << big;
        QTest::newRow("escaped bytes too many, then a break")
            << QByteArray("{\\rtf1 \\'e9\\'e9\\'e9\\\n}") << 2 << big;
        QTest::newRow("fits") << QByteArray("{\\rtf1 abcd\\par ef}") << 8 << QString();
        QTest::newRow("just under the depth limit") << nested(kRtfMaxDepth - 1) << any << QString();
    }
    void errorsAreOneLine() {
        QFETCH(QByteArray, rtf);
        QFETCH(int, limit);
        QFETCH(QString, why);
        QCOMPARE(readRtf(rtf, limit).why(), why);
    }
};

TORVO_TEST(RtfReaderTest)
#include "RtfReaderTest.moc"
