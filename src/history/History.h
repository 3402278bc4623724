#pragma once

#include <QObject>
#include <QUndoStack>
#include <functional>
#include <memory>

namespace torvo {

// An undo history on Qt's undo stack. Steps are changes already made when they are
// recorded; undoing or redoing one hands it to `apply`. The oldest steps go when there
// are more than `maxSteps` or they hold more than `maxBytes`.
class History : public QObject {
    Q_OBJECT
public:
    // What a step holds; a history keeps one kind of step.
    class Step {
    public:
        virtual ~Step() = default;
        virtual qint64 bytes() const = 0;
        // Takes `next` into this step when both belong together (typing, say).
        virtual bool absorb(const Step& next) {
            Q_UNUSED(next);
            return false;
        }
    };
    using Apply = std::function<void(const Step& step, bool undo)>;

    static constexpr int DefaultSteps = 500;
    static constexpr qint64 DefaultBytes = qint64(256) << 20;

    explicit History(Apply apply, int maxSteps = DefaultSteps, qint64 maxBytes = DefaultBytes,
                     QObject* parent = nullptr);

    QUndoStack* stack() { return &stack_; }
    const QUndoStack* stack() const { return &stack_; }
    void record(std::shared_ptr<Step> step);
    // Memory the steps hold.
    qint64 bytes() const;
    // Forgets every step; the present state becomes the saved one.
    void clear();

private:
    class Command;
    void dropOldest();

    QUndoStack stack_;
    Apply apply_;
    qint64 maxBytes_;
    // At least what the steps take: the last count plus every step recorded since. Counting
    // them all again each time would cost a walk over the whole stack for each step.
    qint64 bound_ = 0;
    bool silent_ = false;
};

} // namespace torvo
