#include "files/CellShapes.h"

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

namespace torvo {
namespace {

// The arms of each box-drawing character from U+2500, as up, right, down and left:
// 0 none, 1 light, 2 heavy, 3 double. Dashed lines, arcs and diagonals are drawn their own
// way; their arms say where they meet their neighbours.
constexpr char Arms[128][5] = {
    "0101", "0202", "1010", "2020", "0101", "0202", "1010", "2020", // ─━│┃┄┅┆┇
    "0101", "0202", "1010", "2020", "0110", "0210", "0120", "0220", // ┈┉┊┋┌┍┎┏
    "0011", "0012", "0021", "0022", "1100", "1200", "2100", "2200", // ┐┑┒┓└┕┖┗
    "1001", "1002", "2001", "2002", "1110", "1210", "2110", "1120", // ┘┙┚┛├┝┞┟
    "2120", "2210", "1220", "2220", "1011", "1012", "2011", "1021", // ┠┡┢┣┤┥┦┧
    "2021", "2012", "1022", "2022", "0111", "0112", "0211", "0212", // ┨┩┪┫┬┭┮┯
    "0121", "0122", "0221", "0222", "1101", "1102", "1201", "1202", // ┰┱┲┳┴┵┶┷
    "2101", "2102", "2201", "2202", "1111", "1112", "1211", "1212", // ┸┹┺┻┼┽┾┿
    "2111", "1121", "2121", "2112", "2211", "1122", "1221", "2212", // ╀╁╂╃╄╅╆╇
    "1222", "2122", "2221", "2222", "0101", "0202", "1010", "2020", // ╈╉╊╋╌╍╎╏
    "0303", "3030", "0310", "0130", "0330", "0013", "0031", "0033", // ═║╒╓╔╕╖╗
    "1300", "3100", "3300", "1003", "3001", "3003", "1310", "3130", // ╘╙╚╛╜╝╞╟
    "3330", "1013", "3031", "3033", "0313", "0131", "0333", "1303", // ╠╡╢╣╤╥╦╧
    "3101", "3303", "1313", "3131", "3333", "0110", "0011", "1001", // ╨╩╪╫╬╭╮╯
    "1100", "0000", "0000", "0000", "0001", "1000", "0100", "0010", // ╰╱╲╳╴╵╶╷
    "0002", "2000", "0200", "0020", "0201", "1020", "0102", "2010", // ╸╹╺╻╼╽╾╿
};

// Dashes of the dashed lines (┄ to ┋, ╌ to ╏); 0 for a whole line.
int dashesOf(char32_t ch) {
    if (ch >= 0x2504 && ch <= 0x250B) return ch < 0x2508 ? 3 : 4;
    if (ch >= 0x254C && ch <= 0x254F) return 2;
    return 0;
}

class Lines {
public:
    Lines(QPainter& painter, const QRect& cell, const QColor& colour)
        : p_(painter), colour_(colour), x_(cell.x()), y_(cell.y()), w_(cell.width()), h_(cell.height()),
          t_(std::max(1, std::min(w_, h_) / 8)), cx_(x_ + (w_ - t_) / 2), cy_(y_ + (h_ - t_) / 2) {}

    void draw(const char* arms, int dashes) {
        const int up = arms[0] - '0', right = arms[1] - '0', down = arms[2] - '0', left = arms[3] - '0';
        if (dashes > 0) {
            dashed(up != 0 ? up : right, up != 0, dashes);
            return;
        }
        // Double arms, each of two lines whose ends in the middle meet the lines around them.
        if (right == 3) {
            fill(startOf(cx_, up, down), cy_ - t_, x_ + w_, cy_);
            fill(startOf(cx_, down, up), cy_ + t_, x_ + w_, cy_ + 2 * t_);
        }
        if (left == 3) {
            fill(x_, cy_ - t_, endOf(cx_, up, down), cy_);
            fill(x_, cy_ + t_, endOf(cx_, down, up), cy_ + 2 * t_);
        }
        if (down == 3) {
            fill(cx_ - t_, startOf(cy_, left, right), cx_, y_ + h_);
            fill(cx_ + t_, startOf(cy_, right, left), cx_ + 2 * t_, y_ + h_);
        }
        if (up == 3) {
            fill(cx_ - t_, y_, cx_, endOf(cy_, left, right));
            fill(cx_ + t_, y_, cx_ + 2 * t_, endOf(cy_, right, left));
        }
        // Light and heavy arms reach across the lines they cross; one that stops at a double
        // line going straight through touches its near line only.
        const auto [hx0, hx1] = middle(cx_, up, down);
        const auto [vy0, vy1] = middle(cy_, left, right);
        const bool throughV = up == 3 && down == 3, throughH = left == 3 && right == 3;
        if (left == 1 || left == 2)
            fill(x_, low(cy_, left), throughV && right == 0 ? cx_ : hx1, high(cy_, left));
        if (right == 1 || right == 2)
            fill(throughV && left == 0 ? cx_ + t_ : hx0, low(cy_, right), x_ + w_, high(cy_, right));
        if (up == 1 || up == 2) fill(low(cx_, up), y_, high(cx_, up), throughH && down == 0 ? cy_ : vy1);
        if (down == 1 || down == 2)
            fill(low(cx_, down), throughH && up == 0 ? cy_ + t_ : vy0, high(cx_, down), y_ + h_);
    }

    // ╭╮╯╰: a quarter of an ellipse bending round the middle, from one arm to the other,
    // its last pixel before each edge straight so that it meets its neighbour's line there.
    void arc(char32_t ch) {
        const qreal sx = ch == 0x256D || ch == 0x2570 ? 1 : -1, sy = ch == 0x256D || ch == 0x256E ? 1 : -1;
        const QPointF middle(cx_ + t_ / 2.0, cy_ + t_ / 2.0);
        const QPointF side(sx > 0 ? x_ + w_ : x_, middle.y()), end(middle.x(), sy > 0 ? y_ + h_ : y_);
        const QPointF from = side - QPointF(sx, 0), to = end - QPointF(0, sy);
        constexpr qreal Kappa = 0.5523; // control points of a quarter ellipse
        QPainterPath path(side);
        path.lineTo(from);
        path.cubicTo(from - QPointF(Kappa * (from.x() - middle.x()), 0),
                     to - QPointF(0, Kappa * (to.y() - middle.y())), to);
        path.lineTo(end);
        stroke([&](QPainter& p) { p.drawPath(path); }, Qt::FlatCap);
    }

    // ╱╲╳: corner to corner.
    void diagonal(char32_t ch) {
        stroke([&](QPainter& p) {
            if (ch != 0x2572) p.drawLine(QPointF(x_ + w_, y_), QPointF(x_, y_ + h_));
            if (ch != 0x2571) p.drawLine(QPointF(x_, y_), QPointF(x_ + w_, y_ + h_));
        });
    }

private:
    // Across a line: light [c, c + t), heavy [c - t, c + 2t), double [c - t, c) and
    // [c + t, c + 2t).
    int low(int c, int weight) const { return weight == 1 ? c : c - t_; }
    int high(int c, int weight) const { return weight == 1 ? c + t_ : c + 2 * t_; }

    // Where the lines crossing the middle lie, from the arms of the other direction; the
    // light line's place when there are none.
    std::pair<int, int> middle(int c, int a, int b) const {
        if (a == 0 && b == 0) return {c, c + t_};
        if (a == 0 || b == 0) return {low(c, a + b), high(c, a + b)};
        return {std::min(low(c, a), low(c, b)), std::max(high(c, a), high(c, b))};
    }
    // Where a double arm's line begins (an arm that starts in the middle) or ends, given the
    // arm on the same side of it and the one on the other side: the inner line of a double
    // corner, the outer line, a single line it meets, or straight on.
    int startOf(int c, int same, int other) const {
        if (same != 0) return same == 3 ? c + t_ : c;
        if (other != 0) return other == 3 ? c - t_ : c;
        return c - t_;
    }
    int endOf(int c, int same, int other) const {
        if (same != 0) return same == 3 ? c : c + t_;
        if (other != 0) return other == 3 ? c + 2 * t_ : c + t_;
        return c + 2 * t_;
    }

    // Within the cell, also where a cell too small for double lines would push them out.
    void fill(int x0, int y0, int x1, int y1) {
        const QRect r = QRect(x0, y0, x1 - x0, y1 - y0) & QRect(x_, y_, w_, h_);
        if (!r.isEmpty()) p_.fillRect(r, colour_);
    }

    // A line of `dashes` dashes, each followed by a gap as long, across the whole cell.
    void dashed(int weight, bool vertical, int dashes) {
        const int length = vertical ? h_ : w_, start = vertical ? y_ : x_;
        for (int at = 0; at < length;) {
            int end = at;
            const bool on = (2 * dashes * at / length) % 2 == 0;
            while (end < length && ((2 * dashes * end / length) % 2 == 0) == on)
                ++end;
            if (on) {
                if (vertical)
                    fill(low(cx_, weight), start + at, high(cx_, weight), start + end);
                else
                    fill(start + at, low(cy_, weight), start + end, high(cy_, weight));
            }
            at = end;
        }
    }

    template <class Draw> void stroke(Draw&& draw, Qt::PenCapStyle cap = Qt::SquareCap) {
        p_.save();
        p_.setClipRect(QRect(x_, y_, w_, h_), Qt::IntersectClip);
        p_.setRenderHint(QPainter::Antialiasing);
        p_.setPen(QPen(colour_, t_, Qt::SolidLine, cap));
        p_.setBrush(Qt::NoBrush);
        draw(p_);
        p_.restore();
    }

    QPainter& p_;
    const QColor colour_;
    const int x_, y_, w_, h_;
    const int t_;       // a light line's thickness
    const int cx_, cy_; // the first column and row of the light lines through the middle
};

// The edge k eighths along a side of `size` pixels from `start`; the inner edges never
// reach the ends of a side two pixels long or more, so no part of a block goes missing.
int eighth(int start, int size, int k) {
    if (k == 0 || k == 8 || size < 2) return start + size * k / 8;
    return start + std::clamp((size * k + 4) / 8, 1, size - 1);
}

struct Block {
    quint8 x0, y0, x1, y1; // in eighths of the cell
};

// ▀▁▂▃▄▅▆▇█▉▊▋▌▍▎▏▐ (U+2580 to U+2590), then ▔▕.
constexpr std::array<Block, 17> Blocks{{{0, 0, 8, 4},
                                        {0, 7, 8, 8},
                                        {0, 6, 8, 8},
                                        {0, 5, 8, 8},
                                        {0, 4, 8, 8},
                                        {0, 3, 8, 8},
                                        {0, 2, 8, 8},
                                        {0, 1, 8, 8},
                                        {0, 0, 8, 8},
                                        {0, 0, 7, 8},
                                        {0, 0, 6, 8},
                                        {0, 0, 5, 8},
                                        {0, 0, 4, 8},
                                        {0, 0, 3, 8},
                                        {0, 0, 2, 8},
                                        {0, 0, 1, 8},
                                        {4, 0, 8, 8}}};
constexpr Block UpperEighth{0, 0, 8, 1}, RightEighth{7, 0, 8, 8};

// The quadrants of ▖▗▘▙▚▛▜▝▞▟ (U+2596 to U+259F): 1 upper left, 2 upper right, 4 lower
// left, 8 lower right.
constexpr std::array<quint8, 10> Quadrants{4, 8, 1, 13, 9, 7, 11, 2, 6, 14};

void fillBlock(QPainter& p, const QRect& cell, Block b, const QColor& colour) {
    const int x0 = eighth(cell.x(), cell.width(), b.x0), x1 = eighth(cell.x(), cell.width(), b.x1);
    const int y0 = eighth(cell.y(), cell.height(), b.y0), y1 = eighth(cell.y(), cell.height(), b.y1);
    p.fillRect(QRect(x0, y0, x1 - x0, y1 - y0), colour);
}

// ░▒▓: a quarter, half or three quarters of the pixels, spread so that every row and
// column of pixels holds its share, in a pattern laid on the painter's grid.
void shade(QPainter& p, const QRect& cell, int level, const QColor& colour) {
    static constexpr int Light[4] = {0, 2, 1, 3}; // the lit column of each row of a light shade
    QImage tile(4, 4, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool lit = level == 1 ? x == Light[y] : level == 2 ? (x + y) % 2 == 0 : x != Light[y];
            if (lit) tile.setPixel(x, y, colour.rgba());
        }
    p.fillRect(cell, QBrush(tile));
}

} // namespace

bool isCellShape(char32_t ch) {
    return ch >= 0x2500 && ch <= 0x259F;
}

bool drawCellShape(QPainter& painter, char32_t ch, const QRect& cell, const QColor& colour) {
    if (!isCellShape(ch) || cell.isEmpty()) return false;
    const QColor opaque = QColor::fromRgb(colour.rgb());
    if (ch >= 0x2580) {
        if (ch <= 0x2590)
            fillBlock(painter, cell, Blocks[ch - 0x2580], opaque);
        else if (ch <= 0x2593)
            shade(painter, cell, int(ch - 0x2590), opaque);
        else if (ch <= 0x2595)
            fillBlock(painter, cell, ch == 0x2594 ? UpperEighth : RightEighth, opaque);
        else
            for (int q = 0; q < 4; ++q)
                if (Quadrants[ch - 0x2596] & (1 << q))
                    fillBlock(painter, cell,
                              Block{quint8(q % 2 * 4), quint8(q / 2 * 4), quint8(q % 2 * 4 + 4),
                                    quint8(q / 2 * 4 + 4)},
                              opaque);
        return true;
    }
    Lines lines(painter, cell, opaque);
    if (ch >= 0x256D && ch <= 0x2570)
        lines.arc(ch);
    else if (ch >= 0x2571 && ch <= 0x2573)
        lines.diagonal(ch);
    else
        lines.draw(Arms[ch - 0x2500], dashesOf(ch));
    return true;
}

} // namespace torvo
