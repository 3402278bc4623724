#pragma once

// What the X and the sway sessions share: their helper programs, and a terminal that
// copies the next bytes typed into it, raw and without echo, to a file.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>
#include <functional>
#include <initializer_list>
#include <memory>

namespace torvo::test {

class CaptureSession {
public:
    ~CaptureSession() { stopCapture(); }

    // The programs of `tools` that are not installed, space separated.
    static QString missing(std::initializer_list<const char*> tools) {
        QStringList out;
        for (const char* tool : tools)
            if (QStandardPaths::findExecutable(tool).isEmpty()) out << tool;
        return out.join(' ');
    }

    // Runs a program to its end in `env`; true on exit status 0.
    static bool run(const QString& program, const QStringList& args, QByteArray* out,
                    const QProcessEnvironment& env) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForFinished(30000)) {
            stop(p);
            return false;
        }
        if (out) *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // Ends a process: politely first when `politely`.
    static void stop(QProcess& p, bool politely = false) {
        if (p.state() == QProcess::NotRunning) return;
        if (politely) p.terminate();
        if (!politely || !p.waitForFinished(5000)) p.kill();
        p.waitForFinished(5000);
    }

    // Waits until the capture file holds `bytes` bytes (or `waitMs` passed); true when it does.
    bool waitForBytes(qint64 bytes, int waitMs) const {
        return waitFor([&] { return QFileInfo(capture_).size() >= bytes; }, waitMs, 1);
    }

    // Waits for the capture to end (all bytes read, or its timeout) and returns what came.
    QByteArray finishCapture(int waitMs = 90000) {
        if (terminal_ && !terminal_->waitForFinished(waitMs)) stopCapture();
        terminal_.reset();
        QFile f(capture_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

protected:
    static bool fail(QString* why, const QString& reason) {
        if (why) *why = reason;
        return false;
    }
    static bool waitFor(const std::function<bool()>& done, int waitMs, int stepMs = 20) {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > waitMs) return false;
            QThread::msleep(stepMs);
        }
        return true;
    }

    // Starts the next capture in `folder`: the shell command the terminal runs, which
    // creates the "ready" file once the terminal is raw. dd writes byte by byte, so a
    // capture cut short by its timeout still shows what came.
    QString nextCapture(const QString& folder, qint64 bytes, int timeoutSeconds) {
        stopCapture();
        ++captures_;
        capture_ = folder + QStringLiteral("/capture%1").arg(captures_);
        ready_ = folder + QStringLiteral("/ready%1").arg(captures_);
        terminal_ = std::make_unique<QProcess>();
        return QStringLiteral("stty raw -echo && : > '%1' && exec timeout --foreground %2 dd "
                              "bs=1 count=%3 status=none of='%4'")
            .arg(ready_)
            .arg(timeoutSeconds)
            .arg(bytes)
            .arg(capture_);
    }
    bool waitUntilReady(int waitMs) const {
        return waitFor([this] { return QFile::exists(ready_) || terminal_->state() == QProcess::NotRunning; },
                       waitMs) &&
               QFile::exists(ready_);
    }
    void stopCapture() {
        if (terminal_) stop(*terminal_);
        terminal_.reset();
    }

    std::unique_ptr<QProcess> terminal_;
    QString capture_, ready_;
    int captures_ = 0;
};

} // namespace torvo::test
