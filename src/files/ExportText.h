#pragma once

#include <QByteArray>
#include <QString>

namespace torvo {

// The bytes of an exported text file: the text, the closing CR LF, as UTF-8 (the
// platform's code page and what the HTML page declares).
QByteArray encodeExport(const QString& text);

} // namespace torvo
