#pragma once

#include "send/Typist.h"

namespace torvo {

// Keeps what it was asked to type, call by call, instead of typing it.
class RecordingTypist : public Typist {
public:
    Result<void> perform(const std::vector<KeyAction>& actions) override {
        calls_.push_back(actions);
        if (failWith_.isEmpty()) return {};
        return Failure{failWith_};
    }

    // Every call's actions, in order.
    const std::vector<std::vector<KeyAction>>& calls() const { return calls_; }
    // All actions of all calls, in order.
    std::vector<KeyAction> actions() const {
        std::vector<KeyAction> all;
        for (const auto& c : calls_)
            all.insert(all.end(), c.begin(), c.end());
        return all;
    }
    void clear() { calls_.clear(); }
    // Makes the next calls report this failure (after recording), for callers' error paths.
    void setFailure(const QString& error) { failWith_ = error; }

private:
    std::vector<std::vector<KeyAction>> calls_;
    QString failWith_;
};

} // namespace torvo
