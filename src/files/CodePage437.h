#pragma once

#include <QByteArray>
#include <QStringView>

namespace torvo {

// Code page 437 as ANSI art is written in: bytes below 0x80 are ASCII, so the control
// bytes of the escape sequences stay controls; bytes 0x80-0xFF are the accented letters,
// blocks and box drawing of the PC's text mode.

// The character of one byte 0x80-0xFF.
char16_t codePage437High(unsigned char byte);

// The text in code page 437. A character the code page lacks becomes "?" and is counted
// in missing.
QByteArray toCodePage437(QStringView text, qsizetype* missing = nullptr);

} // namespace torvo
