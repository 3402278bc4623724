#include "files/ExportText.h"

namespace torvo {

QByteArray encodeExport(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.append("\r\n", 2);
    return bytes;
}

} // namespace torvo
