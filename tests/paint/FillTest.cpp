#include "paint/Fill.h"
#include "TestRegistry.h"
#include "art/CharGrid.h"

#include <QTest>
#include <queue>
#include <string>
#include <vector>

using namespace torvo;

namespace {

constexpr Colour Red{0x0000FF};
constexpr Colour Blue{0xFF0000};

// A grid from rows of text; '_' stands for an empty cell.
CharGrid gridOf(const std::vector<std::string>& rows) {
    CharGrid g(int(rows.size()), rows.empty() ? 0 : int(rows[0].size()));
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            if (rows[std::size_t(r)][std::size_t(c)] != '_')
                g.setChar(r, c, char32_t(rows[std::size_t(r)][std::size_t(c)]));
    return g;
}

// The cells of colour `colour` drawn as 'x', others as '.'.
std::vector<std::string> colourMap(const CharGrid& g, Colour colour) {
    std::vector<std::string> out;
    for (int r = 0; r < g.rows(); ++r) {
        std::string line;
        for (int c = 0; c < g.cols(); ++c)
            line += g.at(r, c).colour == colour ? 'x' : '.';
        out.push_back(line);
    }
    return out;
}

bool sameText(const Cell& a, const Cell& b) {
    return a.hasChar == b.hasChar && (!a.hasChar || a.ch == b.ch);
}

// Breadth-first reference for one seed: the cells reachable from (c, r) through the eight
// neighbours over cells for which `inRegion` holds, the seed included when it holds.
template <class InRegion>
std::vector<std::pair<int, int>> reachable(const CharGrid& g, int c, int r, InRegion inRegion) {
    std::vector<std::pair<int, int>> found;
    if (!inRegion(g.at(r, c))) return found;
    std::vector<char> seen(std::size_t(g.rows() * g.cols()), 0);
    std::queue<std::pair<int, int>> q;
    q.push({c, r});
    seen[std::size_t(r * g.cols() + c)] = 1;
    while (!q.empty()) {
        auto [x, y] = q.front();
        q.pop();
        found.push_back({x, y});
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (!g.contains(ny, nx) || seen[std::size_t(ny * g.cols() + nx)] || !inRegion(g.at(ny, nx)))
                    continue;
                seen[std::size_t(ny * g.cols() + nx)] = 1;
                q.push({nx, ny});
            }
    }
    return found;
}

// Reference colour fill over the seeds: seeds in the given order, each against the grid
// as the earlier seeds left it.
void referenceFill(CharGrid& g, const std::vector<std::pair<int, int>>& seeds, Colour colr) {
    for (auto [c, r] : seeds) {
        const Cell seed = g.at(r, c);
        const auto cells =
            reachable(g, c, r, [&](const Cell& x) { return sameText(x, seed) && x.colour != colr; });
        for (auto [x, y] : cells)
            g.setColour(y, x, colr);
    }
}

void referenceWFill(CharGrid& g, const std::vector<std::pair<int, int>>& seeds, const Cell& wrd) {
    for (auto [c, r] : seeds) {
        const Cell seed = g.at(r, c);
        if (sameText(seed, wrd)) continue;
        const auto cells = reachable(g, c, r, [&](const Cell& x) { return sameText(x, seed); });
        for (auto [x, y] : cells) {
            g.at(y, x).hasChar = wrd.hasChar;
            g.at(y, x).ch = wrd.ch;
        }
    }
}

} // namespace

class FillTest : public QObject {
    Q_OBJECT
private slots:
    void xFillWritesAstralCharacter() {
        CharGrid g = gridOf({"aa", "_a"});
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
        WFill(g, 0, 0, 0, 0, smile);
        QCOMPARE(g.at(0, 0).ch, char32_t(0x1F600));
        QCOMPARE(g.at(1, 1).text(), smile);
        QVERIFY(!g.at(1, 0).hasChar);
        // And the astral text is a region of its own afterwards.
        Fill(g, 1, 1, 1, 1, Red);
        QCOMPARE(colourMap(g, Red), (std::vector<std::string>{"xx", ".x"}));
        const CharGrid before = g;
        SeFill(g, 0, 1, QStringLiteral("ab"), Blue, g.cols(), g.rows()); // no cell holds two characters
        QCOMPARE(g, before);
    }
    // Grids of four texts (a, A, space, empty) and three colours, against a breadth-first
    // reference over the eight neighbours, the seeds of the drag walked in its directions.
    void randomGridsMatchReference() {
        quint32 seed = 12345;
        auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 16; };
        const Colour colours[] = {CharGrid::DefaultColour, Red, Blue};
        const char32_t texts[] = {U'a', U'A', U' '};
        const QString fills[] = {QString(), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral(" ")};
        for (int round = 0; round < 200; ++round) {
            CharGrid g(3 + int(next() % 4), 3 + int(next() % 5));
            for (int r = 0; r < g.rows(); ++r)
                for (int c = 0; c < g.cols(); ++c) {
                    if (const int k = int(next() % 4); k < 3) g.setChar(r, c, texts[k]);
                    g.setColour(r, c, colours[next() % 3]);
                }
            const int c0 = int(next() % unsigned(g.cols())), c1 = int(next() % unsigned(g.cols()));
            const int r0 = int(next() % unsigned(g.rows())), r1 = int(next() % unsigned(g.rows()));
            std::vector<std::pair<int, int>> ordered;
            const int sc = c1 >= c0 ? 1 : -1, sr = r1 >= r0 ? 1 : -1;
            for (int c = c0;; c += sc) {
                for (int r = r0;; r += sr) {
                    ordered.push_back({c, r});
                    if (r == r1) break;
                }
                if (c == c1) break;
            }
            const Colour colour = colours[1 + next() % 2];
            CharGrid expected = g;
            referenceFill(expected, ordered, colour);
            CharGrid actual = g;
            Fill(actual, c0, r0, c1, r1, colour);
            QCOMPARE(actual, expected);

            const QString text = fills[next() % 4];
            Cell written;
            written.hasChar = !text.isEmpty();
            written.ch = text.isEmpty() ? 0 : text[0].unicode();
            CharGrid expectedW = g;
            referenceWFill(expectedW, ordered, written);
            CharGrid actualW = g;
            WFill(actualW, c0, r0, c1, r1, text);
            QCOMPARE(actualW, expectedW);
        }
    }
    void regionStopsAtTheEdges() {
        // Tighter bounds given to the step are respected as exclusive limits.
        CharGrid h = gridOf({"aaa", "aaa"});
        SeFill(h, 0, 0, QStringLiteral("a"), Red, 2, 1);
        QCOMPARE(colourMap(h, Red), (std::vector<std::string>{"xx.", "..."}));
        // Bounds larger than the grid never reach outside it.
        CharGrid k = gridOf({"aa", "aa"});
        SeFill(k, 1, 1, QStringLiteral("a"), Red, 50, 50);
        ReFill(k, 1, 1, QStringLiteral("a"), QStringLiteral("b"), 50, 50);
        QCOMPARE(colourMap(k, Red), (std::vector<std::string>{"xx", "xx"}));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(k.at(i / 2, i % 2).ch, U'b');
    }
    void rectangleOutsideTheGridIsClampedOrIgnored() {
        CharGrid g = gridOf({"ab", "ba"});
        const CharGrid before = g;
        Fill(g, 5, 5, 9, 9, Red);
        Fill(g, -3, -1, -7, -9, Red);
        WFill(g, 2, 0, 2, 1, QStringLiteral("z"));
        SeFill(g, -1, 0, QStringLiteral("a"), Red, 2, 2);
        ReFill(g, 0, 2, QStringLiteral("a"), QStringLiteral("z"), 2, 2);
        QCOMPARE(g, before);
        // A drag running past the grid seeds only the cells inside it.
        CharGrid h = gridOf({"ab", "cd"});
        Fill(h, -4, 0, 0, 10, Red);
        QCOMPARE(colourMap(h, Red), (std::vector<std::string>{"x.", "x."}));
        Fill(h, 7, 1, 1, 1, Blue);
        QCOMPARE(colourMap(h, Blue), (std::vector<std::string>{"..", ".x"}));
        CharGrid none(0, 0);
        WFill(none, 0, 0, 3, 3, QStringLiteral("z"));
        QCOMPARE(none, CharGrid(0, 0));
    }
    void wholeGridRegionFinishes() {
        const int n = 2000; // the largest picture the window takes
        CharGrid g(n, n);
        for (int i = 0; i < n * n; ++i)
            g.setChar(i / n, i % n, U'#');
        Fill(g, n / 2, n / 2, n / 2, n / 2, Red);
        WFill(g, 0, 0, 0, 0, QStringLiteral("o"));
        for (int i = 0; i < n * n; ++i)
            if (g.at(i / n, i % n).colour != Red || g.at(i / n, i % n).ch != U'o') QFAIL("cell not filled");
        // A snake-shaped region, the worst case for a recursive fill's depth.
        CharGrid s(n, n);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                if ((r % 4 == 1 && c != n - 1) || (r % 4 == 3 && c != 0)) s.setChar(r, c, U'|');
        Fill(s, 0, 0, 0, 0, Blue);
        int blue = 0, empty = 0;
        for (int i = 0; i < n * n; ++i) {
            blue += s.at(i / n, i % n).colour == Blue;
            empty += !s.at(i / n, i % n).hasChar;
        }
        QCOMPARE(blue, empty);
    }
    void typableCharacters() {
        for (char32_t ch : {0u, 8u, 13u, 27u, 31u, 127u, 0xD800u, 0xDFFFu, 0x110000u})
            QVERIFY2(!isTypableCell(ch), qPrintable(QString::number(ch, 16)));
        for (char32_t ch : {0x20u, 0x41u, 0x7Eu, 0xA0u, 0xF1u, 0x2588u, 0xE000u, 0x1F600u, 0x10FFFFu})
            QVERIFY2(isTypableCell(ch), qPrintable(QString::number(ch, 16)));
    }
};

TORVO_TEST(FillTest)
#include "FillTest.moc"
