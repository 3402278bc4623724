#pragma once

#include "art/RichText.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cmath>

// Pictures the picture tests make themselves (the import's, the comparison with the chafa
// command), and the art read as lines.
namespace picture_test {

inline QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

inline QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGBA8888);
    image.fill(colour);
    return image;
}

// Smooth colour fields with grain, as a photo has.
inline QImage photoLike(QSize size) {
    QImage image(size, QImage::Format_RGBA8888);
    quint32 seed = 12345;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 27) - 16;
            const double u = double(x) / size.width(), v = double(y) / size.height();
            auto channel = [&](double a) { return std::clamp(int(127 + 120 * std::sin(a)) + grain, 0, 255); };
            image.setPixel(x, y,
                           qRgb(channel(6 * u + 2 * v), channel(5 * v - 3 * u * u), channel(9 * u * v + 1)));
        }
    return image;
}

// A shape in colour over a background that fades from opaque to transparent.
inline QImage withTransparency(QSize size) {
    QImage image(size, QImage::Format_RGBA8888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgba(40, 200, 90, 255 * x / size.width()));
    QPainter p(&image);
    p.setBrush(QColor(250, 240, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(QPoint(size.width() / 4, size.height() / 4), size / 2));
    return image;
}

inline quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

inline QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk(4, 0);
    qToBigEndian(quint32(data.size()), chunk.data());
    const QByteArray body = QByteArray(type, 4) + data;
    QByteArray crc(4, 0);
    qToBigEndian(crc32(body), crc.data());
    return chunk + body + crc;
}

// A PNG whose header claims width × height pixels, followed by a little image data.
inline QByteArray pngHeader(quint32 width, quint32 height) {
    QByteArray header(13, 0);
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 2; // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(QByteArray(1000, 0)).mid(4)) + pngChunk("IEND", {});
}

// A GIF of `frames` frames, the first red, the others blue, on a screen whose size the
// header gives (a frame may be larger).
inline QByteArray gifOfFrames(int frames, QSize frame = {8, 8}, QSize screen = {8, 8}) {
    const auto le16 = [](int v) {
        QByteArray two(2, 0);
        qToLittleEndian(quint16(v), two.data());
        return two;
    };
    QByteArray gif = "GIF89a" + le16(screen.width()) + le16(screen.height()) +
                     QByteArray("\xF0\x00\x00", 3);   // a global table of 2 colours
    gif += QByteArray("\xFF\x00\x00\x00\x00\xFF", 6); // red, blue
    for (int f = 0; f < frames; ++f) {
        gif += QByteArray("\x21\xF9\x04\x00\x01\x00\x00\x00", 8); // 1/100 s a frame
        gif += QByteArray("\x2C\x00\x00\x00\x00", 5) + le16(frame.width()) + le16(frame.height()) + '\0';
        // LZW with 3-bit codes: a clear code (4) before every pixel keeps the table empty.
        const int pixel = f == 0 ? 0 : 1;
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += 3;
            while (count >= 8) {
                data += char(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        for (int k = 0; k < frame.width() * frame.height(); ++k) {
            put(4);
            put(pixel);
        }
        put(5);
        if (count > 0) data += char(bits & 0xFF);
        gif += char(2);
        for (qsizetype at = 0; at < data.size(); at += 255)
            gif += char(std::min<qsizetype>(255, data.size() - at)) + data.mid(at, 255);
        gif += '\0';
    }
    return gif + ';';
}

// The art's lines without their line breaks.
inline QStringList lines(const torvo::RichText& art) {
    QStringList out{QString()};
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == torvo::RichText::LF)
            out << QString();
        else if (!art.isLineBreak(p))
            out.back() += art.textAt(p);
    }
    if (art.endsWithLineBreak()) out.removeLast();
    return out;
}

} // namespace picture_test
