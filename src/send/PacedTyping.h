#pragma once

#include "send/Typist.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

namespace torvo {

// Types lines into the focused window one at a time, with a pause after each: a chat
// client takes keys that come faster than anyone types for a paste (irssi asks before
// sending a pasted block), and a pause lets it take each line as typed and send it at the
// pace its own flood protection keeps. The window stays responsive between lines.
class PacedTyping : public QObject {
    Q_OBJECT
public:
    static constexpr int PauseMs = 300;

    explicit PacedTyping(QObject* parent = nullptr);
    ~PacedTyping() override;

    // Types the first line at once and the others after a pause each. A typing already
    // going on is called off first.
    void start(std::unique_ptr<Typist> typist, std::vector<std::vector<KeyAction>> lines,
               int pauseMs = PauseMs);
    bool isRunning() const { return typist_ != nullptr; }
    // Types no more lines; finished reports it.
    void cancel();

signals:
    // Before each line: how many are typed, of how many.
    void progress(int typed, int total);
    // The typist's done message, the failure that stopped the typing, or the call-off.
    void finished(const QString& status);

private:
    void typeNext();
    void end(const QString& status);

    std::unique_ptr<Typist> typist_;
    std::vector<std::vector<KeyAction>> lines_;
    std::size_t next_ = 0;
    QTimer pause_;
};

} // namespace torvo
