#include "TestRegistry.h"
#include "files/AnsiExport.h"
#include "files/AnsiFile.h"
#include "files/AnsiReader.h"
#include "files/BitmapExport.h"
#include "files/HtmlExport.h"
#include "files/RtfWriter.h"
#include "files/SaveArt.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>

using namespace torvo;

// The files the exports write, read back by the programs people open them with.
namespace {
const Palette P;

// What ansilove draws each coded palette entry in (classic text-mode colours: bold ones
// bright); entry 8 has no code.
const QRgb textModeRgb[16] = {0xFFFFFF, 0x555555, 0xFF5555, 0xFFFF55, 0x55FF55, 0x55FFFF, 0x5555FF, 0xFF55FF,
                              0,        0xAAAAAA, 0xAA0000, 0xAA5500, 0x00AA00, 0x00AAAA, 0x0000AA, 0xAA00AA};

// Four lines over every coded entry, with spaces between runs and leading spaces; under
// each character, its palette entry as a hex digit.
const char* const sampleLines[][2] = {
    {"AB  CD", "2200CC"}, {"EFGH", "66FF"}, {"  IJK", "44993"}, {"abcdefghijklmno", "012345679ABCDEF"}};

int sampleEntry(int row, int col) {
    return QByteArray(1, sampleLines[row][1][col]).toInt(nullptr, 16);
}

RichText sampleArt() {
    RichText t;
    for (int r = 0; r < 4; ++r) {
        if (r > 0) t.appendLineBreak();
        for (int col = 0; sampleLines[r][0][col]; ++col)
            t.append(char32_t(sampleLines[r][0][col]), P[sampleEntry(r, col)]);
    }
    return t;
}

bool haveProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// Runs a program to its end: its standard output, or nothing (its errors shown) when it failed.
std::optional<QByteArray> run(const QString& program, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("TMUX");
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return p.readAllStandardOutput();
    qWarning("%s: %s", qPrintable(program), p.readAllStandardError().constData());
    return std::nullopt;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A picture as ImageMagick reads it, handed over as PNG; a null image when it failed.
QImage readByImageMagick(const QString& path) {
    return QImage::fromData(run("/usr/bin/convert", {path, "png:-"}).value_or(""));
}

// The colours found in a rectangle of a picture, black left out.
QSet<QRgb> coloursIn(const QImage& image, const QRect& area) {
    QSet<QRgb> found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (const QRgb c = image.pixel(x, y) & 0xFFFFFF) found.insert(c);
    return found;
}

} // namespace

class RealReadersTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString ansPath_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const std::optional<QString> ansi = SalvarComoAnsi(sampleArt(), P);
        QVERIFY(ansi);
        ansPath_ = dir_.filePath("art.ans");
        QVERIFY(writeFile(ansPath_, encodeExport(*ansi)));
    }

    void ansiloveDrawsTheColours() {
        if (!haveProgram("ansilove")) QSKIP("ansilove is not installed");
        const QString png = dir_.filePath("art.png");
        QVERIFY(run("ansilove", {"-o", png, ansPath_}));
        const QImage pixels(png);
        QVERIFY(pixels.width() >= 15 * 8 && pixels.height() >= 4 * 16);
        // ansilove's cells are 8 x 16 pixels; each character's cell shows its colour alone, and
        // the spaces stay black.
        for (int r = 0; r < 4; ++r)
            for (int col = 0; sampleLines[r][0][col]; ++col)
                QCOMPARE(coloursIn(pixels, QRect(col * 8, r * 16, 8, 16)),
                         sampleLines[r][0][col] == ' ' ? QSet<QRgb>()
                                                       : QSet{textModeRgb[sampleEntry(r, col)]});
    }

    void ansiloveDrawsTheGlyphsAndReadsTheSauceRecord() {
        if (!haveProgram("ansilove")) QSKIP("ansilove is not installed");
        RichText t;
        t.appendText(u"Ñ▒─┼╔é█▀", P[0]);
        const QString ours = dir_.filePath("Dibujo largo.ans");
        QVERIFY(writeFile(ours, encodeAnsiFile(t, P, AnsiKind::CodePage437, ours, QDate(2024, 5, 1))->bytes));
        const QString info = QString::fromLatin1(run("ansilove", {"-s", ours}).value_or(""));
        for (const char* field : {"Title: Dibujo largo", "Date: 20240501", "Datatype: 1", "Filetype: 1",
                                  "Tinfo1: 8", "Tinfo2: 1", "Tinfos: IBM VGA"})
            QVERIFY2(info.contains(QLatin1String(field)), field);
        // The same art typed byte by byte from the code page's chart.
        const QString reference = dir_.filePath("reference.ans");
        QVERIFY(writeFile(reference, "\x1b[1;37m\xA5\xB1\xC4\xC5\xC9\x82\xDB\xDF\r\n"));
        QImage drawn[2];
        for (int i = 0; i < 2; ++i) {
            const QString png = dir_.filePath(QStringLiteral("glyphs%1.png").arg(i));
            QVERIFY(run("ansilove", {"-o", png, i == 0 ? ours : reference}));
            drawn[i] = QImage(png);
            QVERIFY(drawn[i].width() >= 8 * 8 && drawn[i].height() >= 16);
        }
        // The eight cells (8 x 16 pixels each) light the same pixels.
        QCOMPARE(drawn[0].copy(0, 0, 8 * 8, 16), drawn[1].copy(0, 0, 8 * 8, 16));
        // The full block is lit everywhere, the upper half block only in its upper half.
        QCOMPARE(drawn[0].pixel(6 * 8 + 3, 15) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(drawn[0].pixel(7 * 8 + 3, 2) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(drawn[0].pixel(7 * 8 + 3, 13) & 0xFFFFFF, 0u);
    }

    // Rows as wide as the art wrap by themselves: ansilove shows each row of the art once,
    // at the SAUCE record's width (-S) and at its own 80 columns.
    void ansiloveShowsEveryRowOnce_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("SAUCE width") << 8 << QStringList{"-S"};
        QTest::newRow("80 columns") << 80 << QStringList();
    }
    void ansiloveShowsEveryRowOnce() {
        if (!haveProgram("ansilove")) QSKIP("ansilove is not installed");
        QFETCH(int, width);
        QFETCH(QStringList, options);
        const QString full(width, u'#');
        RichText t;
        t.appendText(full + "\r\nab\r\n" + full + "\r\n\r\ncd", P[3]);
        const QString ans = dir_.filePath(QStringLiteral("rows%1.ans").arg(width));
        QVERIFY(writeFile(ans, encodeAnsiFile(t, P, AnsiKind::CodePage437, ans, QDate(2024, 5, 1))->bytes));
        const QString png = dir_.filePath(QStringLiteral("rows%1.png").arg(width));
        QVERIFY(run("ansilove", options + QStringList{"-o", png, ans}));
        const QImage pixels(png);
        QCOMPARE(pixels.height(), 5 * 16);
        for (int row = 0; row < 5; ++row)
            QVERIFY2(coloursIn(pixels, QRect(0, row * 16, 8, 16)).isEmpty() == (row == 3),
                     qPrintable(QString::number(row)));
    }

    void iconvReadsTheCodePage() {
        if (!haveProgram("iconv")) QSKIP("iconv is not installed");
        RichText t;
        t.appendText(u"ñÑáéíóúü¿¡ «»\r\nabc <xyz> ¬½¼\r\n", P[5]);
        t.appendText(u"█▀▄▌▐░▒▓ ─│┌┐└┘├┤┬┴┼═║╔╗╚╝ αßΓπΣµ°±·²", P[12]);
        const QByteArray file = encodeAnsiFile(t, P, AnsiKind::CodePage437, "x.ans", QDate())->bytes;
        const QString path = dir_.filePath("iconv.ans");
        QVERIFY(writeFile(path, file.first(file.indexOf('\x1a'))));
        // The last row, the widest, has no line break of its own in code page 437.
        QCOMPARE(run("iconv", {"-f", "CP437", "-t", "UTF-8", path}).value_or("") + "\r\n",
                 encodeAnsiFile(t, P, AnsiKind::Utf8, "x.ans", QDate())->bytes);
    }

    // Cursor movement, saved cursor, clears, the 80-column wrap and rows that scroll off
    // the top: what we open is what tmux shows for the same file.
    void tmuxShowsWhatIsOpened() {
        if (!haveProgram("tmux")) QSKIP("tmux is not installed");
        QByteArray file = "junk\r\n\x1b[2J\x1b[H"
                          "\x1b[1;33mtop\x1b[5Cgap\r\n"
                          "\x1b[s\x1b[0;36msaved\x1b[u\x1b[1;35mS\r\n"
                          "\x1b[0;32m" +
                          QByteArray(85, '#') +
                          "\r\n"
                          "\x1b[6;3H\x1b[1;34mpos\x1b[2A\x1b[4Dup\x1b[7;1H";
        for (int i = 0; i < 30; ++i)
            file += "\x1b[" + QByteArray::number(i % 2) + ";3" + QByteArray::number(1 + i % 7) + "mline " +
                    QByteArray::number(i) + " \xB1\xC4\r\n";
        file += "\x1b[0mend";
        const QString path = dir_.filePath("moves.ans");
        QVERIFY(writeFile(path, file));

        const QString conf = dir_.filePath("tmux.conf");
        // A screen clear erases, as in other terminals, rather than scrolling into history.
        QVERIFY(
            writeFile(conf, "set -g status off\nset -g scroll-on-clear off\nset -g history-limit 1000\n"));
        const QString socket = QStringLiteral("torvo-ansi-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(run("tmux", {"-L", socket, "-f", conf, "new-session", "-d", "-x", "80", "-y", "25",
                             "iconv -f CP437 -t UTF-8 '" + path + "'; sleep 60"}));
        QByteArray capture;
        for (int attempt = 0; attempt < 50 && !capture.contains("end"); ++attempt) {
            QThread::msleep(100);
            capture =
                run("tmux", {"-L", socket, "capture-pane", "-p", "-e", "-S", "-", "-E", "-"}).value_or("");
        }
        run("tmux", {"-L", socket, "kill-server"});
        QVERIFY(capture.contains("end"));

        const Result<AnsiArt> shown = *readAnsiArt(capture, P);
        const Result<AnsiArt> opened = *readAnsiArt(file, P);
        QVERIFY(shown && opened);
        QCOMPARE(opened->text.plainText(), shown->text.plainText());
        // The same colours, spaces aside: they show none.
        for (int p = 0; p < opened->text.size(); ++p)
            if (!opened->text.isLineBreak(p) && opened->text.charAt(p) != U' ')
                QCOMPARE(opened->text.colourAt(p), shown->text.colourAt(p));
        QVERIFY(opened->text.plainText().startsWith(QStringLiteral("top     gap\r\nSaved\r\n")) &&
                opened->text.plainText().contains(QStringLiteral("#up##\r\n\r\n  pos\r\nline 0 ▒─\r\n")));
    }

    void xmllintParsesThePageWithMarkupCharacters() {
        if (!haveProgram("xmllint")) QSKIP("xmllint is not installed");
        RichText t;
        t.appendText(u"<script>alert(1)</script>\r\n  a & b > c", Colour{0x0000FF});
        t.appendText(u" <!-- ]]> &amp;", Colour{0x123456});
        const QString page = dir_.filePath("page.html");
        QVERIFY(writeFile(page, encodeExport(*SalvarComoHTML(t))));
        // xmllint fails on a page that is not well-formed. The preformatted block reads back as
        // the art's text, between the line breaks that follow "<pre>" and the body (xmllint ends
        // its output with one more).
        const QString text =
            QString::fromUtf8(run("xmllint", {"--nonet", "--xpath", "string(//pre)", page}).value_or(""));
        QCOMPARE(text, "\n" + t.plainText().replace("\r\n", "\n") + "\n\n");
    }

    void imageMagickReadsTheBitmap() {
        if (!haveProgram("identify") || !QFile::exists("/usr/bin/convert"))
            QSKIP("ImageMagick is not installed");
        RichText t;
        t.appendText(u"  ", colours::White);
        t.append(0x2588, Colour{0x0000FF});
        t.appendLineBreak();
        t.append(0x2588, Colour{0xFF8000});
        const QFont font = textImageFont();
        const QSize cell = measureCell(font);
        const QString bmp = dir_.filePath("art.bmp");
        QVERIFY(saveBitmap(*renderArt(t, 9, 4, font), bmp));
        const QStringList info =
            QString::fromLatin1(run("identify", {"-format", "%m %w %h", bmp}).value_or("")).split(' ');
        QCOMPARE(info.size(), 3);
        QVERIFY2(info[0].startsWith("BMP"), qPrintable(info[0])); // "BMP3" names the Windows 3 header
        QCOMPARE(info[1].toInt(), 10 * cell.width());
        QCOMPARE(info[2].toInt(), 5 * cell.height());
        const QImage pixels = readByImageMagick(bmp);
        QCOMPARE(pixels.pixel(2 * cell.width() + cell.width() / 2, cell.height() / 2) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(pixels.pixel(cell.width() / 2, cell.height() + cell.height() / 2) & 0xFFFFFF, 0x0080FFu);
        QVERIFY(
            coloursIn(pixels, QRect(5 * cell.width(), 2 * cell.height(), 5 * cell.width(), 3 * cell.height()))
                .isEmpty());
    }

    void unrtfReadsOurDocuments() {
        if (!haveProgram("unrtf")) QSKIP("unrtf is not installed");
        RichText art;
        const char32_t chars[] = {U'a', U'"', U'{',    U'}', U'\\', U'é', U'█',
                                  U'─', U'░', 0x1F600, U'Ж', U'?',  U'z'};
        const Colour cols[] = {Colour{0x0000FF}, Colour{0x34AB12}, Colour{0x030201}, colours::White};
        for (int line = 0; line < 3; ++line) {
            for (int i = 0; i < int(std::size(chars)); ++i)
                art.append(chars[i], cols[(i / (line + 1)) % 4]);
            art.appendLineBreak();
        }
        const QString path = dir_.filePath("art.rtf");
        QVERIFY(writeFile(path, writeRtf(art)));
        const QString html = QString::fromUtf8(run("unrtf", {"--html", path}).value_or(""));
        // unrtf's page as Qt reads it: every character with its colour.
        QTextDocument doc;
        doc.setHtml(html);
        RichText seen;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QStringList lines = it.fragment().text().split(QChar::LineSeparator);
                const Colour c = Colour::fromQColor(it.fragment().charFormat().foreground().color());
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    if (i > 0) seen.appendLineBreak();
                    seen.appendText(lines[i], c);
                }
            }
        // unrtf spells an emoji as two surrogate references; Qt joins them back.
        QCOMPARE(seen.plainText().trimmed(), art.plainText().trimmed());
        for (int pos = 0; pos < art.size(); ++pos)
            if (!art.isLineBreak(pos))
                QVERIFY2(seen.colourAt(pos) == art.colourAt(pos), qPrintable(QString::number(pos)));
    }
};

TORVO_TEST(RealReadersTest)
#include "RealReadersTest.moc"
