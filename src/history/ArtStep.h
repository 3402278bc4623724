#pragma once

#include "art/LineChange.h"
#include "history/History.h"

#include <QString>

namespace torvo {

// A step of the art's history: the lines one change replaced.
class ArtStep : public History::Step {
public:
    enum class Kind {
        Typing, // typed characters and deletions by key; runs of them merge
        Edit,   // anything else: paste, colouring, write-backs
        Open,   // a whole new art, with the file it came from
    };
    // Typing merges while the next key comes within this pause.
    static constexpr qint64 PauseMs = 1000;

    ArtStep(std::vector<LineChange> lines, Kind kind, qint64 timeMs)
        : lines_(std::move(lines)), kind_(kind), time_(timeMs) {}
    // An open: the file the art belonged to before, and the one it belongs to after.
    ArtStep(std::vector<LineChange> lines, QString fileBefore, QString fileAfter)
        : lines_(std::move(lines)), kind_(Kind::Open), fileBefore_(std::move(fileBefore)),
          fileAfter_(std::move(fileAfter)) {}

    const std::vector<LineChange>& lines() const { return lines_; }
    Kind kind() const { return kind_; }
    // The file the art belongs to once this step is undone or done.
    const QString& file(bool undone) const { return undone ? fileBefore_ : fileAfter_; }

    qint64 bytes() const override;
    // Typing goes on in one step while keys follow each other within the pause on one line,
    // at the place the last one left, in the same colour and without a line break.
    bool absorb(const History::Step& next) override;

private:
    std::vector<LineChange> lines_;
    Kind kind_;
    qint64 time_ = 0;
    QString fileBefore_, fileAfter_;
};

} // namespace torvo
