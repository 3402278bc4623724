#pragma once

#include "art/RichText.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace torvo {

// Pieces of a picture handed to `take` on a thread of its own, in the order given, so that
// reading the next rows and writing the last ones overlap. A few pieces wait at most; once
// `take` says no, it gets nothing more and give() says no too. The thread starts with the
// second piece: art that comes in one piece (most files) is taken at close() on the
// caller's thread, without paying for a thread.
class PiecePipe {
public:
    explicit PiecePipe(std::function<bool(const RichText&)> take, std::size_t waiting = 4);
    ~PiecePipe();
    PiecePipe(const PiecePipe&) = delete;
    PiecePipe& operator=(const PiecePipe&) = delete;

    bool give(const RichText& piece);
    // Waits until every piece given is taken: whether `take` took them all.
    bool close();

private:
    void run();

    const std::function<bool(const RichText&)> take_;
    const std::size_t waiting_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<RichText> pieces_;
    bool closed_ = false;
    bool refused_ = false;
    std::thread worker_;
};

} // namespace torvo
