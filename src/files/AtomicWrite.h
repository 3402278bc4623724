#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace torvo {

// Writes data to path through a temporary file in the same folder that replaces the old
// file only once everything was written, so a failure never destroys what was there.
Result<void> writeFileAtomically(const QString& path, const QByteArray& data);
// The same with what `write` puts into the file, piece by piece (false: a piece failed).
Result<void> writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);

// Reads a whole file of at most maxBytes.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes = qint64(512) << 20);

} // namespace torvo
