#include "base/CodePoints.h"

namespace torvo {

void appendCodePoint(QString& out, char32_t ch) {
    if (ch >= 0x10000 && ch <= 0x10FFFF) {
        out.append(QChar::highSurrogate(ch));
        out.append(QChar::lowSurrogate(ch));
    } else {
        out.append(QChar(char16_t(ch)));
    }
}

} // namespace torvo
