#include "TestRegistry.h"
#include "files/AnsiFile.h"
#include "files/AnsiReader.h"
#include "files/HtmlExport.h"
#include "files/Sauce.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <tuple>

using namespace torvo;

// ANSI art files written in both kinds and read back through the terminal.
namespace {
const Palette P;

QStringList linesOf(const RichText& t) {
    QStringList lines = t.plainText().split(QStringLiteral("\r\n"));
    if (t.endsWithLineBreak()) lines.removeLast();
    return lines;
}

// The colours of the characters that are not spaces, line by line.
QList<QList<Colour>> inksOf(const RichText& t) {
    QList<QList<Colour>> inks(1);
    for (int p = 0; p < t.size(); ++p) {
        if (t.charAt(p) == RichText::LF) inks.append(QList<Colour>());
        if (!t.isLineBreak(p) && t.charAt(p) != U' ') inks.back().append(t.colourAt(p));
    }
    if (t.endsWithLineBreak()) inks.removeLast();
    return inks;
}

// The art of a file played to the end (nothing calls it off).
Result<AnsiArt> play(const QByteArray& file, const Palette& palette = P,
                     int maxPositions = kRtfMaxPositions) {
    return *readAnsiArt(file, palette, maxPositions);
}

RichText read(const QByteArray& file, const Palette& palette = P) {
    const Result<AnsiArt> art = play(file, palette);
    return art ? art->text : RichText();
}

// Random rows of Spanish letters, blocks and box drawing in every coded colour; no row
// ends in a space, the last one has a character.
RichText randomArt(QRandomGenerator& rng, int maxCols, int rows) {
    static const QString Chars = QStringLiteral("aZ09#@ ñÑáéíóúü¿¡█▀▄▌▐░▒▓─│┌┐└┘├┤┬┴┼═║╔╗╚╝   ");
    RichText art;
    for (int r = 0; r < rows; ++r) {
        const int cols = int(rng.bounded(r == rows - 1 ? 1 : 0, maxCols + 1));
        QString line;
        for (int c = 0; c < cols; ++c)
            line += Chars[rng.bounded(int(Chars.size()))];
        while (line.endsWith(u' '))
            line.chop(1);
        for (const QChar ch : line) {
            int entry = int(rng.bounded(15));
            art.append(ch.unicode(), P[entry >= 8 ? entry + 1 : entry]);
        }
        art.appendLineBreak();
    }
    return art;
}

QByteArray withSauce(const QByteArray& content, quint16 width) {
    SauceRecord r;
    r.tInfo1 = width;
    return content + '\x1a' + encodeSauce(r);
}
} // namespace

class AnsiArtTest : public QObject {
    Q_OBJECT
private slots:
    void bothKindsGiveTheArtBack() {
        QRandomGenerator rng(17);
        for (int round = 0; round < 20; ++round) {
            // Code page 437 carries its width, so wide art comes back whole; without it a
            // terminal wraps at 80 columns. 40 rows scroll past the 25 of the screen.
            const std::pair<AnsiKind, int> kinds[] = {{AnsiKind::CodePage437, 150}, {AnsiKind::Utf8, 80}};
            for (const auto& [kind, maxCols] : kinds) {
                const RichText art = randomArt(rng, maxCols, 40);
                const std::optional<AnsiFile> file =
                    encodeAnsiFile(art, P, kind, "art.ans", QDate(2024, 5, 1));
                QVERIFY(file && file->missing == 0);
                const RichText back = read(file->bytes);
                QCOMPARE(linesOf(back), linesOf(art));
                QCOMPARE(inksOf(back), inksOf(art));
            }
        }
    }

    void missingCharactersAreCountedAndWrittenAsQuestionMarks() {
        RichText art;
        art.appendText(u"Ñ€▒→😀", P[3]);
        const std::optional<AnsiFile> file =
            encodeAnsiFile(art, P, AnsiKind::CodePage437, "/tmp/dibujo.v2.ans", QDate(2024, 5, 1));
        QCOMPARE(file->missing, 3);
        QVERIFY(file->bytes.startsWith("\x1b[1;33m\xA5?\xB1??\x1b[0m\x1a"));
        const SauceSplit split = splitSauce(file->bytes);
        QVERIFY(split.record);
        QCOMPARE(split.record->title, QByteArray("dibujo.v2"));
        QCOMPARE(split.record->tInfo1, 5);
        QCOMPARE(split.record->tInfo2, 1);
        QCOMPARE(linesOf(read(file->bytes)), QStringList{QStringLiteral("Ñ?▒??")});
        QCOMPARE(missingCharactersNote(3), QStringLiteral("3 caracteres no existen en la página 437: "
                                                          "se escribieron como «?»."));
        QCOMPARE(encodeAnsiFile(art, P, AnsiKind::Utf8, "x.ans", QDate())->missing, 0);
    }

    // Both kinds leave the terminal in its own colours: the text ends in a reset, before
    // the closing line break (and the end-of-file byte of code page 437).
    void textEndsInAReset_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("art");
        QTest::addColumn<QByteArray>("ending");
        const int utf8 = int(AnsiKind::Utf8), cp437 = int(AnsiKind::CodePage437);
        QTest::newRow("UTF-8") << utf8 << "AB\r\nC" << QByteArray("\x1b[1;37mAB\r\n\x1b[1;37mC\x1b[0m\r\n");
        QTest::newRow("UTF-8, final line break")
            << utf8 << "AB\r\nC\r\n"
            << QByteArray("\x1b[1;37mAB\r\n\x1b[1;37mC\r\n\x1b[1;37m\x1b[0m\r\n");
        QTest::newRow("UTF-8, empty") << utf8 << "" << QByteArray("\x1b[0m\r\n");
        QTest::newRow("code page 437") << cp437 << "AB\r\nC" << QByteArray("C\x1b[0m\r\n\x1a");
        QTest::newRow("code page 437, final line break") << cp437 << "AB\r\nC\r\n"
                                                         << QByteArray("C\r\n\x1b[1;37m\x1b[0m\r\n\x1a");
        QTest::newRow("code page 437, empty") << cp437 << "" << QByteArray("\x1b[0m\r\n\x1a");
    }
    void textEndsInAReset() {
        QFETCH(int, kind);
        QFETCH(QString, art);
        QFETCH(QByteArray, ending);
        RichText t;
        t.appendText(art, P[0]);
        QByteArray bytes = encodeAnsiFile(t, P, AnsiKind(kind), "x.ans", QDate(2024, 5, 1))->bytes;
        if (AnsiKind(kind) == AnsiKind::CodePage437) bytes.chop(SauceRecord::Size);
        QVERIFY2(bytes.endsWith(ending), bytes.toPercentEncoding().constData());
        if (AnsiKind(kind) == AnsiKind::Utf8) QCOMPARE(bytes, ending);
    }

    // ANSI art viewers wrap as soon as a row reaches the SAUCE width, so code page 437 writes
    // no line break after a full row; an empty row after one is a space, which brings a
    // viewer and a terminal (wrapping at the next character) to the same row. Every file
    // opens as its art again.
    void fullRowsWrapByThemselves_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("art");
        QTest::addColumn<QByteArray>("text"); // W: white, R: reset
        const int utf8 = int(AnsiKind::Utf8), cp437 = int(AnsiKind::CodePage437);
        QTest::newRow("full, then short") << cp437 << "xxx\r\ny" << QByteArray("WxxxWyR\r\n");
        QTest::newRow("full last row") << cp437 << "y\r\nxxx" << QByteArray("Wy\r\nWxxxR");
        QTest::newRow("final line break") << cp437 << "ab\r\nxxx\r\n" << QByteArray("Wab\r\nWxxxWR\r\n");
        QTest::newRow("empty row after a full one")
            << cp437 << "xxx\r\n\r\ny" << QByteArray("Wxxx W\r\nWyR\r\n");
        QTest::newRow("one column") << cp437 << "x\r\n\r\n\r\ny" << QByteArray("Wx W WWyR");
        QTest::newRow("short rows only") << cp437 << "\r\n\r\n" << QByteArray("W\r\nW\r\nWR\r\n");
        QTest::newRow("UTF-8 keeps the line break") << utf8 << "xxx\r\ny" << QByteArray("Wxxx\r\nWyR\r\n");
        // Codes typed into the art take no column on the screen.
        QTest::newRow("typed codes") << cp437 << "<red>x\r\nyy" << QByteArray("W\x1b[1;31mx\r\nWyyR\r\n");
    }
    void fullRowsWrapByThemselves() {
        QFETCH(int, kind);
        QFETCH(QString, art);
        QFETCH(QByteArray, text);
        RichText t;
        t.appendText(art, P[0]);
        QByteArray bytes = encodeAnsiFile(t, P, AnsiKind(kind), "x.ans", QDate(2024, 5, 1))->bytes;
        if (AnsiKind(kind) == AnsiKind::CodePage437) text += '\x1a' + bytes.right(SauceRecord::Size);
        QCOMPARE(bytes, text.replace("W", "\x1b[1;37m").replace("R", "\x1b[0m"));
        // Read back by both players; typed codes are not read back as text, nor empty rows at the end.
        if (art.contains(u'<') || t.plainText().trimmed().isEmpty()) return;
        for (const bool plain : {true, false})
            QCOMPARE(linesOf((*readAnsiArt(bytes, P, kRtfMaxPositions, {}, plain))->text), linesOf(t));
    }

    // What a terminal shows for each file.
    void playedAsATerminal_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("lines");
        const QString x80(80, u'x');
        QTest::newRow("cursor forward") << QByteArray("ab\x1b[5Ccd") << QStringList{"ab     cd"};
        QTest::newRow("saved cursor")
            << QByteArray("ab\x1b[s\r\n\r\nxy\x1b[uZ") << QStringList{"abZ", "", "xy"};
        QTest::newRow("clear, then home") << QByteArray("one\r\ntwo\x1b[2J\x1b[Hx") << QStringList{"x"};
        QTest::newRow("clear keeps the cursor") << QByteArray("abc\x1b[2Jd") << QStringList{"   d"};
        QTest::newRow("position") << QByteArray("\x1b[3;5Hx") << QStringList{"", "", "    x"};
        QTest::newRow("deleted and inserted") << QByteArray("abcd\x1b[2G\x1b[P\x1b[@") << QStringList{"a cd"};
        QTest::newRow("erase to the end") << QByteArray("abcdef\x1b[3D\x1b[K") << QStringList{"abc"};
        QTest::newRow("wrap at 80") << QByteArray(85, 'x') << QStringList{x80, "xxxxx"};
        QTest::newRow("80 and a line end") << QByteArray(80, 'x') + "\r\ny" << QStringList{x80, "y"};
        QTest::newRow("SAUCE width") << withSauce(QByteArray(15, 'x'), 10)
                                     << QStringList{"xxxxxxxxxx", "xxxxx"};
        QTest::newRow("bare line feed") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("line feed after the only column") << withSauce("a\nb", 1) << QStringList{"a", "b"};
        QTest::newRow("tab") << QByteArray("a\tb") << QStringList{"a       b"};
        QTest::newRow("code page 437") << QByteArray("\xA5\xB1\xC4\x82") << QStringList{"Ñ▒─é"};
        QTest::newRow("UTF-8") << QByteArray("Ñ▒─é") << QStringList{"Ñ▒─é"};
        QTest::newRow("wide character") << QByteArray("漢x") << QStringList{"漢x"};
        QTest::newRow("overwritten") << QByteArray("xy\x1b[1Gz") << QStringList{"zy"};
        QTest::newRow("wide characters wrap at 80")
            << QByteArray("漢").repeated(40) + "x" << QStringList{QString(40, u'漢'), "x"};
        QTest::newRow("wide character overwritten") << QByteArray("漢y\x1b[1Gz") << QStringList{"z y"};
        QTest::newRow("combining marks") << QByteArray("e\xCC\x81\xCC\xA7x") << QStringList{"e\u0301\u0327x"};
        QTest::newRow("end-of-file byte") << QByteArray("ab\x1a"
                                                        "cd")
                                          << QStringList{"ab"};
        QTest::newRow("blanks at the ends") << QByteArray("\r\nab   \r\n\r\n\r\n") << QStringList{"", "ab"};
        QTest::newRow("rows above the screen")
            << QByteArray("a\r\n").repeated(30) + "\x1b[Hb"
            << QStringList(6, "a") + QStringList{"b"} + QStringList(23, "a");
        QTest::newRow("cut escape") << QByteArray("ab\x1b[3") << QStringList{"ab"};
        QTest::newRow("space as an intermediate") << QByteArray("a\x1b[2 qb") << QStringList{"ab"};
        // Beyond what libvterm 0.1.4 can take: it wrote past its array of 16 parameters, and
        // looped for ever on a repeat with nothing to repeat.
        QTest::newRow("many parameters") << "\x1b[" + QByteArray(40, ';') + "1;31mab" << QStringList{"ab"};
        QTest::newRow("repeat before any character") << QByteArray("\x1b[4bab") << QStringList{"ab"};
        QTest::newRow("escape before a character") << QByteArray("\x1b\xCD[4bab") << QStringList{"═[4bab"};
        QTest::newRow("repeat after a cut sequence") << QByteArray("\x1b[\x1b[bab") << QStringList{"ab"};
        QTest::newRow("intermediate before the bracket")
            << "\x1b#[" + QByteArray(40, ':') + "mab" << QStringList{"ab"};
        QTest::newRow("huge count") << QByteArray("\x1b[99999999999999999999999Cx")
                                    << QStringList{QString(79, u' ') + "x"};
        QTest::newRow("cut character") << QByteArray("ab\xE2\x96") << QStringList{"abΓû"};
    }
    void playedAsATerminal() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, lines);
        QCOMPARE(linesOf(read(file)), lines);
    }

    // The palette entry of each character, after its colour sequences.
    void coloursWithBoldAsBright() {
        const std::pair<const char*, int> cases[] = {
            {"\x1b[1;31m", 2},       {"\x1b[0;31m", 10},
            {"\x1b[31m\x1b[1m", 2},  {"\x1b[1;31m\x1b[22m", 10},
            {"\x1b[91m", 2},         {"\x1b[0m", 9},
            {"\x1b[1m", 0},          {"\x1b[1;30m", 1},
            {"\x1b[30m", 8},         {"\x1b[1;34m", 6},
            {"\x1b[0;36m", 13},      {"\x1b[7m", 14},
            {"\x1b[38;5;9m", 2},     {"\x1b[38;2;255;0;0m", 2},
            {"\x1b[31m\x1b[39m", 9}, {"\x1b[1;31m\x1b[39m", 0},
        };
        for (const auto& [sequence, entry] : cases) {
            const RichText t = read(QByteArray(sequence) + "\x1b[44mX");
            QVERIFY2(t.size() == 3 && t.colourAt(0) == P[entry], sequence + 1);
        }
        // The window's own palette decides: entry 2 may be dark red.
        Palette dark;
        dark.toggleEntry2();
        QCOMPARE(read("\x1b[1;31mX", dark).colourAt(0), Palette::DarkRed);
    }

    void backgroundsAreCounted_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("cells");
        QTest::newRow("two characters") << QByteArray("\x1b[44mab\x1b[0m cd") << 2;
        QTest::newRow("black") << QByteArray("\x1b[40mab") << 0;
        QTest::newRow("green by its RGB") << QByteArray("\x1b[48;2;0;255;0mab") << 2;
        QTest::newRow("bright black") << QByteArray("\x1b[100mab") << 2;
        QTest::newRow("erased row") << QByteArray("\x1b[41m\x1b[2K\x1b[0mx") << 79;
        QTest::newRow("reverse video") << QByteArray("\x1b[7mab") << 2;
        QTest::newRow("empty rows at the end") << QByteArray("x\r\n\x1b[44m\x1b[2K") << 0;
    }
    void backgroundsAreCounted() {
        QFETCH(QByteArray, file);
        QFETCH(int, cells);
        QCOMPARE(play(file)->backgroundCells, cells);
    }

    // Handed over in pieces as the rows become final, the picture and its page are those of
    // the whole, also when the state machine takes over after pieces went out.
    void streamedPictureIsTheWholeOne() {
        QByteArray rows;
        for (int r = 0; r < 40; ++r)
            rows += "\x1b[" + QByteArray::number(r % 2) + ";3" + QByteArray::number(r % 8) + "m" +
                    QByteArray(r % 5 == 0 ? 0 : r, 'x') + " <&>\r\n" + (r % 7 == 0 ? "\r\n\r\n" : "");
        const std::pair<const char*, QByteArray> files[] = {
            {"plain", rows},
            {"state machine after handed rows", rows + "\x1b[sab\x1b[uZ\r\n" + rows},
            {"state machine from the start", "\x1b[2C" + rows},
            {"too big", rows.repeated(4)},
        };
        for (const auto& [name, file] : files) {
            const Result<AnsiArt> whole = *readAnsiArt(file, P, 3000);
            for (const qsizetype piece : {1, 300}) {
                QByteArray page;
                QBuffer device(&page);
                device.open(QIODevice::WriteOnly);
                HtmlPageWriter writer(device);
                RichText joined;
                const PictureStream stream{[&](const RichText& t) {
                                               joined.replace(joined.size(), 0, t);
                                               return *writer.add(t);
                                           },
                                           piece};
                const Result<AnsiArt> streamed = *readAnsiArt(file, P, 3000, {}, true, &stream);
                QVERIFY2(streamed.why() == whole.why() && streamed.ok() == (name != QLatin1String("too big")),
                         name);
                if (!streamed) continue;
                QVERIFY2(joined.positions() == whole->text.positions() && streamed->text.isEmpty(), name);
                QVERIFY(writer.finish());
                QVERIFY2(page == *htmlPageFile(whole->text), name);
            }
            // A piece that is not taken calls the read off.
            const PictureStream refusing{[](const RichText&) { return false; }, 1};
            QVERIFY2(!readAnsiArt(file, P, 3000, {}, true, &refusing), name);
        }
    }

    // Every field comes back from where other readers look for it.
    void sauceRecordFieldsRoundTrip() {
        const auto fields = [](const SauceRecord& x) {
            return std::tuple{x.title,  x.author, x.group,  x.date,   x.fileSize, x.dataType, x.fileType,
                              x.tInfo1, x.tInfo2, x.tInfo3, x.tInfo4, x.comments, x.flags,    x.tInfoS};
        };
        const SauceRecord r{"Título", "Autor", "Grupo", {2024, 5, 1}, 9, 2, 3, 400, 1000, 5, 6, 0, 7, "VGA"};
        const QByteArray bytes = encodeSauce(r);
        QCOMPARE(bytes.size(), SauceRecord::Size);
        QCOMPARE(fields(*splitSauce(bytes).record), fields(r));
    }

    void badInput() {
        // A SAUCE record that lies: comments that are not there, an absurd size and width.
        SauceRecord lying;
        lying.comments = 200;
        lying.fileSize = 0xFFFFFFFF;
        lying.tInfo1 = 0xFFFF;
        const Result<AnsiArt> art = play("ab\r\n" + encodeSauce(lying));
        QCOMPARE(linesOf(art->text), QStringList{"ab"});
        QCOMPARE(art->columns, AnsiMaxColumns);
        // A comment block that is there goes, also when nothing comes before it.
        SauceRecord noted;
        noted.comments = 1;
        const QByteArray comment = "COMNT" + QByteArray(64, 'c') + encodeSauce(noted);
        QCOMPARE(splitSauce("ab\x1a" + comment).content, QByteArray("ab"));
        QCOMPARE(splitSauce(comment).content, QByteArray());
        QCOMPARE(splitSauce(encodeSauce(noted)).content, QByteArray()); // a record alone
        // Art that ends in the word, with no comment block: the word stays.
        QCOMPARE(splitSauce("COMNT" + encodeSauce(SauceRecord{})).content, QByteArray("COMNT"));
        // The end-of-file byte ends the art wherever it stands, also first.
        QCOMPARE(splitSauce(QByteArray(1, '\x1a') + "after the end").content, QByteArray());
        // Too short to be a record: it is art.
        QCOMPARE(linesOf(read("SAUCE00ab")), QStringList{"SAUCE00ab"});

        QByteArray garbage(64 * 1024, Qt::Uninitialized);
        QRandomGenerator rng(3);
        for (char& b : garbage)
            b = char(rng.bounded(256));
        QVERIFY(play(garbage));

        // 20 MB: the picture passes the limit long before the end, and that is an error.
        QByteArray huge;
        const QByteArray line = "\x1b[1;31m" + QByteArray(70, '#') + "\r\n";
        while (huge.size() < 20 * 1024 * 1024)
            huge += line;
        QCOMPARE(play(huge, P, 2000 * 2002).why(),
                 QStringLiteral("El dibujo pasa de 4004000 caracteres: es demasiado grande para abrirlo."));
    }
};

TORVO_TEST(AnsiArtTest)
#include "AnsiArtTest.moc"
