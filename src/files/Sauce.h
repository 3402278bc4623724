#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <optional>

namespace torvo {

// The SAUCE record that ANSI art carries after its content: 128 bytes at the very end of
// the file, after a DOS end-of-file byte (0x1A) and an optional block of comment lines.
struct SauceRecord {
    static constexpr int Size = 128;
    static constexpr quint8 Character = 1; // data type of text art
    static constexpr quint8 Ansi = 1;      // its file type for ANSI art

    QByteArray title;  // up to 35 bytes, code page 437
    QByteArray author; // up to 20
    QByteArray group;  // up to 20
    QDate date;
    quint32 fileSize = 0;
    quint8 dataType = Character;
    quint8 fileType = Ansi;
    quint16 tInfo1 = 0; // width in characters for text art
    quint16 tInfo2 = 0; // number of lines for text art
    quint16 tInfo3 = 0;
    quint16 tInfo4 = 0;
    quint8 comments = 0; // comment lines before the record
    quint8 flags = 0;
    QByteArray tInfoS; // up to 22 bytes: the font for text art
};

// The 128 bytes of the record, fields padded as readers expect.
QByteArray encodeSauce(const SauceRecord& record);

struct SauceSplit {
    QByteArrayView content; // the file up to its first end-of-file byte
    std::optional<SauceRecord> record;
};

// Separates a file's content from its SAUCE record and comment block. The record's own
// sizes are not trusted: the content ends at the first end-of-file byte, or where the
// comment block or record starts.
SauceSplit splitSauce(QByteArrayView file);

} // namespace torvo
