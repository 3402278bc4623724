#pragma once

#include "art/RichText.h"
#include "files/RecoveryStore.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace torvo {

// Keeps the window's unsaved work in its recovery file: a second after a change, at once when
// the work is saved or the window ends.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // `unsaved`: the art to keep, or nothing when all is saved; `file`: the file it belongs to.
    RecoveryKeeper(std::function<std::optional<RichText>()> unsaved, std::function<QString()> file,
                   QObject* parent);

    // Keeps the work in `folder` from now on; what an editor that ended left there comes back
    // (and becomes this window's own file with `adopt`).
    Recovery start(const QString& folder, bool adopt);
    void schedule();
    void write();
    // Writes now and waits until it is on disk.
    void writeAndFlush();

signals:
    // A write failed: one line.
    void problem(const QString& message);

private:
    std::function<std::optional<RichText>()> unsaved_;
    std::function<QString()> file_;
    std::unique_ptr<RecoveryStore> store_;
    QTimer timer_;
};

} // namespace torvo
