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
        return missing(
            {"sway", "swaymsg", "foot", "Xwayland", "xterm", "xhost", "xprop", "setpriv", "timeout", "dd"});
    }

    // Starts sway, headless, with XWayland running from the start.
    bool start(QString* why) {
        if (!dir_.isValid()) return fail(why, "no temporary directory");
        dir_.setAutoRemove(qEnvironmentVariableIsEmpty("TORVO_KEEP_SWAY"));
        QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7755)); // rwxr-xr-x
        runtime_ = dir_.filePath("runtime");
        out_ = dir_.filePath("out");
        QDir().mkpath(runtime_);
        QDir().mkpath(out_);
        QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The terminals write their captures here, whoever they run as.
        QFile::setPermissions(out_, QFileDevice::Permissions(0x7777));
        if (geteuid() == 0 && ::chown(runtime_.toLocal8Bit().constData(), 65534, 65534) != 0)
            return fail(why, "cannot hand the runtime folder to nobody");
        const QString displayFile = out_ + "/display";
        const QString config = dir_.filePath("config");
        QFile c(config);
        if (!c.open(QIODevice::WriteOnly)) return fail(why, "cannot write the sway config");
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
        sway_.setStandardOutputFile(dir_.filePath("sway.log"));
        const auto [program, args] = asNobody("sway", {"-c", config});
        sway_.start(program, args);
        if (!sway_.waitForStarted(10000)) return fail(why, "sway did not start");
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000 && sway_.state() == QProcess::Running) {
            for (const QString& s : QDir(runtime_).entryList({"wayland-*"}, QDir::System))
                if (!s.endsWith(QLatin1String(".lock"))) waylandDisplay_ = s;
            const QStringList ipc = QDir(runtime_).entryList({"sway-ipc.*"}, QDir::System);
            if (!ipc.isEmpty()) swaySocket_ = runtime_ + QLatin1Char('/') + ipc.front();
            QFile d(displayFile);
            if (d.open(QIODevice::ReadOnly)) display_ = QString::fromLocal8Bit(d.readAll()).trimmed();
            if (!waylandDisplay_.isEmpty() && !swaySocket_.isEmpty() && !display_.isEmpty() &&
                QFile::exists("/tmp/.X11-unix/X" + display_.mid(1)))
                return true;
            QThread::msleep(50);
        }
        return fail(why, QStringLiteral("sway did not come up (see %1)").arg(dir_.filePath("sway.log")));
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
            onXWayland ? asNobody("xterm", {"-u8", "-class", appId, "-e", "sh", "-c", script})
                       : asNobody("foot", {"--app-id", appId, "sh", "-c", script});
        terminal_->start(program, args);
        if (!terminal_->waitForStarted(10000)) return fail(why, "the terminal did not start");
        if (!waitUntilReady(30000)) return fail(why, "the capture in the terminal did not start");
        focusTerminal_ =
            QStringLiteral("[%1=\"%2\"] focus").arg(onXWayland ? QStringLiteral("class") : "app_id", appId);
        // The window may map a little after its shell started.
        if (!waitFor([this] { return focusCapture(); }, 30000, 50))
            return fail(why, "could not focus the terminal");
        // On XWayland the X server hears of the focus a little later, from the compositor.
        if (onXWayland && !waitFor([this] { return xWindowActive(); }, 30000, 50))
            return fail(why, "XWayland never made the terminal active");
        return true;
    }
    // Whether the X server's window manager names an active window.
    bool xWindowActive() const {
        QByteArray out;
        return run("xprop", {"-root", "_NET_ACTIVE_WINDOW"}, &out, clientEnvironment()) &&
               out.contains("window id") && !out.trimmed().endsWith("0x0");
    }

    // Gives the capturing terminal the focus again (after another window took it).
    bool focusCapture() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SWAYSOCK", swaySocket_);
        return run("swaymsg", {focusTerminal_}, nullptr, env);
    }

    // The environment of a client of this session (Wayland and XWayland both).
    QProcessEnvironment clientEnvironment() const {
        return with(QProcessEnvironment::systemEnvironment(), {{"XDG_SESSION_TYPE", "wayland"}});
    }

private:
    // `env` with the session's folder and displays (once known), a UTF-8 locale and `more`.
    QProcessEnvironment with(QProcessEnvironment env, const QList<std::pair<QString, QString>>& more) const {
        for (const auto& [name, value] :
             more + QList<std::pair<QString, QString>>{{"XDG_RUNTIME_DIR", runtime_},
                                                       {"WAYLAND_DISPLAY", waylandDisplay_},
                                                       {"DISPLAY", display_},
                                                       {"LANG", "C.UTF-8"},
                                                       {"LC_ALL", "C.UTF-8"}})
            if (!value.isEmpty()) env.insert(name, value);
        return env;
    }
    QProcessEnvironment unprivilegedEnvironment() const {
        return with({}, {{"PATH", qEnvironmentVariable("PATH")},
                         {"HOME", out_},
                         {"WLR_BACKENDS", "headless"},
                         {"WLR_LIBINPUT_NO_DEVICES", "1"},
                         {"WLR_RENDERER", "pixman"}});
    }
    static std::pair<QString, QStringList> asNobody(const QString& program, const QStringList& args) {
        if (geteuid() != 0) return {program, args};
        return {"setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} + args};
    }
    QTemporaryDir dir_{"/tmp/torvo-sway-XXXXXX"};
    QProcess sway_;
    QString runtime_, out_, waylandDisplay_, swaySocket_, display_, focusTerminal_;
};

} // namespace torvo::test
