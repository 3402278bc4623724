#pragma once

// A private headless sway (with XWayland) and a terminal that captures what is typed into
// it, raw, into a file: foot for native Wayland, xterm on XWayland. sway refuses to run as
// root, so under root the compositor and the terminals run as nobody, with a runtime
// folder of nobody's; this process, root, may still connect to their sockets.

#include "CaptureSession.h"

#include <QDir>
#include <QTemporaryDir>
#include <pwd.h>
#include <unistd.h>

namespace torvo::test {

class SwaySession : public CaptureSession {
public:
    ~SwaySession() {
        stopCapture();
        stop(sway_, true);
    }

    static QString missingTools() {
        return missing({"sway", "swaymsg", "foot", "Xwayland", "xterm", "xhost", "setpriv", "timeout", "dd"});
    }

    // Starts sway, headless, with XWayland running from the start.
    bool start(QString* why) {
        if (!dir_.isValid()) return fail(why, QStringLiteral("no temporary directory"));
        dir_.setAutoRemove(qEnvironmentVariableIsEmpty("TORVO_KEEP_SWAY"));
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                               QFile::ExeGroup);
        runtime_ = dir_.filePath(QStringLiteral("runtime"));
        out_ = dir_.filePath(QStringLiteral("out"));
        QDir().mkpath(runtime_);
        QDir().mkpath(out_);
        QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The terminals write their captures here, whoever they run as.
        chmodAll(out_);
        if (geteuid() == 0 && ::chown(runtime_.toLocal8Bit().constData(), 65534, 65534) != 0)
            return fail(why, QStringLiteral("cannot hand the runtime folder to nobody"));
        const QString displayFile = out_ + QStringLiteral("/display");
        const QString config = dir_.filePath(QStringLiteral("config"));
        QFile c(config);
        if (!c.open(QIODevice::WriteOnly)) return fail(why, QStringLiteral("cannot write the sway config"));
        c.write(QStringLiteral("xwayland force\n"
                               "output HEADLESS-1 resolution 1024x768\n"
                               // XWayland lets in only its own user: let this process in too.
                               "exec sh -c 'xhost +si:localuser:%2 >/dev/null; echo \"$DISPLAY\" > %1'\n")
                    .arg(displayFile, QString::fromLocal8Bit(getpwuid(geteuid())->pw_name))
                    .toUtf8());
        c.close();
        QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);

        sway_.setProcessEnvironment(unprivilegedEnvironment());
        sway_.setProcessChannelMode(QProcess::MergedChannels);
        sway_.setStandardOutputFile(dir_.filePath(QStringLiteral("sway.log")));
        const auto [program, args] = asNobody(QStringLiteral("sway"), {QStringLiteral("-c"), config});
        sway_.start(program, args);
        if (!sway_.waitForStarted(10000)) return fail(why, QStringLiteral("sway did not start"));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000 && sway_.state() == QProcess::Running) {
            const QStringList sockets = QDir(runtime_).entryList({QStringLiteral("wayland-*")}, QDir::System);
            for (const QString& s : sockets)
                if (!s.endsWith(QLatin1String(".lock"))) waylandDisplay_ = s;
            const QStringList ipc = QDir(runtime_).entryList({QStringLiteral("sway-ipc.*")}, QDir::System);
            if (!ipc.isEmpty()) swaySocket_ = runtime_ + QLatin1Char('/') + ipc.front();
            QFile d(displayFile);
            if (d.open(QIODevice::ReadOnly)) display_ = QString::fromLocal8Bit(d.readAll()).trimmed();
            if (!waylandDisplay_.isEmpty() && !swaySocket_.isEmpty() && !display_.isEmpty() &&
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X") + display_.mid(1)))
                return true;
            QThread::msleep(50);
        }
        return fail(
            why,
            QStringLiteral("sway did not come up (see %1)").arg(dir_.filePath(QStringLiteral("sway.log"))));
    }

    QString waylandDisplay() const { return waylandDisplay_; }
    QString runtimeDir() const { return runtime_; }
    QString display() const { return display_; }

    // Starts a terminal that captures the next `bytes` bytes typed into it, and gives it the
    // focus: foot (native Wayland), or xterm on XWayland.
    bool startCapture(qint64 bytes, QString* why, bool onXWayland = false, int timeoutSeconds = 60) {
        const QString script = nextCapture(out_, bytes, timeoutSeconds);
        const QString appId = QStringLiteral("capture%1").arg(captures_);
        terminal_->setProcessEnvironment(unprivilegedEnvironment());
        terminal_->setProcessChannelMode(QProcess::MergedChannels);
        terminal_->setStandardOutputFile(out_ + QStringLiteral("/terminal%1.log").arg(captures_));
        const auto [program, args] =
            onXWayland
                ? asNobody(QStringLiteral("xterm"),
                           {QStringLiteral("-u8"), QStringLiteral("-class"), appId, QStringLiteral("-e"),
                            QStringLiteral("sh"), QStringLiteral("-c"), script})
                : asNobody(QStringLiteral("foot"), {QStringLiteral("--app-id"), appId, QStringLiteral("sh"),
                                                    QStringLiteral("-c"), script});
        terminal_->start(program, args);
        if (!terminal_->waitForStarted(10000)) return fail(why, QStringLiteral("the terminal did not start"));
        if (!waitUntilReady(30000))
            return fail(why, QStringLiteral("the capture in the terminal did not start"));
        focusTerminal_ = QStringLiteral("[%1=\"%2\"] focus")
                             .arg(onXWayland ? QStringLiteral("class") : QStringLiteral("app_id"), appId);
        // The window may map a little after its shell started.
        if (!waitFor([this] { return focusCapture(); }, 30000, 50))
            return fail(why, QStringLiteral("could not focus the terminal"));
        return true;
    }

    // Gives the capturing terminal the focus again (after another window took it).
    bool focusCapture() const { return swaymsg({focusTerminal_}); }

    bool swaymsg(const QStringList& args) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SWAYSOCK"), swaySocket_);
        return run(QStringLiteral("swaymsg"), args, nullptr, env);
    }

    // The environment of a client of this session (Wayland and XWayland both).
    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay_);
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return env;
    }

private:
    static void chmodAll(const QString& path) {
        QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
    }
    QProcessEnvironment unprivilegedEnvironment() const {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), out_);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        if (!waylandDisplay_.isEmpty()) env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay_);
        if (!display_.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display_);
        return env;
    }
    static std::pair<QString, QStringList> asNobody(const QString& program, const QStringList& args) {
        if (geteuid() != 0) return {program, args};
        return {QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), program} +
                    args};
    }
    QTemporaryDir dir_{QStringLiteral("/tmp/torvo-sway-XXXXXX")};
    QProcess sway_;
    QString runtime_, out_, waylandDisplay_, swaySocket_, display_, focusTerminal_;
};

} // namespace torvo::test
