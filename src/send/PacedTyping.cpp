#include "send/PacedTyping.h"

namespace torvo {

PacedTyping::PacedTyping(QObject* parent) : QObject(parent) {
    pause_.setSingleShot(true);
    connect(&pause_, &QTimer::timeout, this, &PacedTyping::typeNext);
}

PacedTyping::~PacedTyping() = default;

void PacedTyping::start(std::unique_ptr<Typist> typist, std::vector<std::vector<KeyAction>> lines,
                        int pauseMs) {
    if (isRunning()) cancel();
    typist_ = std::move(typist);
    lines_ = std::move(lines);
    next_ = 0;
    pause_.setInterval(pauseMs);
    typeNext();
}

void PacedTyping::cancel() {
    if (isRunning()) end(QStringLiteral("Envío cancelado."));
}

void PacedTyping::typeNext() {
    if (next_ == lines_.size()) {
        end(typist_->doneMessage());
        return;
    }
    emit progress(int(next_), int(lines_.size()));
    const Result<void> typed = typist_->perform(lines_[next_]);
    if (!typed) {
        end(typed.why());
        return;
    }
    ++next_;
    // After the last line too: the client sends it before anything else is typed.
    pause_.start();
}

void PacedTyping::end(const QString& status) {
    pause_.stop();
    typist_.reset();
    lines_.clear();
    emit finished(status);
}

} // namespace torvo
