#include "history/History.h"

#include <QUndoCommand>
#include <vector>

namespace torvo {

// A step on the stack. Its first redo is the change itself, already made.
class History::Command : public QUndoCommand {
public:
    Command(History& history, std::shared_ptr<Step> step) : history_(history), step_(std::move(step)) {}

    // While the stack is rebuilt, steps stay as they were.
    int id() const override { return history_.silent_ ? -1 : 1; }
    bool mergeWith(const QUndoCommand* other) override {
        return step_->absorb(*static_cast<const Command*>(other)->step_);
    }
    void undo() override {
        if (!history_.silent_) history_.apply_(*step_, true);
    }
    void redo() override {
        if (done_ && !history_.silent_) history_.apply_(*step_, false);
        done_ = true;
    }
    const std::shared_ptr<Step>& step() const { return step_; }

private:
    History& history_;
    std::shared_ptr<Step> step_;
    bool done_ = false;
};

History::History(Apply apply, int maxSteps, qint64 maxBytes, QObject* parent)
    : QObject(parent), apply_(std::move(apply)), maxBytes_(maxBytes) {
    stack_.setUndoLimit(maxSteps);
}

void History::record(std::shared_ptr<Step> step) {
    // A merged step grows by at most the step merged into it; dropped steps only lower it.
    bound_ += step->bytes();
    stack_.push(new Command(*this, std::move(step)));
    if (bound_ <= maxBytes_) return;
    bound_ = bytes();
    if (bound_ <= maxBytes_) return;
    dropOldest();
    bound_ = bytes();
}

qint64 History::bytes() const {
    qint64 n = 0;
    for (int i = 0; i < stack_.count(); ++i)
        n += static_cast<const Command*>(stack_.command(i))->step()->bytes();
    return n;
}

void History::clear() {
    stack_.clear();
    bound_ = 0;
}

void History::dropOldest() {
    // Qt's stack cannot drop its oldest commands by size: build it again from the newest
    // steps that fit, keeping the present place and the saved state.
    std::vector<std::shared_ptr<Step>> steps;
    for (int i = 0; i < stack_.count(); ++i)
        steps.push_back(static_cast<const Command*>(stack_.command(i))->step());
    const int count = int(steps.size());
    const int index = stack_.index();
    const int clean = stack_.cleanIndex();
    // Keep what can still be undone or redone nearest the present; at least the newest step.
    int first = count - 1;
    qint64 kept = steps.back()->bytes();
    while (first > 0 && kept + steps[std::size_t(first - 1)]->bytes() <= maxBytes_)
        kept += steps[std::size_t(--first)]->bytes();
    first = std::min(first, index);

    silent_ = true;
    stack_.clear();
    for (int i = first; i < count; ++i)
        stack_.push(new Command(*this, steps[std::size_t(i)]));
    if (clean >= first) {
        stack_.setIndex(clean - first);
        stack_.setClean();
    } else if (clean >= 0) {
        stack_.resetClean();
    }
    stack_.setIndex(index - first);
    silent_ = false;
}

} // namespace torvo
