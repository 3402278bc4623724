#include "files/BitmapExport.h"

#include "files/CellShapes.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QImageWriter>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <vector>

namespace torvo {
namespace {

struct Glyph {
    int font; // index into the distinct raw fonts
    quint32 index;
    QPointF offset; // from the cell's top left, on the baseline
};

// Glyph indexes and positions gathered for one font in one colour, drawn in one call.
struct Batch {
    int font;
    QRgb colour;
    QList<quint32> indexes;
    QList<QPointF> positions;
};

// Shapes each distinct character once (with the font's fallbacks) and remembers its
// glyphs, so drawing the art is placing known glyphs at cell positions.
class GlyphCache {
public:
    explicit GlyphCache(const QFont& font) : font_(font) {}

    const std::vector<Glyph>& glyphs(char32_t ch) {
        auto it = cache_.find(ch);
        if (it == cache_.end()) it = cache_.insert(ch, shape(ch));
        return *it;
    }
    const QRawFont& rawFont(int i) const { return fonts_[std::size_t(i)]; }

private:
    std::vector<Glyph> shape(char32_t ch) {
        QString s;
        appendCodePoint(s, ch);
        QTextLayout layout(s, font_);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        std::vector<Glyph> out;
        if (!line.isValid()) return out;
        line.setPosition(QPointF(0, 0));
        const QList<QGlyphRun> runs = layout.glyphRuns();
        for (const QGlyphRun& run : runs) {
            const int f = fontIndex(run.rawFont());
            const QList<quint32> idx = run.glyphIndexes();
            const QList<QPointF> pos = run.positions();
            for (qsizetype i = 0; i < idx.size() && i < pos.size(); ++i)
                out.push_back({f, idx[i], pos[i]});
        }
        return out;
    }
    int fontIndex(const QRawFont& raw) {
        for (std::size_t i = 0; i < fonts_.size(); ++i)
            if (fonts_[i] == raw) return int(i);
        fonts_.push_back(raw);
        return int(fonts_.size() - 1);
    }

    QFont font_;
    QHash<char32_t, std::vector<Glyph>> cache_;
    std::vector<QRawFont> fonts_;
};

} // namespace

QFont textImageFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(8.25);
    return font;
}

QSize measureCell(const QFont& font) {
    const QFontMetrics metrics(font);
    return QSize(metrics.horizontalAdvance(QLatin1Char(' ')), metrics.lineSpacing());
}

Result<QImage> renderArt(const RichText& text, int MaxCols, int MaxRows, const QFont& font) {
    const QSize cell = measureCell(font);
    const qint64 cols = qint64(std::max(MaxCols, 0)) + 1;
    const qint64 rows = qint64(std::max(MaxRows, 0)) + 1;
    const qint64 width = cols * std::max(cell.width(), 1);
    const qint64 height = rows * std::max(cell.height(), 1);
    const Failure tooLarge{QStringLiteral("La imagen sería demasiado grande para guardarla.")};
    if (width > INT_MAX / 4 || height > INT_MAX / 4 || width * height > MaxBitmapPixels) return tooLarge;
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) return tooLarge;
    image.fill(Qt::black);

    GlyphCache cache(font);
    std::vector<Batch> batches;
    auto batchFor = [&batches](int f, QRgb colour) -> Batch& {
        for (Batch& b : batches)
            if (b.font == f && b.colour == colour) return b;
        batches.push_back({f, colour, {}, {}});
        return batches.back();
    };

    // Blocks and box drawing are drawn as shapes, joined at the cells' edges.
    struct Shape {
        char32_t ch;
        QRect cell;
        QRgb colour;
    };
    std::vector<Shape> shapes;

    const auto& positions = text.positions();
    qint64 row = 0;
    qint64 col = 0;
    for (const RichText::Position& pos : positions) {
        if (pos.ch == RichText::CR) {
            if (++row >= rows) break;
            col = 0;
            continue;
        }
        if (pos.ch == RichText::LF) continue;
        const qint64 c = col++;
        if (c >= cols || pos.ch == U' ') continue;
        const QPointF origin(qreal(c * cell.width()), qreal(row * cell.height()));
        const QRgb colour = pos.colour.toQColor().rgb();
        if (isCellShape(pos.ch)) {
            shapes.push_back({pos.ch, QRect(origin.toPoint(), cell), colour});
            continue;
        }
        for (const Glyph& g : cache.glyphs(pos.ch)) {
            Batch& b = batchFor(g.font, colour);
            b.indexes.push_back(g.index);
            b.positions.push_back(origin + g.offset);
        }
    }

    QPainter painter(&image);
    for (const Shape& s : shapes)
        drawCellShape(painter, s.ch, s.cell, QColor::fromRgb(s.colour));
    for (const Batch& b : batches) {
        QGlyphRun run;
        run.setRawFont(cache.rawFont(b.font));
        run.setGlyphIndexes(b.indexes);
        run.setPositions(b.positions);
        painter.setPen(QColor::fromRgb(b.colour));
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    painter.end();
    return image;
}

Result<QByteArray> encodeBitmap(const QImage& image) {
    if (image.isNull()) return Failure{QStringLiteral("el dibujo es demasiado grande para una imagen.")};
    QByteArray bytes;
    // 24-bit rows padded to 4 bytes, after the headers: one allocation for the whole file.
    bytes.reserve(64 + qsizetype(image.height()) * ((qsizetype(image.width()) * 3 + 3) & ~qsizetype(3)));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("BMP"));
    if (!writer.write(image)) return Failure{writer.errorString()};
    buffer.close();
    return bytes;
}

} // namespace torvo
