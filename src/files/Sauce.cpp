#include "files/Sauce.h"

#include <algorithm>

namespace torvo {
namespace {

constexpr char Eof = 0x1A;

void putText(QByteArray& out, const QByteArray& text, int width, char pad) {
    const QByteArray field = text.left(width);
    out.append(field);
    out.append(width - field.size(), pad);
}

void putNumber(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i) & 0xFF));
}

quint32 number(QByteArrayView bytes, int at, int size) {
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

QByteArray text(QByteArrayView bytes, int at, int size) {
    QByteArray t = bytes.sliced(at, size).toByteArray();
    while (!t.isEmpty() && (t.back() == ' ' || t.back() == '\0'))
        t.chop(1);
    return t;
}

// CCYYMMDD. Eight digits of a real day are read here: Qt's date parser works out the
// time zone (it reads /etc/localtime), which every conversion would pay for at start.
QDate date(QByteArrayView field) {
    const bool digits = std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto number = [field](int at, int n) {
        int v = 0;
        for (int i = at; i < at + n; ++i)
            v = v * 10 + (field[i] - '0');
        return v;
    };
    const QDate day = digits ? QDate(number(0, 4), number(4, 2), number(6, 2)) : QDate();
    return day.isValid() ? day : QDate::fromString(QString::fromLatin1(field), QStringLiteral("yyyyMMdd"));
}

} // namespace

QByteArray encodeSauce(const SauceRecord& r) {
    QByteArray out;
    out.reserve(SauceRecord::Size);
    out.append("SAUCE00", 7);
    putText(out, r.title, 35, ' ');
    putText(out, r.author, 20, ' ');
    putText(out, r.group, 20, ' ');
    putText(out, r.date.isValid() ? r.date.toString(QStringLiteral("yyyyMMdd")).toLatin1() : QByteArray(), 8,
            ' ');
    putNumber(out, r.fileSize, 4);
    putNumber(out, r.dataType, 1);
    putNumber(out, r.fileType, 1);
    putNumber(out, r.tInfo1, 2);
    putNumber(out, r.tInfo2, 2);
    putNumber(out, r.tInfo3, 2);
    putNumber(out, r.tInfo4, 2);
    putNumber(out, r.comments, 1);
    putNumber(out, r.flags, 1);
    putText(out, r.tInfoS, 22, '\0');
    return out;
}

SauceSplit splitSauce(QByteArrayView file) {
    SauceSplit split{file, std::nullopt};
    const qsizetype start = file.size() - SauceRecord::Size;
    if (start >= 0 && file.sliced(start).startsWith("SAUCE00")) {
        const QByteArrayView b = file.sliced(start);
        SauceRecord r;
        r.title = text(b, 7, 35);
        r.author = text(b, 42, 20);
        r.group = text(b, 62, 20);
        r.date = date(b.sliced(82, 8));
        r.fileSize = number(b, 90, 4);
        r.dataType = quint8(number(b, 94, 1));
        r.fileType = quint8(number(b, 95, 1));
        r.tInfo1 = quint16(number(b, 96, 2));
        r.tInfo2 = quint16(number(b, 98, 2));
        r.tInfo3 = quint16(number(b, 100, 2));
        r.tInfo4 = quint16(number(b, 102, 2));
        r.comments = quint8(number(b, 104, 1));
        r.flags = quint8(number(b, 105, 1));
        r.tInfoS = text(b, 106, 22);
        split.record = r;
        split.content = file.first(start);
        // The comment block is dropped only where the record says it is.
        const qsizetype comment = start - 5 - 64 * qsizetype(r.comments);
        if (r.comments > 0 && comment >= 0 && file.sliced(comment).startsWith("COMNT"))
            split.content = file.first(comment);
    }
    const qsizetype eof = split.content.indexOf(Eof);
    if (eof >= 0) split.content = split.content.first(eof);
    return split;
}

} // namespace torvo
