// Typing rate of the X11 back end into an xterm under a private Xvfb, with every byte
// checked, next to `xdotool type` on the same ASCII text; and of the virtual-keyboard back
// end into foot under a private headless sway. The time runs from the call to the last
// byte reaching the program in the terminal. Prints "name: value unit".
#include "../tests/e2e/SendXSession.h"
#include "../tests/e2e/SwaySession.h"
#include "send/Keystrokes.h"
#include "send/wayland/WaylandTypist.h"
#include "send/x11/X11Typist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace torvo;

namespace {

struct Rate {
    double seconds = 0;
    qint64 lost = 0; // bytes missing or different
};

qint64 differences(const QByteArray& got, const QByteArray& expected) {
    qint64 n = qAbs(got.size() - expected.size());
    for (qsizetype i = 0; i < qMin(got.size(), expected.size()); ++i)
        n += got[i] != expected[i] ? 1 : 0;
    return n;
}

template <class Session> Rate typeWithTypist(Session& session, Typist& typist, const QString& keys) {
    const QByteArray expected = test::bytesOf(*parseKeys(keys));
    Rate r;
    QString why;
    if (!session.startCapture(expected.size(), &why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        r.lost = expected.size();
        return r;
    }
    QElapsedTimer t;
    t.start();
    if (const Result<void> sent = sendKeys(typist, keys); !sent)
        std::fprintf(stderr, "%s\n", qPrintable(sent.why()));
    session.waitForBytes(expected.size(), 30000);
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    r.lost = differences(session.finishCapture(), expected);
    return r;
}

Rate typeWithXdotool(test::SendXSession& session, const QString& text) {
    const QByteArray expected = text.toUtf8();
    Rate r;
    QString why;
    if (!session.startCapture(expected.size(), &why, 120)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        r.lost = expected.size();
        return r;
    }
    QElapsedTimer t;
    t.start();
    test::SendXSession::run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--"), text},
                            nullptr, session.display());
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    r.lost = differences(session.finishCapture(5000), expected);
    return r;
}

void print(const char* name, int characters, const Rate& r) {
    std::printf("%s_chars_per_second: %.0f chars/s\n", name, r.seconds > 0 ? characters / r.seconds : 0.0);
    std::printf("%s_bytes_lost: %lld bytes\n", name, static_cast<long long>(r.lost));
}

// The virtual keyboard into foot, the same mixed art as the X11 runs.
int typeIntoFoot(int characters) {
    const QString missing = test::SwaySession::missingTools();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "not installed: %s\n", qPrintable(missing));
        return 2;
    }
    test::SwaySession sway;
    QString why;
    if (!sway.start(&why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    qputenv("XDG_RUNTIME_DIR", sway.runtimeDir().toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", sway.waylandDisplay().toLocal8Bit());
    const auto typist = WaylandTypist::open();
    if (!typist) {
        std::fprintf(stderr, "%s\n", qPrintable(typist.why()));
        return 1;
    }
    const Palette palette;
    for (int run = 1; run <= 3; ++run) {
        const RichText art = test::mixedArt(characters, 100u + quint32(run));
        const Rate r = typeWithTypist(sway, **typist, *buildKeystrokes(art, palette));
        print(qPrintable(QStringLiteral("waylandtypist_mixed_run%1").arg(run)), characters, r);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString missing = test::SendXSession::missingTools();
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "not installed: %s\n", qPrintable(missing));
        return 2;
    }
    test::SendXSession session;
    QString why;
    if (!session.start(&why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    qputenv("DISPLAY", session.display().toLocal8Bit());
    const auto typist = X11Typist::open();
    if (!typist) {
        std::fprintf(stderr, "%s\n", qPrintable(typist.why()));
        return 1;
    }

    const int characters = 2000;
    const Palette palette;
    for (int run = 1; run <= 3; ++run) {
        const RichText art = test::mixedArt(characters, 100u + quint32(run));
        const Rate r = typeWithTypist(session, **typist, *buildKeystrokes(art, palette));
        print(qPrintable(QStringLiteral("x11typist_mixed_run%1").arg(run)), characters, r);
    }

    // The same ASCII text both ways: letters, digits and punctuation, no line breaks.
    QString ascii;
    for (int i = 0; i < characters; ++i)
        ascii += QChar(char16_t(0x21 + (i * 7919) % 94));
    QString escaped;
    for (QChar c : ascii)
        escaped += IntercambiarSK(QString(c));
    print("x11typist_ascii", characters, typeWithTypist(session, **typist, escaped));
    print("xdotool_type_ascii", characters, typeWithXdotool(session, ascii));
    return typeIntoFoot(characters);
}
