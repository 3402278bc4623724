// The chat targets against real parts: ngircd, irssi sending from an xterm and irssi receiving
// in tmux; Discord's blocks read by aha.

#include "ArtText.h"
#include "SendXSession.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "chat/ChatColours.h"
#include "chat/DiscordArt.h"
#include "chat/IrcArt.h"
#include "files/ArtFile.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace torvo;

namespace {

const Palette P;
// The terminal colour irssi draws each mIRC colour 0-15 in; aha's names of SGR 30-37.
constexpr int IrssiTerminalColour[16] = {15, 0, 4, 2, 9, 1, 5, 3, 11, 10, 6, 14, 12, 13, 8, 7};
const QStringList AhaNames = {"dimgray", "red", "green", "olive", "blue", "purple", "teal", "gray"};
int irssiColour(Colour c) {
    return IrssiTerminalColour[chat::mircColourOf(c, P)];
}
int discordSgr(Colour c) {
    return chat::DiscordColours[std::size_t(chat::discordColourOf(c, P))].sgr;
}

// Line l of the art: its characters (trailing spaces left out, as tmux does) and the colour
// of each that is not a space; or a line as tmux shows it after `skip` characters (its SGR
// sequences read for the foreground).
using Shown = std::pair<QString, QList<int>>;
Shown expected(const RichText& art, int l, int (*colour)(Colour)) {
    Shown shown;
    const int end = l + 1 < art.lineCount() ? art.lineStart(l + 1) - 2 : art.size();
    for (int p = art.lineStart(l); p < end; ++p) {
        shown.first += QChar(char16_t(art.charAt(p)));
        if (art.charAt(p) != U' ') shown.second << colour(art.colourAt(p));
    }
    while (shown.first.endsWith(u' '))
        shown.first.chop(1);
    return shown;
}
Shown shownLine(const QString& captured, int skip) {
    static const QRegularExpression sgr(QStringLiteral("\x1b\\[([0-9;]*)m|."));
    Shown shown;
    int fg = -1, column = 0;
    for (QRegularExpressionMatchIterator it = sgr.globalMatch(captured); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured().startsWith(u'\x1b')) {
            const QStringList params = m.captured(1).split(u';');
            for (qsizetype k = 0; k < params.size(); ++k) {
                const int p = params[k].toInt();
                fg = p == 0 || p == 39 ? -1 : p >= 30 && p <= 37 ? p - 30 : p >= 90 && p <= 97 ? p - 82 : fg;
                if (p == 38 && k + 2 < params.size()) fg = params[k + 2].toInt();
                k += p == 38 || p == 48 ? 2 : 0;
            }
        } else if (column++ >= skip) {
            shown.first += m.captured();
            if (m.captured() != " ") shown.second << fg;
        }
    }
    while (shown.first.endsWith(u' '))
        shown.first.chop(1);
    return shown;
}

bool waitFor(const std::function<bool()>& done, int seconds) {
    QElapsedTimer clock;
    clock.start();
    for (; !done(); QThread::msleep(100))
        if (clock.elapsed() > seconds * 1000) return false;
    return true;
}
using test::writeFile;
// A port no one listens on: the system's pick for port 0.
int freePort();
// Whether a program holds the X clipboard (Xlib comes last: its macros clash with Qt's).
bool clipboardOwned(const QString& display);

} // namespace

class ChatE2ETest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<test::SendXSession> x;
    QProcess server, sender, editor;
    const QString tmuxSocket = QStringLiteral("torvo-chat-%1").arg(QCoreApplication::applicationPid());
    QString senderWindow;

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", x->display());
        env.insert("LC_ALL", "C.UTF-8");
        return env;
    }
    bool xdotool(const QStringList& args) {
        return test::SendXSession::run("xdotool", args, nullptr, x->display());
    }
    bool tmux(const QStringList& args, QByteArray* out = nullptr) {
        return test::CaptureSession::run("tmux", QStringList{"-L", tmuxSocket} + args, out,
                                         QProcessEnvironment::systemEnvironment());
    }
    // What the receiver shows from its start, its colours as SGR sequences.
    QString received() {
        QByteArray out;
        tmux({"capture-pane", "-p", "-e", "-J", "-S", "-", "-t", "recv"}, &out);
        return QString::fromUtf8(out);
    }
    bool receiverShows(const char* text) {
        return received().remove(QRegularExpression(QStringLiteral("\x1b\\[[0-9;]*m"))).contains(text);
    }
    QStringList messages() { return received().split(u'\n').filter(QStringLiteral("pintor\x1b[90m>")); }
    // An irssi home that joins #arte at start, in its first window, and asks nothing.
    QString irssiHome(const QString& nick, int port) {
        const QString home = dir.filePath(nick);
        QDir().mkpath(home);
        writeFile(home + "/config", QStringLiteral(R"(
servers = ( { address = "127.0.0.1"; chatnet = "P"; port = "%1"; use_tls = "no"; autoconnect = "yes"; } );
chatnets = { P = { type = "IRC"; }; };
channels = ( { name = "#arte"; chatnet = "P"; autojoin = "yes"; } );
windows = { 1 = { items = ( { type = "CHANNEL"; chat_type = "IRC"; name = "#arte"; tag = "P"; } ); }; };
settings = { core = { real_name = "%2"; user_name = "%2"; nick = "%2"; };
  "fe-common/core" = { timestamps = "no"; };
  "fe-text" = { paste_verify_line_count = "1000"; paste_join_multiline = "no"; }; };
)")
                                        .arg(port)
                                        .arg(nick)
                                        .toUtf8());
        return home;
    }
    // The seconds until the receiver shows `count` messages, which are then `art`'s lines
    // after "< pintor> ", character for character, in irssi's colours for their codes.
    std::optional<double> compareMessages(qsizetype from, const RichText& art) {
        QElapsedTimer clock;
        clock.start();
        const qsizetype count = art.lineCount() - 1;
        if (!waitFor([&] { return messages().size() >= from + count; }, 60 + 4 * int(count))) return {};
        const QStringList got = messages().mid(from);
        for (qsizetype l = 0; l < count; ++l) {
            qInfo("irssi: %s", qPrintable(shownLine(got[l], 0).first));
            if (shownLine(got[l], 10) != expected(art, int(l), irssiColour)) return {};
        }
        return clock.elapsed() / 1000.0;
    }

private slots:
    void initTestCase() {
        const QString missing = (test::SendXSession::missingTools() + ' ' +
                                 test::CaptureSession::missing({"ngircd", "irssi", "tmux"}))
                                    .trimmed();
        if (!missing.isEmpty()) QSKIP(qPrintable("not installed: " + missing));
        x = std::make_unique<test::SendXSession>();
        QString why;
        QVERIFY2(x->start(&why), qPrintable(why));
        const int port = freePort();
        const QString config = dir.filePath("ngircd.conf");
        QVERIFY(
            writeFile(config, QStringLiteral("[Global]\nName = irc.torvo.test\nListen = 127.0.0.1\nPorts = "
                                             "%1\n[Options]\nDNS = no\nIdent = no\nPAM = no\n")
                                  .arg(port)
                                  .toUtf8()));
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start("ngircd", {"-n", "-f", config});
        QByteArray log;
        QVERIFY2(waitFor(
                     [&] {
                         return server.waitForReadyRead(100) &&
                                (log += server.readAll()).contains(") ready.");
                     },
                     30),
                 log.constData());
        // The receiver first, then the sender, which the receiver sees join.
        QVERIFY(tmux({"-f", "/dev/null", "new-session", "-d", "-s", "recv", "-x", "250", "-y", "60",
                      "TERM=tmux-256color irssi --home=" + irssiHome("miron", port)}));
        QVERIFY(waitFor([&] { return receiverShows("Join to #arte was synced"); }, 60));
        sender.setProcessEnvironment(environment());
        // The paste goes through with its colour characters, from the clipboard.
        sender.start("xterm", {"-u8", "-geometry", "130x30+0+330", "-xrm", "XTerm*selectToClipboard: true",
                               "-xrm", "XTerm*allowPasteControls: true", "-e", "irssi",
                               "--home=" + irssiHome("pintor", port)});
        QVERIFY(sender.waitForStarted(10000));
        senderWindow =
            test::SendXSession::findWindow(x->display(), {"--pid", QString::number(sender.processId())});
        QVERIFY(waitFor([&] { return receiverShows("has joined"); }, 60));
    }
    void cleanupTestCase() {
        for (QProcess* p : {&editor, &sender, &server})
            test::CaptureSession::stop(*p, true);
        tmux({"kill-server"});
        x.reset();
    }

    // "Enviar" with the IRC target and Ctrl+C types art into irssi line by line, and the
    // other irssi shows every line; then "Copiar" on the tab, pasted into the sender.
    void enviarAndCopiarReachAnotherClient() {
        // A line that starts with "/", digits and commas after colour changes, leading spaces,
        // an empty line and one of spaces, blocks, accents, box drawing, every palette entry.
        QString text = "{2}/join{3} #fuera\n{4}12{5}34{6},5{7} 7,{0}8\n  {9}█▀▄{10} ░▒▓{11}éñ\n\n{12}    \n"
                       "{13}abc{14}def{15}ghi{1}jkl{8}mno\n{3}─│┌┐└┘{6} \\ ^ ~ { } ( ) % + [ ] | . `\n";
        for (int i = 0; i < 64; ++i)
            text += QStringLiteral("{%1}%2").arg(i % 16).arg(i % 3 == 2 ? " " : "█");
        const RichText art = test::artText(text + '\n');
        const int lines = art.lineCount() - 1;
        const QString file = dir.filePath("arte.qcg");
        QVERIFY(writeFile(file, encodeArtFile(art, SaveFormat::Own)));
        QVERIFY(QDir().mkpath(dir.filePath("config/torvo")));
        QVERIFY(writeFile(dir.filePath("config/torvo/torvo.conf"),
                          "[General]\ndestino=irc\nteclaColor=ctrl+c\n"));
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        editor.setProcessEnvironment(env);
        editor.start(QStringLiteral(TORVO_BINARY_DIR "/src/torvo"), {file});
        const QString window = test::SendXSession::findWindow(
            x->display(), {"--all", "--pid", QString::number(editor.processId()), "--class", "torvo"});
        QVERIFY(!window.isEmpty() && xdotool({"windowmove", "--sync", window, "0", "0"}));

        // Enviar, and the sender's window gets the focus during the countdown.
        const qsizetype before = messages().size();
        test::SendXSession::focus(x->display(), window);
        xdotool({"mousemove", "--window", window, "40", "40", "click", "1"});
        QVERIFY(test::SendXSession::focus(x->display(), senderWindow));
        const std::optional<double> typed = compareMessages(before, art);
        QVERIFY2(typed, qPrintable(received()));
        qInfo("Enviar: %d lines, %d characters (%d bytes with the codes) shown %.1f s after the click "
              "(5 s of countdown)",
              lines, art.size() - 2 * lines, int(chat::ircFile(art, P).size()), *typed);

        // Copiar on Copy & Paste (Ctrl+Shift+Tab goes round to it, Alt+P), pasted with Shift+Insert.
        test::SendXSession::focus(x->display(), window);
        xdotool({"mousemove", "--window", window, "200", "200", "click", "1"});
        xdotool({"key", "--delay", "200", "ctrl+shift+Tab", "alt+p"});
        QVERIFY2(waitFor([&] { return clipboardOwned(x->display()); }, 20), "Copiar took no clipboard");
        QVERIFY(test::SendXSession::focus(x->display(), senderWindow) && xdotool({"key", "shift+Insert"}));
        const std::optional<double> pasted = compareMessages(before + lines, art);
        QVERIFY2(pasted, qPrintable(received()));
        qInfo("Copiar: the paste shown %.1f s after it", *pasted);
    }

    // Discord's blocks without their fences, read in turn by aha, give every character of
    // the art in the Discord colour of its palette entry.
    void discordBlocksReadByAnAnsiReader() {
        if (!test::CaptureSession::missing({"aha"}).isEmpty()) QSKIP("aha is not installed");
        QString text;
        for (int l = 0; l < 60; ++l, text += '\n')
            for (int i = 0; i < 50; ++i)
                text += QStringLiteral("{%1}%2").arg((l + i / 3) % 16).arg(i % 5 ? "█" : i % 7 ? "<" : " ");
        const RichText art = test::artText(text);
        const chat::DiscordBlocks blocks = chat::discordBlocks(art, P);
        QVERIFY(blocks.blocks.size() > 1);
        QString inside;
        for (const QString& block : blocks.blocks)
            inside += block.mid(8, block.size() - 12) + u'\n';
        QProcess aha;
        aha.start("aha", {"--no-header"});
        aha.write(inside.toUtf8());
        aha.closeWriteChannel();
        QVERIFY(aha.waitForFinished(30000));
        static const QRegularExpression part(
            QStringLiteral("<span style=\"color:(\\w+);\">|</span>|&lt;|[^<\n]"));
        Shown read;
        QString colour;
        for (auto it = part.globalMatch(QString::fromUtf8(aha.readAllStandardOutput())); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured().startsWith(u'<')) {
                colour = m.captured(1); // aha closes each span before it opens the next
                continue;
            }
            read.first += m.captured() == "&lt;" ? "<" : m.captured();
            if (m.captured() != " ") read.second << 30 + int(AhaNames.indexOf(colour));
        }
        Shown all;
        for (int l = 0; l < 60; ++l) {
            const Shown one = expected(art, l, discordSgr);
            all.first += one.first;
            all.second += one.second;
        }
        QCOMPARE(read.first.remove(u' '), all.first.remove(u' '));
        QCOMPARE(read.second, all.second);
    }
};
TORVO_TEST(ChatE2ETest)
#include "ChatE2ETest.moc"

#include <X11/Xlib.h>

namespace {
int freePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    close(s);
    return ntohs(address.sin_port);
}
bool clipboardOwned(const QString& display) {
    Display* d = XOpenDisplay(display.toLocal8Bit().constData());
    const bool owned = d && XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False)) != 0;
    if (d) XCloseDisplay(d);
    return owned;
}
} // namespace
