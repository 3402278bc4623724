#pragma once

// A private X server (Xvfb) with an xterm that captures what is typed into it, raw,
// into a file: the receiving end for the keystroke tests and the sending benchmark.

#include "CaptureSession.h"
#include "SendArt.h"

#include <QTemporaryDir>

namespace torvo::test {

class SendXSession : public CaptureSession {
public:
    ~SendXSession() {
        stopCapture();
        stop(xvfb_, true);
    }

    static QString missingTools() { return missing({"Xvfb", "xterm", "xdotool", "timeout", "dd"}); }

    // Starts Xvfb on a display number it finds free itself.
    bool start(QString* why) {
        if (!dir_.isValid()) return fail(why, "no temporary directory");
        xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        if (!xvfb_.waitForStarted(5000)) return fail(why, "Xvfb did not start");
        // It prints the number once clients may connect.
        if (!xvfb_.waitForReadyRead(15000)) return fail(why, "Xvfb did not come up");
        display_ = ":" + QString::fromLatin1(xvfb_.readLine()).trimmed();
        return true;
    }

    QString display() const { return display_; }

    // Starts an xterm that captures the next `bytes` bytes typed into it, and gives it the
    // keyboard focus.
    bool startCapture(qint64 bytes, QString* why, int timeoutSeconds = 60) {
        const QString script = nextCapture(dir_.path(), bytes, timeoutSeconds);
        QProcessEnvironment env = environment(display_);
        env.insert("LANG", "C.UTF-8");
        env.insert("LC_ALL", "C.UTF-8");
        terminal_->setProcessEnvironment(env);
        terminal_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        terminal_->setStandardOutputFile(QProcess::nullDevice());
        terminal_->start("xterm", {"-u8", "-geometry", "80x24+0+0", "-e", "sh", "-c", script});
        if (!terminal_->waitForStarted(10000)) return fail(why, "xterm did not start");
        xtermWindow_ = findWindow(display_, {"--class", "xterm"});
        if (xtermWindow_.isEmpty()) return fail(why, "xterm window not found");
        if (!focusCapture()) return fail(why, "could not focus the xterm");
        if (!waitUntilReady(20000)) return fail(why, "the capture in the xterm did not start");
        return true;
    }

    // Gives the capturing xterm the keyboard focus again.
    bool focusCapture() { return focus(display_, xtermWindow_); }

    // Runs an X client of the session; true on exit status 0.
    static bool run(const QString& program, const QStringList& args, QByteArray* out,
                    const QString& display) {
        return CaptureSession::run(program, args, out, environment(display));
    }
    // The first visible window xdotool finds with `search` (empty when none comes).
    static QString findWindow(const QString& display, const QStringList& search) {
        QByteArray id;
        if (!run("xdotool", QStringList{"search", "--sync", "--onlyvisible"} + search, &id, display))
            return {};
        return QString::fromLatin1(id.trimmed().split('\n').front());
    }
    // No window manager: the focus is set directly, with the pointer over the window too.
    static bool focus(const QString& display, const QString& window) {
        run("xdotool", {"mousemove", "--window", window, "20", "20"}, nullptr, display);
        return run("xdotool", {"windowfocus", "--sync", window}, nullptr, display);
    }

private:
    static QProcessEnvironment environment(const QString& display) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        return env;
    }

    QTemporaryDir dir_;
    QProcess xvfb_;
    QString display_;
    QString xtermWindow_;
};

} // namespace torvo::test
