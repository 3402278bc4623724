#pragma once

#include <QByteArray>
#include <QString>

namespace torvo {

// Writes data to path through a temporary file in the same folder that replaces the old
// file only once everything was written, so a failure never destroys what was there.
// Returns an empty string on success, otherwise one Spanish line for the status bar.
QString writeFileAtomically(const QString& path, const QByteArray& data);

// Reads a whole file. Returns an empty string on success, otherwise one Spanish line.
QString readWholeFile(const QString& path, QByteArray& data, qint64 maxBytes = qint64(512) << 20);

} // namespace torvo
