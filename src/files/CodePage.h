#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <array>

namespace torvo {

// A code page of one byte per character whose bytes below 0x80 are ASCII: the table of
// its bytes 0x80-0xFF, read both ways.
class CodePage {
public:
    // Windows-1252, as Western Windows programs write text and RTF; its five unassigned
    // bytes are kept as the C1 controls of the same value, so every byte is a character.
    static const CodePage& windows1252();
    // Code page 437, as ANSI art is written: the accented letters, blocks and box drawing
    // of the PC's text mode. Its bytes below 0x80 stay controls, escape sequences too.
    static const CodePage& ibm437();

    using HighHalf = std::array<char16_t, 128>;
    explicit CodePage(const HighHalf& high);

    // The character of one byte.
    char16_t character(unsigned char byte) const { return byte < 0x80 ? char16_t(byte) : high_[byte - 0x80]; }
    // Every byte as its character: nothing is lost.
    QString decode(QByteArrayView bytes) const;
    // The text in this code page. A character the code page lacks (a surrogate pair is
    // one) becomes "?" and is counted in missing.
    QByteArray encode(QStringView text, qsizetype* missing = nullptr) const;

private:
    HighHalf high_;
    QHash<char16_t, char> byteOf_;
};

} // namespace torvo
