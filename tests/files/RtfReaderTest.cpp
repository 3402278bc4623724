#include "files/RtfReader.h"
#include "TestRegistry.h"
#include "files/RtfWriter.h"

#include <QTest>

using namespace torvo;

namespace {

RichText read(const QByteArray& rtf) {
    Result<RichText> t = readRtf(rtf);
    if (!t) {
        qWarning("readRtf failed: %s", qPrintable(t.why()));
        return RichText();
    }
    return *t;
}

QString textOf(const QByteArray& rtf) {
    return read(rtf).plainText();
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
    void readsTextColoursAndBreaks() {
        const RichText t = read("{\\rtf1\\ansi" + kColours + "\\cf1 ab\\cf2 c\\par\\cf3 d\\line e}");
        QCOMPARE(t.plainText(), QStringLiteral("abc\r\nd\r\ne"));
        QCOMPARE(t.colourAt(0), Red);
        QCOMPARE(t.colourAt(1), Red);
        QCOMPARE(t.colourAt(2), Green);
        QCOMPARE(t.colourAt(5), Blue);
        QCOMPARE(t.typingColour(), colours::White);
    }
    void automaticColourAndBadIndicesReadAsBlack() {
        // Entry 0 is the empty automatic entry; \cf9 points past the table.
        const RichText t = read("{\\rtf1" + kColours + "a\\cf1 b\\cf0 c\\cf9 d\\cf2\\plain e}");
        QCOMPARE(t.plainText(), QStringLiteral("abcde"));
        QCOMPARE(t.colourAt(0), colours::Black);
        QCOMPARE(t.colourAt(1), Red);
        QCOMPARE(t.colourAt(2), colours::Black);
        QCOMPARE(t.colourAt(3), colours::Black);
        QCOMPARE(t.colourAt(4), colours::Black);
        // No colour table at all.
        const RichText none = read("{\\rtf1\\cf3 x}");
        QCOMPARE(none.colourAt(0), colours::Black);
        // A first entry that is a real colour is taken as such.
        const RichText firstReal = read("{\\rtf1{\\colortbl\\red1\\green2\\blue3;}\\cf0 x}");
        QCOMPARE(firstReal.colourAt(0), Colour::fromRgb(1, 2, 3));
    }
    void groupsRestoreTheirState() {
        const RichText t = read("{\\rtf1" + kColours + "\\cf1 a{\\cf2 b{\\cf3 c}d}e}");
        QCOMPARE(t.plainText(), QStringLiteral("abcde"));
        const Colour expected[] = {Red, Green, Blue, Green, Red};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(t.colourAt(i), expected[i]);
    }
    void unicodeEscapesSkipTheirFallbacks() {
        QCOMPARE(textOf("{\\rtf1 \\u233?t\\u233 e}"), QString::fromUtf8("été"));
        // \uc2 with two hex escapes, \uc0 with none, a group end stops the skipping.
        QCOMPARE(textOf("{\\rtf1\\uc2 \\u26085\\'93\\'fa!}"), QString::fromUtf8("日!"));
        QCOMPARE(textOf("{\\rtf1\\uc0 \\u26085!}"), QString::fromUtf8("日!"));
        QCOMPARE(textOf("{\\rtf1{\\uc3 \\u26085 a}bc}"), QString::fromUtf8("日bc"));
        // \uc is scoped to its group.
        QCOMPARE(textOf("{\\rtf1{\\uc0 x}\\u26085 ab}"), QString::fromUtf8("x日b"));
        // A negative value is the signed 16-bit form.
        QCOMPARE(textOf("{\\rtf1\\u-3916?}"), QString(QChar(0xF0B4)));
        // A control word in the fallback counts as one character.
        QCOMPARE(textOf("{\\rtf1\\u233\\emdash x}"), QString::fromUtf8("éx"));
    }
    void surrogatePairsJoinAndLoneHalvesBecomeReplacement() {
        const RichText t = read("{\\rtf1\\u-10179?\\u-8704?}");
        QCOMPARE(t.size(), 1);
        QCOMPARE(t.charAt(0), char32_t(0x1F600));
        QCOMPARE(textOf("{\\rtf1 a\\u-10179?b}"), QString::fromUtf8("a\uFFFDb"));
        QCOMPARE(textOf("{\\rtf1 a\\u-8704?b}"), QString::fromUtf8("a\uFFFDb"));
        QCOMPARE(textOf("{\\rtf1 a\\u-10179?}"), QString::fromUtf8("a\uFFFD"));
        QCOMPARE(textOf("{\\rtf1\\u-10179?\\u-10179?\\u-8704?}"), QString::fromUtf8("\uFFFD\U0001F600"));
        QCOMPARE(textOf("{\\rtf1\\u-10179?\\par}"), QString::fromUtf8("\uFFFD\r\n"));
    }
    void hexEscapesFollowTheCodePage() {
        // Windows-1252 without \ansicpg: 0x80 is the euro sign, 0x93 a curly quote.
        QCOMPARE(textOf("{\\rtf1\\ansi \\'80\\'93\\'e9\\'22}"), QString::fromUtf8("€“é\""));
        QCOMPARE(textOf("{\\rtf1 \\'80}"), QString::fromUtf8("€"));
        QCOMPARE(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"),
                 QString::fromUtf8("Привет"));
        // A font with a Cyrillic charset overrides the document's code page.
        QCOMPARE(textOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}"
                        "\\'e9{\\f1 \\'e9}}"),
                 QString::fromUtf8("éй"));
        // Double-byte code page: the two bytes of one character decode together.
        QCOMPARE(textOf("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}"), QString::fromUtf8("日本"));
        // Raw 8-bit bytes in the source use the code page too.
        QCOMPARE(textOf(QByteArray("{\\rtf1\\ansi\\ansicpg1251 ") + char(0xC4) + "}"),
                 QString::fromUtf8("Д"));
    }
    void binaryDataIsSkippedByItsLength() {
        QCOMPARE(textOf("{\\rtf1 a{\\*\\blob\\bin4 }{\\}}b}"), QStringLiteral("ab"));
        QCOMPARE(textOf("{\\rtf1 a\\bin3 {}\\b}"), QStringLiteral("ab"));
        // A length beyond the data ends the document quietly.
        QCOMPARE(textOf("{\\rtf1 a\\bin999999999 xyz}"), QStringLiteral("a"));
        QCOMPARE(textOf("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
    }
    void unknownDestinationsAreSkippedWhole() {
        const QByteArray doc = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}" + kColours +
                               "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                               "{\\*\\generator Gen;}{\\*\\unknownthing {nested} text}"
                               "{\\header head}{\\footerr foot}{\\pict\\pngblip 89504e47}"
                               "{\\object{\\*\\objdata 0102}{\\result res}}"
                               "x{\\footnote note}y{\\*\\bkmkstart b}z{\\v hidden}w\\~\\_\\-v\\emdash\\endash"
                               "\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}";
        QCOMPARE(textOf(doc), QString::fromUtf8("xyzw\u00A0\u2011v—–‘’“”•"));
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
    void tabsSymbolsAndEscapedSpecials() {
        QCOMPARE(textOf("{\\rtf1 a\\tab b\tc\\{\\}\\\\}"), QStringLiteral("a\tb\tc{}\\"));
        // Source line breaks are not text; a backslash before one is a paragraph.
        QCOMPARE(textOf("{\\rtf1 a\r\nb\\\nc}"), QStringLiteral("ab\r\nc"));
        QCOMPARE(textOf("{\\rtf1\\pard a\\cell b\\cell\\row c}"), QStringLiteral("a\tb\t\r\nc"));
    }
    void theLastLineIsAsTheDocumentHasIt() {
        QCOMPARE(textOf("{\\rtf1 a\\par b}"), QStringLiteral("a\r\nb"));
        QCOMPARE(textOf("{\\rtf1 a\\par b\\par}"), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(textOf("{\\rtf1 }"), QString());
        // Whatever follows the closing brace is not part of the document.
        QCOMPARE(textOf(QByteArray("{\\rtf1 a}b\r\n\0", 13)), QStringLiteral("a"));
    }
    void rejectsWhatIsNotRtf() {
        for (const QByteArray& bad :
             {QByteArray(), QByteArray("hello"), QByteArray("{\\rt"), QByteArray("{rtf1}")}) {
            QCOMPARE(readRtf(bad).why(), QStringLiteral("El archivo no es un documento RTF."));
        }
        QVERIFY(!readRtf("x"));
    }
    void nestingIsBounded() {
        const int limit = kRtfMaxDepth;
        auto nested = [](int depth) {
            return "{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "}";
        };
        QCOMPARE(textOf(nested(limit - 1)), QStringLiteral("x"));
        for (int depth : {limit, 100000}) {
            QCOMPARE(readRtf(nested(depth)).why(), QStringLiteral("El archivo RTF está anidado demasiado."));
        }
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
    void outputIsBounded() {
        const QByteArray doc = "{\\rtf1 abcd\\par ef}";
        QCOMPARE(readRtf(doc, 8)->plainText(), QStringLiteral("abcd\r\nef"));
        for (int limit : {7, 5, 2, 0}) {
            QCOMPARE(readRtf(doc, limit).why(), QStringLiteral("El archivo RTF es demasiado grande."));
        }
    }
    void extremeParametersAreHarmless() {
        QCOMPARE(textOf("{\\rtf1\\uc99999999999999 \\u99999999999 abc\\cf-5 d\\cf99999999999 e}"),
                 QString(QChar(0xFFFD)));
        QCOMPARE(textOf("{\\rtf1\\u-99999 x\\ansicpg99999 \\'e9}"), QString::fromUtf8("\uFFFDé"));
        const QByteArray longWord = "{\\rtf1\\" + QByteArray(100000, 'a') + " x}";
        QCOMPARE(textOf(longWord), QStringLiteral("x"));
    }
};

TORVO_TEST(RtfReaderTest)
#include "RtfReaderTest.moc"
