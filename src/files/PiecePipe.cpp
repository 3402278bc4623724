#include "files/PiecePipe.h"

#include <algorithm>

namespace torvo {

PiecePipe::PiecePipe(std::function<bool(const RichText&)> take, std::size_t waiting)
    : take_(std::move(take)), waiting_(std::max<std::size_t>(waiting, 1)) {}

PiecePipe::~PiecePipe() {
    close();
}

bool PiecePipe::give(const RichText& piece) {
    RichText copy = piece; // before the lock: the writer need not wait for it
    if (!worker_.joinable() && !pieces_.empty()) worker_ = std::thread([this] { run(); });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return refused_ || pieces_.size() < waiting_; });
    if (refused_ || closed_) return false;
    pieces_.push_back(std::move(copy));
    changed_.notify_all();
    return true;
}

bool PiecePipe::close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable())
        worker_.join();
    else
        run(); // one piece at most: no thread was started
    return !refused_;
}

void PiecePipe::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closed_ || !pieces_.empty(); });
        if (pieces_.empty()) return; // closed, and every piece taken
        const RichText piece = std::move(pieces_.front());
        lock.unlock();
        const bool took = take_(piece);
        lock.lock();
        pieces_.pop_front();
        if (!took) {
            refused_ = true;
            pieces_.clear();
        }
        changed_.notify_all();
        if (refused_) return;
    }
}

} // namespace torvo
