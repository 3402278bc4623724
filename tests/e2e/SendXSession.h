#pragma once

// A private X server (Xvfb) with an xterm that captures what is typed into it, raw,
// into a file: the receiving end for the keystroke tests and the sending benchmark.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "SendArt.h"

namespace torvo::test {

class SendXSession {
public:
    SendXSession() = default;
    SendXSession(const SendXSession&) = delete;
    SendXSession& operator=(const SendXSession&) = delete;
    ~SendXSession() {
        stopCapture();
        if (xvfb_.state() != QProcess::NotRunning) {
            xvfb_.terminate();
            if (!xvfb_.waitForFinished(5000)) {
                xvfb_.kill();
                xvfb_.waitForFinished(5000);
            }
        }
    }

    // The programs the session needs that are not installed, space separated.
    static QString missingTools() {
        QStringList missing;
        for (const char* tool : {"Xvfb", "xterm", "xdotool", "xdpyinfo", "timeout", "dd"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                missing << QString::fromLatin1(tool);
        return missing.join(QLatin1Char(' '));
    }

    // Starts Xvfb on the first free display from :90 upward.
    bool start(QString* why) {
        if (!dir_.isValid()) return fail(why, QStringLiteral("no temporary directory"));
        for (int n = 90; n < 140; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                continue;
            const QString name = QStringLiteral(":%1").arg(n);
            xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            xvfb_.setStandardOutputFile(QProcess::nullDevice());
            xvfb_.start(QStringLiteral("Xvfb"),
                        {name, QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1024x768x24")});
            if (!xvfb_.waitForStarted(5000)) return fail(why, QStringLiteral("Xvfb did not start"));
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 15000 && xvfb_.state() == QProcess::Running) {
                // Our own server must still be running: another one may have taken the number.
                if (run(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), name}, nullptr, name) &&
                    xvfb_.state() == QProcess::Running && !xvfb_.waitForFinished(300)) {
                    display_ = name;
                    return true;
                }
                QThread::msleep(100);
            }
            // Another server took the number first, or it never answered: try the next one.
            xvfb_.kill();
            xvfb_.waitForFinished(5000);
        }
        return fail(why, QStringLiteral("no free display for Xvfb"));
    }

    QString display() const { return display_; }

    // Starts an xterm whose terminal, raw and without echo, copies the next `bytes`
    // bytes typed into it to a file, and gives it the keyboard focus. dd writes byte by byte,
    // so a capture cut short by its timeout still shows what came.
    bool startCapture(qint64 bytes, QString* why, int timeoutSeconds = 60) {
        stopCapture();
        ++captures_;
        outPath_ = dir_.filePath(QStringLiteral("capture%1").arg(captures_));
        const QString ready = dir_.filePath(QStringLiteral("ready%1").arg(captures_));
        const QString script = QStringLiteral("stty raw -echo && : > '%1' && exec timeout --foreground %2 dd "
                                              "bs=1 count=%3 status=none of='%4'")
                                   .arg(ready)
                                   .arg(timeoutSeconds)
                                   .arg(bytes)
                                   .arg(outPath_);
        xterm_ = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        xterm_->setProcessEnvironment(env);
        xterm_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xterm_->setStandardOutputFile(QProcess::nullDevice());
        xterm_->start(QStringLiteral("xterm"),
                      {QStringLiteral("-u8"), QStringLiteral("-geometry"), QStringLiteral("80x24+0+0"),
                       QStringLiteral("-e"), QStringLiteral("sh"), QStringLiteral("-c"), script});
        if (!xterm_->waitForStarted(10000)) return fail(why, QStringLiteral("xterm did not start"));
        QByteArray id;
        if (!run(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--class"), QStringLiteral("xterm")},
                 &id, display_))
            return fail(why, QStringLiteral("xterm window not found"));
        id = id.trimmed();
        if (id.contains('\n')) id = id.left(id.indexOf('\n'));
        xtermWindow_ = QString::fromLatin1(id);
        if (!focusCapture()) return fail(why, QStringLiteral("could not focus the xterm"));
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(ready)) {
            if (t.elapsed() > 20000 || xterm_->state() == QProcess::NotRunning)
                return fail(why, QStringLiteral("the capture in the xterm did not start"));
            QThread::msleep(20);
        }
        return true;
    }

    // Gives the capturing xterm the keyboard focus again. No window manager: the focus is
    // set directly, with the pointer over the window too.
    bool focusCapture() {
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("--window"), xtermWindow_, QStringLiteral("20"),
             QStringLiteral("20")},
            nullptr, display_);
        return run(QStringLiteral("xdotool"),
                   {QStringLiteral("windowfocus"), QStringLiteral("--sync"), xtermWindow_}, nullptr,
                   display_);
    }

    // Waits until the capture file holds `bytes` bytes (or `waitMs` passed); true when it does.
    bool waitForBytes(qint64 bytes, int waitMs) const {
        QElapsedTimer t;
        t.start();
        while (QFileInfo(outPath_).size() < bytes) {
            if (t.elapsed() > waitMs) return false;
            QThread::msleep(1);
        }
        return true;
    }

    // Waits for the capture to end (all bytes read, or its timeout) and returns what came.
    QByteArray finishCapture(int waitMs = 90000) {
        if (xterm_ && !xterm_->waitForFinished(waitMs)) stopCapture();
        xterm_.reset();
        QFile f(outPath_);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return f.readAll();
    }

    // Runs an X client of the session; true on exit status 0.
    static bool run(const QString& program, const QStringList& args, QByteArray* out,
                    const QString& display) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished(5000);
            return false;
        }
        if (out) *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

private:
    static bool fail(QString* why, const QString& reason) {
        if (why) *why = reason;
        return false;
    }
    void stopCapture() {
        if (xterm_ && xterm_->state() != QProcess::NotRunning) {
            xterm_->kill();
            xterm_->waitForFinished(5000);
        }
        xterm_.reset();
    }

    QTemporaryDir dir_;
    QProcess xvfb_;
    QString display_;
    std::unique_ptr<QProcess> xterm_;
    QString xtermWindow_;
    QString outPath_;
    int captures_ = 0;
};

} // namespace torvo::test
