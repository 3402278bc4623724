#include "window/RecoveryKeeper.h"

namespace torvo {

RecoveryKeeper::RecoveryKeeper(std::function<std::optional<RichText>()> unsaved,
                               std::function<QString()> file, QObject* parent)
    : QObject(parent), unsaved_(std::move(unsaved)), file_(std::move(file)) {
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::write);
}

Recovery RecoveryKeeper::start(const QString& folder, bool adopt) {
    store_ = std::make_unique<RecoveryStore>(folder);
    return store_->takeOver(adopt);
}

void RecoveryKeeper::schedule() {
    if (store_ && !timer_.isActive()) timer_.start();
}

void RecoveryKeeper::write() {
    timer_.stop();
    if (!store_) return;
    const std::optional<RichText> art = unsaved_();
    if (!art) {
        store_->discard();
        return;
    }
    const Result<void> written = store_->write(*art, file_());
    // A failure of the write before this one shows now.
    const QString error = written ? store_->takeError() : written.why();
    if (!error.isEmpty()) emit problem(error);
}

void RecoveryKeeper::writeAndFlush() {
    write();
    if (store_) store_->flush();
}

} // namespace torvo
