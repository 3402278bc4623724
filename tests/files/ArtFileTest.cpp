#include "files/ArtFile.h"
#include "TestRegistry.h"
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

#include <QRandomGenerator>
#include <QTest>

using namespace torvo;

namespace {

// Characters that stress the own format: RTF specials, the file's quote, the fallback
// character, control bytes, letters outside ASCII, box drawing, blocks and emoji.
const char32_t kPool[] = {U'a',    U'Z',     U'0',   U' ',   U'"',   U'{',   U'}',   U'\\',  U'\t',  U'?',
                          U';',    U'\'',    U',',   U'ñ',   U'é',   U'Ü',   U'ß',   U'Ж',   U'λ',   U'€',
                          U'─',    U'│',     U'┌',   U'╬',   U'█',   U'▓',   U'░',   U'▄',   U'日',  0x1F600,
                          0x1F3A8, 0x10FFFD, 0xFFFD, 0x00A0, 0x0001, 0x0000, 0x007F, 0x0080, 0xFFFF, 0x8000};

RichText randomArt(QRandomGenerator& rng) {
    RichText t;
    const int paletteSize = 1 + int(rng.bounded(40));
    std::vector<Colour> palette;
    for (int i = 0; i < paletteSize; ++i)
        palette.push_back(Colour(rng.generate() & 0xFFFFFF));
    const int length = int(rng.bounded(300));
    for (int i = 0; i < length; ++i) {
        if (rng.bounded(12) == 0) {
            t.appendLineBreak();
            continue;
        }
        t.append(kPool[rng.bounded(int(std::size(kPool)))], palette[rng.bounded(paletteSize)]);
    }
    return t;
}

RichText terminated(RichText t) {
    if (!t.isEmpty() && !t.endsWithLineBreak()) t.appendLineBreak();
    return t;
}

} // namespace

class ArtFileTest : public QObject {
    Q_OBJECT
private slots:
    // The own format keeps every character and colour in a quoted ASCII line; the text
    // format keeps every character, in white.
    void randomArtSurvivesBothFormats() {
        QRandomGenerator rng(7);
        for (int round = 0; round < 400; ++round) {
            const RichText art = randomArt(rng);
            const QByteArray file = encodeArtFile(art, SaveFormat::Own);
            QVERIFY(file.startsWith("\"{\\rtf1\\") && file.endsWith("}\"\r\n"));
            const QByteArray payload = file.sliced(1, file.size() - 4);
            QVERIFY(!payload.contains('"'));
            for (char b : payload)
                QVERIFY2(uchar(b) < 0x80 && (uchar(b) >= 0x20 || b == '\r' || b == '\n'),
                         payload.constData());
            const Result<LoadedArt> loaded = decodeArtFile(file);
            QVERIFY2(loaded && loaded->rich, qPrintable(loaded.why()));
            QVERIFY(loaded->text == art);
            QCOMPARE(loaded->text.typingColour(), colours::White);

            const QByteArray textFile = encodeArtFile(art, SaveFormat::Text);
            QCOMPARE(textFile, '"' + art.plainText().toUtf8() + "\"\r\n");
            const Result<LoadedArt> text = decodeArtFile(textFile);
            QVERIFY(text);
            if (art.plainText().startsWith(u"{\\rtf1\\")) continue;
            QVERIFY(text && !text->rich);
            QCOMPARE(text->text.plainText(), terminated(art).plainText());
            for (int p = 0; p < text->text.size(); ++p)
                QCOMPARE(text->text.colourAt(p), colours::White);
        }
    }
    void emptyArt() {
        const RichText empty;
        QCOMPARE(encodeArtFile(empty, SaveFormat::Text), QByteArray("\"\"\r\n"));
        for (SaveFormat f : {SaveFormat::Text, SaveFormat::Own}) {
            const Result<LoadedArt> loaded = decodeArtFile(encodeArtFile(empty, f));
            QVERIFY(loaded && loaded->text.isEmpty());
        }
        const Result<LoadedArt> nothing = decodeArtFile(QByteArray());
        QVERIFY(nothing && nothing->text.isEmpty() && !nothing->rich);
    }
    void formatFollowsTheLastThreeCharacters() {
        for (const char* own : {"/home/u/ART.Qcg", "x.QCG", "fooqcg", "qcg"})
            QVERIFY2(formatForPath(QString::fromLatin1(own)) == SaveFormat::Own, own);
        for (const char* text : {"noext", "art.txt", "art.qcg.txt", "cg", ""})
            QVERIFY2(formatForPath(QString::fromLatin1(text)) == SaveFormat::Text, text);
    }
    void plainTextOpensUnchanged() {
        // Commas, leading spaces and quotes are part of the art.
        const Result<LoadedArt> a = decodeArtFile("a, b\r\n  \"c\", d");
        QVERIFY(a && !a->rich);
        QCOMPARE(a->text.plainText(), QStringLiteral("a, b\r\n  \"c\", d\r\n"));
        // Every line ending becomes CR LF and the last line is terminated.
        // Every line ending becomes CR LF and the last line is terminated; of the quoted
        // shape only the outer quotes go; what is not of that shape is taken whole.
        const std::pair<const char*, const char*> cases[] = {
            {"1\n2\r3\r\n\n4", "1\r\n2\r\n3\r\n\r\n4\r\n"},
            {"x\r\n", "x\r\n"},
            {"\"say \"hi\", ok\"\r\n", "say \"hi\", ok\r\n"},
            {"\"q\"", "q\r\n"},
            {"\"open\r\n", "\"open\r\n"},
            {"\"a\" b\r\n", "\"a\" b\r\n"},
            {"\"\r\n", "\"\r\n"},
            {"\"", "\"\r\n"},
        };
        for (const auto& [file, opened] : cases)
            QCOMPARE(decodeArtFile(file)->text.plainText(), QString::fromLatin1(opened));
        for (int p = 0; p < a->text.size(); ++p)
            QCOMPARE(a->text.colourAt(p), colours::White);
        QCOMPARE(a->text.typingColour(), colours::White);
    }
    // Files that went through other editors or mail programs: the payload is what lies
    // between the first and the last quote, in both formats.
    void oddEndsAroundTheQuotes() {
        RichText art;
        art.appendText(QStringLiteral("a\"b"), Colour::fromRgb(200, 0, 0));
        art.appendLineBreak();
        art.appendText(QStringLiteral("c"), Colour::fromRgb(0, 0, 200));
        art.appendLineBreak();
        const QByteArray bom = "\xEF\xBB\xBF", signature = "\n-- \nMaría\n";
        const std::pair<QByteArray, QByteArray> ends[] = {
            {"", "\r\n"},     {"", ""},         {"", "\n"},     {"", "\r"},  {"", "   "},
            {"", " \t \r\n"}, {"", "\r\n\r\n"}, {"", "\n\n\n"}, {bom, "\n"}, {"", signature}};
        for (const auto& [head, tail] : ends) {
            const Result<LoadedArt> own = decodeArtFile(head + '"' + writeRtf(art) + '"' + tail);
            QVERIFY2(own && own->rich && own->text == art, tail.constData());
            const Result<LoadedArt> text = decodeArtFile(head + '"' + art.plainText().toUtf8() + '"' + tail);
            QVERIFY(text && !text->rich);
            // Text after the last quote: an RTF payload still holds all the art; a text file
            // is opened whole rather than lose that text.
            QCOMPARE(text->text.plainText(), tail == signature
                                                 ? QString::fromUtf8("\"a\"b\r\nc\r\n\"\r\n-- \r\nMaría\r\n")
                                                 : QStringLiteral("a\"b\r\nc\r\n"));
        }
    }
    void plainTextLosesNoByte() {
        // Valid UTF-8, NUL bytes included.
        const QByteArray utf8("\xE2\x96\x88\x00x", 5);
        QCOMPARE(decodeArtFile(utf8)->text.plainText(), QString::fromUtf8("█\0x\r\n", 7));
        // Not UTF-8: every byte becomes one Windows-1252 character.
        QByteArray bytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n') bytes.append(char(b));
        bytes.append('\0');
        const Result<LoadedArt> loaded = decodeArtFile(bytes);
        QVERIFY(loaded);
        QCOMPARE(loaded->text.size(), bytes.size() + 2);
        QCOMPARE(loaded->text.charAt(0), char32_t(1));
        QCOMPARE(loaded->text.charAt(0x80 - 3), char32_t(0x20AC));
        QCOMPARE(loaded->text.charAt(0x81 - 3), char32_t(0x81));
        QCOMPARE(loaded->text.charAt(0xE9 - 3), char32_t(0xE9));
        QCOMPARE(loaded->text.charAt(bytes.size() - 1), char32_t(0));
        // A UTF-8 byte order mark is not part of the art.
        QCOMPARE(decodeArtFile("\xEF\xBB\xBFok")->text.plainText(), QStringLiteral("ok\r\n"));
    }
    // Bytes no text holds mark a file that is none of the known shapes; it opens all the same.
    void filesOfNoKnownShapeAreNotRecognised() {
        const struct {
            QByteArray file;
            bool recognised;
        } cases[] = {
            {"plain\ttext\r\n\fpage\x1A", true},
            {"\x1B[31mcoloured\x1B[0m\r\n", true},
            {"\"own text file with \x01 inside\"\r\n", true},
            {QByteArray("a\0b", 3), false},
            {"x\x01", false},
            {"\x7F", false},
            {"\x85\x1F\xFF", false},
        };
        for (const auto& c : cases) {
            const Result<LoadedArt> loaded = decodeArtFile(c.file);
            QVERIFY(loaded);
            QVERIFY2(loaded->recognised == c.recognised, c.file.constData());
        }
    }
    void rtfFilesOpenWithTheirColours() {
        const QByteArray rtf = "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\cf1 \"R\"\\par}";
        for (const QByteArray& file : {rtf, '"' + rtf + "\"\r\n"}) {
            const Result<LoadedArt> loaded = decodeArtFile(file);
            QVERIFY(loaded && loaded->rich);
            QCOMPARE(loaded->text.plainText(), QStringLiteral("\"R\"\r\n"));
            QCOMPARE(loaded->text.colourAt(1), Colour::fromRgb(255, 0, 0));
        }
        // Only "{\rtf1\" marks rich text.
        QVERIFY(!decodeArtFile("{\\rtf1 plain}")->rich);
    }
    void unreadableRtfIsAnError() {
        QCOMPARE(decodeArtFile("{\\rtf1\\" + QByteArray(5000, '{') + "}").why(),
                 QStringLiteral("El archivo RTF está anidado demasiado."));
    }
    void writerOutput() {
        RichText t;
        t.appendText(u"ab", Colour::fromRgb(1, 2, 3));
        t.append(U'{', Colour::fromRgb(4, 5, 6));
        t.appendLineBreak();
        t.appendText(QString::fromUcs4(U"\"\té\U0001F600█x\x01y"), Colour::fromRgb(1, 2, 3));
        const QByteArray rtf = writeRtf(t);
        QVERIFY(rtf.startsWith("{\\rtf1\\"));
        QVERIFY(rtf.contains("{\\fonttbl{\\f0\\fmodern\\fcharset0 Lucida Console;}}"));
        QVERIFY(rtf.contains("{\\colortbl ;\\red1\\green2\\blue3;\\red4\\green5\\blue6;}"));
        QVERIFY(rtf.contains(
            "\\cf1 ab\\cf2 \\{\\par\r\n\\cf1 \\'22\\tab \\u233?\\u-10179?\\u-8704?\\u9608?{}x\\'01y}"));
        QVERIFY(rtf.endsWith('}'));
    }
    void longLinesAreBrokenInTheSource() {
        RichText t;
        for (int i = 0; i < 5000; ++i)
            t.append(U'x', Colour(i / 3));
        const QByteArray rtf = writeRtf(t);
        for (const QByteArray& line : rtf.split('\n'))
            QVERIFY(line.size() < 400);
        QCOMPARE(*readRtf(rtf), t);
    }
};

TORVO_TEST(ArtFileTest)
#include "ArtFileTest.moc"
