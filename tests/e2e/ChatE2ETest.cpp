// The chat targets against real parts: an IRC server (ngircd) with irssi sending from an
// xterm and irssi receiving in tmux, the editor typing and copying into the sender; the
// command line's IRC export; Discord's blocks read by an ANSI reader (aha).

#include "SendXSession.h"
#include "TestRegistry.h"
#include "chat/DiscordArt.h"
#include "chat/IrcArt.h"
#include "files/ArtFile.h"
#include "files/OpenArt.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace torvo;

namespace {

const Palette P;
// Each palette entry's mIRC colour (the text-mode numbers of the colour table, mapped the
// usual way), and the terminal colour irssi draws each mIRC colour 0-15 in (its table of
// mIRC colours in text-mode order, written out by it in the terminal's order).
constexpr int MircOfEntry[16] = {0, 14, 4, 8, 9, 11, 12, 13, 1, 15, 5, 7, 3, 10, 2, 6};
constexpr int IrssiTerminalColour[16] = {15, 0, 4, 2, 9, 1, 5, 3, 11, 10, 6, 14, 12, 13, 8, 7};
// Each palette entry's Discord colour (SGR), and the colour names aha gives SGR 30-37.
constexpr int DiscordOfEntry[16] = {37, 30, 31, 32, 32, 36, 34, 35, 30, 37, 31, 32, 32, 36, 34, 35};
const QStringList AhaNames = {"dimgray", "red", "green", "olive", "blue", "purple", "teal", "gray"};

struct Run {
    const char16_t* text;
    int entry;
};
using Line = std::vector<Run>;

// What IRC art meets: a line that starts with "/", digits and commas right after colour
// changes, leading spaces, an empty line and one of spaces, blocks, accents and box
// drawing, every palette entry, black included.
std::vector<Line> ircArt() {
    std::vector<Line> lines{
        {{u"/join", 2}, {u" #fuera", 3}},
        {{u"12", 4}, {u"34", 5}, {u",5", 6}, {u" 7,", 7}, {u"8", 0}},
        {{u"  ", 0}, {u"█▀▄", 9}, {u" ░▒▓", 10}, {u"éñ", 11}},
        {},
        {{u"    ", 12}},
        {{u"abc", 13}, {u"def", 14}, {u"ghi", 15}, {u"jkl", 1}, {u"mno", 8}, {u"pq", 0}},
        {{u"─│┌┐└┘", 3}, {u" \\ ^ ~ { } ( ) % + [ ] | . `", 6}},
    };
    Line rainbow;
    for (int i = 0; i < 64; ++i)
        rainbow.push_back({i % 3 == 2 ? u" " : u"█", i % 16});
    lines.push_back(rainbow);
    return lines;
}

RichText artOf(const std::vector<Line>& lines) {
    RichText art;
    for (const Line& line : lines) {
        for (const Run& run : line)
            art.appendText(QStringView(run.text), P[run.entry]);
        art.appendLineBreak();
    }
    return art;
}

// A line as a terminal shows it: its characters (trailing spaces left out, as tmux does)
// and the colour of each one that is not a space.
struct Shown {
    QString text;
    QList<int> colours;
    bool operator==(const Shown&) const = default;
};

Shown expectedLine(const Line& line) {
    Shown shown;
    for (const Run& run : line)
        for (QChar c : QStringView(run.text)) {
            shown.text += c;
            if (c != u' ') shown.colours << IrssiTerminalColour[MircOfEntry[run.entry]];
        }
    while (shown.text.endsWith(u' '))
        shown.text.chop(1);
    return shown;
}

// A line of `tmux capture-pane -e` after its first `skip` characters, with the terminal
// colour (0-15, -1 the default) of each character that is not a space.
Shown shownLine(const QString& captured, int skip) {
    static const QRegularExpression sgr(QStringLiteral("^\x1b\\[([0-9;]*)m"));
    Shown shown;
    int fg = -1, column = 0;
    for (qsizetype i = 0; i < captured.size();) {
        const QRegularExpressionMatch m = sgr.match(QStringView(captured).sliced(i));
        if (m.hasMatch()) {
            const QStringList params = m.captured(1).split(u';');
            for (qsizetype k = 0; k < params.size(); ++k) {
                const int p = params[k].toInt();
                if (p == 0 || p == 39) fg = -1;
                if (p >= 30 && p <= 37) fg = p - 30;
                if (p >= 90 && p <= 97) fg = p - 90 + 8;
                if ((p == 38 || p == 48) && k + 2 < params.size()) {
                    if (p == 38) fg = params[k + 2].toInt();
                    k += 2;
                }
            }
            i += m.capturedLength();
            continue;
        }
        const QChar c = captured[i++];
        if (column++ < skip) continue;
        shown.text += c;
        if (c != u' ') shown.colours << fg;
    }
    while (shown.text.endsWith(u' '))
        shown.text.chop(1);
    return shown;
}

bool portAnswers(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return answered;
}

// A port no one listens on now: the system's pick for a socket bound to port 0.
int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                       getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    close(s);
    return bound ? ntohs(address.sin_port) : 0;
}

bool waitFor(const std::function<bool()>& done, int seconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > seconds * 1000) return false;
        QThread::msleep(100);
    }
    return true;
}

// Whether a program holds the X clipboard (Xlib comes last, below: its macros clash with Qt).
bool clipboardOwned(const QString& display);

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class ChatE2ETest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<test::SendXSession> x;
    QProcess server, sender, editor;
    QString tmuxSocket = QStringLiteral("torvo-chat-%1").arg(QCoreApplication::applicationPid());
    QString senderWindow, editorWindow;

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", x->display());
        env.insert("LANG", "C.UTF-8");
        env.insert("LC_ALL", "C.UTF-8");
        return env;
    }
    bool xdotool(const QStringList& args, QByteArray* out = nullptr) {
        return test::SendXSession::run("xdotool", args, out, x->display());
    }
    bool tmux(const QStringList& args, QByteArray* out = nullptr) {
        return test::CaptureSession::run("tmux", QStringList{"-L", tmuxSocket} + args, out,
                                         QProcessEnvironment::systemEnvironment());
    }
    // What the receiver shows, from the start, with its colours as SGR sequences or without.
    QStringList received(bool colours = false) {
        QByteArray out;
        tmux(QStringList{"capture-pane", "-p", "-J", "-S", "-", "-t", "recv"} +
                 (colours ? QStringList{"-e"} : QStringList{}),
             &out);
        return QString::fromUtf8(out).split(u'\n');
    }
    // The messages from the sender that the receiver shows, as captured.
    QStringList messages() {
        QStringList lines = received(true);
        lines.removeIf([](const QString& l) { return !l.contains(QLatin1String("pintor\x1b[90m>")); });
        return lines;
    }
    // An irssi home that joins #arte on the test's server at start, the channel in its
    // first window, and asks nothing.
    QString irssiHome(const QString& nick, int port) {
        const QString home = dir.filePath(nick);
        QDir().mkpath(home);
        writeFile(home + "/config", QStringLiteral(R"(
servers = ( { address = "127.0.0.1"; chatnet = "Prueba"; port = "%1"; use_tls = "no"; autoconnect = "yes"; } );
chatnets = { Prueba = { type = "IRC"; }; };
channels = ( { name = "#arte"; chatnet = "Prueba"; autojoin = "yes"; } );
windows = { 1 = { items = ( { type = "CHANNEL"; chat_type = "IRC"; name = "#arte"; tag = "Prueba"; } ); }; };
settings = {
  core = { real_name = "%2"; user_name = "%2"; nick = "%2"; };
  "fe-common/core" = { timestamps = "no"; };
  "fe-text" = { paste_verify_line_count = "1000"; paste_join_multiline = "no"; };
};
)")
                                        .arg(port)
                                        .arg(nick)
                                        .toUtf8());
        return home;
    }
    // Waits for the receiver to show `count` messages; the seconds it took.
    std::optional<double> waitForMessages(qsizetype count, int seconds) {
        QElapsedTimer clock;
        clock.start();
        if (!waitFor([&] { return messages().size() >= count; }, seconds)) return std::nullopt;
        return clock.elapsed() / 1000.0;
    }
    void compareMessages(const QStringList& got, const std::vector<Line>& art) {
        QCOMPARE(got.size(), qsizetype(art.size()));
        for (std::size_t l = 0; l < art.size(); ++l) {
            // "< pintor> " comes first.
            const Shown shown = shownLine(got[qsizetype(l)], 10);
            QCOMPARE(shown.text, expectedLine(art[l]).text);
            QCOMPARE(shown.colours, expectedLine(art[l]).colours);
        }
    }

private slots:
    void initTestCase() {
        const QString missing = test::SendXSession::missingTools() + ' ' +
                                test::CaptureSession::missing({"ngircd", "irssi", "tmux"});
        if (!missing.trimmed().isEmpty()) QSKIP(qPrintable("not installed: " + missing));
        x = std::make_unique<test::SendXSession>();
        QString why;
        QVERIFY2(x->start(&why), qPrintable(why));

        const int port = freePort();
        QVERIFY(port > 0);
        const QString config = dir.filePath("ngircd.conf");
        QVERIFY(writeFile(config, QStringLiteral("[Global]\nName = irc.torvo.test\nInfo = torvo\nListen = "
                                                 "127.0.0.1\nPorts = %1\nMotdPhrase = hola\n[Options]\nDNS = "
                                                 "no\nIdent = no\nPAM = no\n[Channel]\nName = #arte\n")
                                      .arg(port)
                                      .toUtf8()));
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.setStandardOutputFile(dir.filePath("ngircd.log"));
        server.start("ngircd", {"-n", "-f", config});
        QVERIFY2(waitFor([&] { return portAnswers(port); }, 30), "ngircd does not answer");

        // The receiver first, then the sender, each seen joining by the receiver.
        QVERIFY(tmux({"-f", "/dev/null", "new-session", "-d", "-s", "recv", "-x", "250", "-y", "60",
                      "TERM=tmux-256color irssi --home=" + irssiHome("miron", port)}));
        QVERIFY2(waitFor([&] { return received().join('\n').contains("Join to #arte was synced"); }, 60),
                 qPrintable(received().join('\n')));
        sender.setProcessEnvironment(environment());
        sender.start("xterm", {"-u8", "-geometry", "130x30+0+330", "-xrm", "XTerm*selectToClipboard: true",
                               // irssi takes the colour character from a paste only if xterm lets it through
                               "-xrm", "XTerm*allowPasteControls: true", "-e", "irssi",
                               "--home=" + irssiHome("pintor", port)});
        QVERIFY(sender.waitForStarted(10000));
        senderWindow =
            test::SendXSession::findWindow(x->display(), {"--pid", QString::number(sender.processId())});
        QVERIFY(!senderWindow.isEmpty());
        QVERIFY2(waitFor([&] { return received().join('\n').contains("has joined"); }, 60),
                 qPrintable(received().join('\n')));
    }
    void cleanupTestCase() {
        for (QProcess* p : {&editor, &sender, &server})
            test::CaptureSession::stop(*p, true);
        tmux({"kill-server"});
        x.reset();
    }

    // "Enviar" with the IRC target and Ctrl+C types the art into irssi line by line; the
    // other irssi shows every line, character for character, in irssi's colours for the
    // codes. Then "Copiar" on the tab, pasted into the sender, does the same.
    void enviarAndCopiarReachAnotherClient() {
        const std::vector<Line> lines = ircArt();
        const RichText art = artOf(lines);
        const QString file = dir.filePath("arte.qcg");
        QVERIFY(writeFile(file, encodeArtFile(art, SaveFormat::Own)));
        QDir().mkpath(dir.filePath("config/torvo"));
        QVERIFY(writeFile(dir.filePath("config/torvo/torvo.conf"),
                          "[General]\ndestino=irc\nteclaColor=ctrl+c\n"));
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        editor.setProcessEnvironment(env);
        editor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor.start(QStringLiteral(TORVO_BINARY_DIR "/src/torvo"), {file});
        QVERIFY(editor.waitForStarted(10000));
        editorWindow = test::SendXSession::findWindow(
            x->display(), {"--all", "--pid", QString::number(editor.processId()), "--class", "torvo"});
        QVERIFY(!editorWindow.isEmpty());
        xdotool({"windowmove", "--sync", editorWindow, "0", "0"});

        // Enviar, then the sender's window is given the focus during the countdown.
        const qsizetype before = messages().size();
        test::SendXSession::focus(x->display(), editorWindow);
        xdotool({"mousemove", "--window", editorWindow, "40", "40", "click", "1"});
        QElapsedTimer clock;
        clock.start();
        QVERIFY(test::SendXSession::focus(x->display(), senderWindow));
        const qsizetype count = qsizetype(lines.size());
        const std::optional<double> typed = waitForMessages(before + count, 60 + 4 * int(count));
        QVERIFY2(typed, qPrintable(received().join('\n')));
        qInfo("IRC: %d lines, %d characters, %lld bytes of codes and text; all shown %.1f s after the click "
              "(5 s of it the countdown)",
              int(count), int(art.size() - 2 * count), qsizetype(chat::ircFile(art, P).size()), *typed);
        compareMessages(messages().mid(before), lines);
        for (const QString& line : messages().mid(before))
            qInfo("irssi: %s", qPrintable(shownLine(line, 0).text));

        // Copiar on the Copy & Paste tab (Ctrl+Shift+Tab goes round to it, Alt+P is Copiar),
        // pasted into the sender with Shift+Insert (the clipboard, as configured).
        test::SendXSession::focus(x->display(), editorWindow);
        xdotool({"mousemove", "--window", editorWindow, "200", "200", "click", "1"});
        xdotool({"key", "--delay", "200", "ctrl+shift+Tab", "alt+p"});
        QVERIFY2(waitFor([&] { return clipboardOwned(x->display()); }, 20), "Copiar took no clipboard");
        QVERIFY(test::SendXSession::focus(x->display(), senderWindow));
        clock.restart();
        xdotool({"key", "shift+Insert"});
        const std::optional<double> pasted = waitForMessages(before + 2 * count, 60 + 4 * int(count));
        QVERIFY2(pasted, qPrintable(received().join('\n')));
        qInfo("IRC pasted: %d lines shown %.1f s after the paste", int(count), *pasted);
        compareMessages(messages().mid(before + count), lines);
    }

    // IRC art written by hand with codes of every form opens as the art they stand for;
    // `torvo --export irc` gives it back with the codes written the one way.
    void handWrittenIrcArtOpensAndExports() {
        const QString in = dir.filePath("hecho.irc"), out = dir.filePath("normal.irc");
        QVERIFY(writeFile(in, "\x03"
                              "4,1/ab\x03"
                              "4c\x02\x1f"
                              "d\x0f"
                              "e\r\n"
                              "\x03"
                              "3\x03"
                              "12,5  x\x03"
                              "99y\x03\r\n"
                              "\x03"
                              "00,01 \r\n"
                              "\x03"
                              "52r\x03"
                              "88k\x03"
                              "041\x03,5z\r\n"));
        RichText expected;
        expected.appendText(u"/abcd", P[2]);
        expected.appendText(u"e", P[0]);
        expected.appendLineBreak();
        expected.appendText(u"  x", P[6]);
        expected.appendText(u"y", P[0]);
        expected.appendLineBreak();
        expected.appendLineBreak();
        expected.appendText(u"r", P[2]);
        expected.appendText(u"k", colours::Black);
        expected.appendText(u"1z", P[2]);
        expected.appendLineBreak();
        const std::optional<Result<OpenedArt>> opened = openArtFile(in, P);
        QVERIFY(opened && *opened);
        QCOMPARE((*opened)->text, expected);
        QCOMPARE(
            (*opened)->status,
            QStringLiteral(
                "Abierto «hecho.irc». Se quitó el fondo de color de 5 celdas: el texto no lleva fondos."));

        QProcess torvo;
        torvo.start(QStringLiteral(TORVO_BINARY_DIR "/src/torvo"), {"--export", "irc", in, out});
        QVERIFY(torvo.waitForFinished(30000));
        QCOMPARE(torvo.exitCode(), 0);
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("\x03"
                                               "04,01/abcd\x03"
                                               "00,01e\r\n"
                                               "\x03"
                                               "12,01  x\x03"
                                               "00,01y\r\n"
                                               "\x03"
                                               "00,01 \r\n"
                                               "\x03"
                                               "04,01r\x03"
                                               "01,01k\x03"
                                               "04,011z\r\n"));
    }

    // Discord's blocks, their fences taken off and read in turn by aha, give every character
    // of the art in the Discord colour of its palette entry.
    void discordBlocksReadByAnAnsiReader() {
        if (!test::CaptureSession::missing({"aha"}).isEmpty()) QSKIP("aha is not installed");
        std::vector<Line> lines;
        for (int l = 0; l < 60; ++l) {
            Line line;
            for (int i = 0; i < 50; ++i)
                line.push_back({i % 7 == 3 ? u" " : i % 5 == 0 ? u"<" : u"█", (l + i / 3) % 16});
            lines.push_back(line);
        }
        const chat::DiscordBlocks blocks = chat::discordBlocks(artOf(lines), P);
        QVERIFY(blocks.blocks.size() > 1);
        QString inside;
        for (const QString& block : blocks.blocks)
            inside += block.mid(8, block.size() - 12) + u'\n';
        QProcess aha;
        aha.start("aha", {"--no-header"});
        aha.write(inside.toUtf8());
        aha.closeWriteChannel();
        QVERIFY(aha.waitForFinished(30000));
        const QString html = QString::fromUtf8(aha.readAllStandardOutput());

        static const QRegularExpression part(
            QStringLiteral("<span style=\"color:(\\w+);\">|</span>|&lt;|[^<]"));
        QString text;
        QList<int> colours;
        QStringList open;
        for (QRegularExpressionMatchIterator it = part.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (!m.captured(1).isEmpty()) {
                open << m.captured(1);
            } else if (m.captured() == QLatin1String("</span>")) {
                open.removeLast();
            } else {
                const QString c = m.captured() == QLatin1String("&lt;") ? QStringLiteral("<") : m.captured();
                text += c;
                if (c != " " && c != "\n") colours << 30 + int(AhaNames.indexOf(open.value(open.size() - 1)));
            }
        }
        QString expectedText;
        QList<int> expectedColours;
        for (const Line& line : lines) {
            for (const Run& run : line) {
                expectedText += QStringView(run.text);
                if (run.text[0] != u' ') expectedColours << DiscordOfEntry[run.entry];
            }
            expectedText += u'\n';
        }
        QCOMPARE(text, expectedText);
        QCOMPARE(colours, expectedColours);
    }
};
TORVO_TEST(ChatE2ETest)
#include "ChatE2ETest.moc"

#include <X11/Xlib.h>

namespace {
bool clipboardOwned(const QString& display) {
    Display* d = XOpenDisplay(display.toLocal8Bit().constData());
    if (!d) return false;
    const bool owned = XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False)) != 0;
    XCloseDisplay(d);
    return owned;
}
} // namespace
