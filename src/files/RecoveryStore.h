#pragma once

#include "art/RichText.h"
#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <memory>
#include <optional>

class QLockFile;

namespace torvo {

// What a recovery file holds: the unsaved art and the file it belongs to ("" for none).
struct RecoveredArt {
    RichText art;
    QString file;
};

// The recovery file's bytes: a header line, the file name, the typing colour, every
// position (code point and colour) and a checksum, so that a damaged file is known.
QByteArray encodeRecovery(const RichText& art, const QString& file);
// Fails for a file that is not a whole recovery file.
Result<RecoveredArt> decodeRecovery(QByteArrayView bytes);

// What a start finds in the folder: the art left by an editor that ended, and a line on a
// file that could not be read (set aside), each when there is one.
struct Recovery {
    std::optional<RecoveredArt> found;
    QString problem;
};

// The recovery files of a folder: one per running window, each held by a lock file so
// that two editors never write the same one. A file whose lock nobody holds was left by
// an editor that ended without saving (an exit, a crash, a kill). Writing a large picture
// takes a while, so files are written and removed in order on a thread of their own.
class RecoveryStore {
public:
    explicit RecoveryStore(QString folder);
    // Finishes what is being written, keeps this window's file, if any, and lets the next
    // start take it.
    ~RecoveryStore();

    // The newest file that no running editor holds. With `adopt` it becomes this
    // window's own; otherwise it stays for a later start. A file that cannot be read is
    // renamed aside and the problem says so.
    Recovery takeOver(bool adopt = true);
    // Writes the art into this window's file, atomically, soon; fails when there is no
    // file to write into.
    Result<void> write(RichText art, const QString& file);
    // Removes this window's file: the art is saved.
    void discard();
    // Waits until everything asked for is on disk.
    void flush();
    // Why the last write failed ("" when it did not), once.
    QString takeError();
    // This window's file ("" until the first write or take-over).
    QString path() const { return path_; }

    static constexpr const char* Suffix = ".torvo-recovery";

private:
    bool claim(const QString& path);

    QString folder_;
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QMutex mutex_;
    QString error_;
    QThreadPool writer_;
};

} // namespace torvo
