#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace torvo {

// When a written file counts as written: once it is on the disk (the user's own work), or
// once the system has it and will put it there in its own time (conversions from the
// command line, which like other converters do not wait for the disk on every file).
enum class Durability { OnDisk, InSystem };

// Writes data to path through a temporary file in the same folder that replaces the old
// file only once everything was written, so a failure never destroys what was there. A
// link is followed; the file keeps its permissions. Only a regular file the user may write
// is ever replaced: a character device, FIFO or socket, and the descriptors this process
// has open (/dev/stdout, /dev/fd/N), are written straight into; a read-only file, a folder
// or anything else is refused.
Result<void> writeFileAtomically(const QString& path, const QByteArray& data);
// The same with what `write` puts into the file, piece by piece (false: a piece failed).
Result<void> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write,
                                 Durability durability = Durability::OnDisk);

// Reads a whole file of at most maxBytes.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes = qint64(512) << 20);

} // namespace torvo
