#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

namespace torvo {

// Writes data to path through a temporary file in the same folder that replaces the old
// file only once everything was written, so a failure never destroys what was there.
Result<void> writeFileAtomically(const QString& path, const QByteArray& data);

// Reads a whole file of at most maxBytes.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes = qint64(512) << 20);

} // namespace torvo
