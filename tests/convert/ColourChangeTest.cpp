#include "convert/ColourChange.h"
#include "TestRegistry.h"

#include <QTest>

using namespace torvo;

namespace {

// The suggestion table as (from, GetColor(from)) rows, in list order.
std::vector<ColourReplacement> suggestions(const RichText& text, const Palette& palette) {
    std::vector<ColourReplacement> rows;
    const std::optional<std::vector<Colour>> list = distinctColours(text);
    for (Colour c : *list)
        rows.push_back({c, GetColor(c, palette)});
    return rows;
}

} // namespace

class ColourChangeTest : public QObject {
    Q_OBJECT
private slots:
    // Lightness and saturation on their 0.5-6.5 scale, hue in sixths from red.
    void hlsScales() {
        const struct {
            int r, g, b;
            double h, l, s;
        } cases[] = {
            {0, 0, 0, 4.0, 0.5, 0.0},     {255, 255, 255, 4.0, 6.5, 0.0}, {255, 0, 0, 0.0, 3.5, 6.5},
            {255, 255, 0, 1.0, 3.5, 6.5}, {0, 255, 0, 2.0, 3.5, 6.5},     {0, 255, 255, 3.0, 3.5, 6.5},
            {0, 0, 255, 4.0, 3.5, 6.5},   {255, 0, 255, 5.0, 3.5, 6.5},
        };
        for (const auto& c : cases) {
            const HLSTriple hls = RGBToHLS(c.r, c.g, c.b);
            QCOMPARE(hls.H, c.h);
            QCOMPARE(hls.L, c.l);
            QCOMPARE(hls.S, c.s);
        }
        QCOMPARE(RGBToHLS(254, 0, 127).H, 5.5);
        QCOMPARE(RGBToHLS(126, 0, 63).H, 5.5);
        QCOMPARE(RGBToHLS(128, 128, 128).L, 1791.0 / 510.0);
        QCOMPARE(RGBToHLS(128, 0, 0).L, 1023.0 / 510.0);
        QCOMPARE(ColorToRGB(Colour{0x123456}).B, double(0x12));
    }
    // The palette entry each colour suggests, across the hue, lightness and saturation rules.
    void suggestedEntries_data() {
        QTest::addColumn<Colour>("colour");
        QTest::addColumn<int>("entry");
        const Palette p;
        for (int i : {0, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15})
            QTest::addRow("palette %d", i) << p[i] << i;
        const struct {
            const char* name;
            int r, g, b, entry;
        } cases[] = {
            {"grey swatch is light grey", 128, 128, 128, 9},
            {"black is the <black> grey", 0, 0, 0, 1},
            {"red", 255, 0, 0, 2},
            {"dark red", 128, 0, 0, 10},
            {"hue 5.5 rounds up to red", 254, 0, 127, 2},
            {"just below 5.5 is magenta", 254, 0, 128, 7},
            {"dark at hue 5.5", 126, 0, 63, 10},
            {"darkest light grey", 22, 22, 22, 9},
            {"lightest grey", 21, 21, 21, 1},
            {"lightest light grey", 223, 223, 223, 9},
            {"darkest white", 224, 224, 224, 0},
            {"light tint is white", 255, 240, 240, 0},
            {"dark tint is grey", 0, 0, 20, 1},
            {"weak saturation takes the dark hue", 200, 150, 150, 10},
        };
        for (const auto& c : cases)
            QTest::newRow(c.name) << Colour::fromRgb(c.r, c.g, c.b) << c.entry;
    }
    void suggestedEntries() {
        QFETCH(Colour, colour);
        QFETCH(int, entry);
        const Palette p;
        QCOMPARE(GetColor(colour, p), p[entry]);
    }
    void darkRedSuggestionAfterEntry2Toggle() {
        Palette p;
        p.toggleEntry2();
        QCOMPARE(p[2], Palette::DarkRed);
        QCOMPARE(GetColor(Colour::fromRgb(255, 0, 0), p), Palette::DarkRed);
        QCOMPARE(GetColor(Colour::fromRgb(254, 0, 127), p), Palette::DarkRed);
        QCOMPARE(GetColor(Palette::DarkRed, p), p[10]);
        p.toggleEntry2();
        QCOMPARE(GetColor(Colour::fromRgb(255, 0, 0), p), Palette::LightRed);
    }
    void listIsInOrderOfFirstAppearance() {
        const Colour A{0x112233}, B{0x445566}, C{0x778899};
        RichText t;
        for (int i = 0; i < 10; ++i)
            t.append(U'x', i % 2 ? B : A);
        QCOMPARE(*distinctColours(t), (std::vector<Colour>{A, B}));
        // A third colour breaks the two-colour memory; the list still holds each once.
        t.append(U'y', C);
        t.append(U'y', A);
        t.append(U'y', B);
        t.append(U'y', C);
        QCOMPARE(*distinctColours(t), (std::vector<Colour>{A, B, C}));
    }
    void blackIsListedAlsoAtTheStart() {
        RichText t;
        t.append(U'a', colours::Black);
        t.append(U'b', colours::White);
        t.append(U'c', colours::Black);
        QCOMPARE(*distinctColours(t), (std::vector<Colour>{colours::Black, colours::White}));
    }
    void lineBreaksAndTheEndPositionCount() {
        // A leading line break has the typing colour, and it is listed first.
        RichText t(Colour{0x00FF00});
        t.appendLineBreak();
        t.append(U'a', colours::White);
        QCOMPARE(*distinctColours(t), (std::vector<Colour>{Colour{0x00FF00}, colours::White}));
    }
    void emptyTextListsTheTypingColour() {
        RichText t(Colour{0x123456});
        QCOMPARE(*distinctColours(t), (std::vector<Colour>{Colour{0x123456}}));
        RichText w;
        QCOMPARE(*distinctColours(w), (std::vector<Colour>{colours::White}));
    }
    void cancellingStops() {
        RichText t;
        t.appendText(u"abc", colours::White);
        int calls = 0;
        QVERIFY(!distinctColours(t, [&] { return ++calls == 2; }).has_value());
        QCOMPARE(calls, 2);
        RichText u = t;
        QVERIFY(!applyColourChanges(u, {{colours::White, colours::Black}}, [] { return true; }));
        QVERIFY(applyColourChanges(u, {{colours::White, colours::Black}}, [] { return false; }));
    }
    void defaultSuggestionsBringGreyAndBlackOntoThePalette() {
        const Palette p;
        RichText t;
        t.appendText(u"ab", p[1]);
        t.appendLineBreak();
        t.appendText(u"cd", colours::Black);
        t.appendText(u"e", p[4]);
        t.append(U'f', p[1]);
        RichText changed = t;
        QVERIFY(applyColourChanges(changed, suggestions(t, p)));
        QCOMPARE(changed.plainText(), t.plainText());
        for (int i = 0; i < t.size(); ++i) {
            const Colour before = t.colourAt(i);
            const Colour want = before == p[1] ? p[9] : before == colours::Black ? p[1] : before;
            QVERIFY2(changed.colourAt(i) == want, qPrintable(QString::number(i)));
        }
        QCOMPARE(changed.colourAt(2), p[9]); // the line break after grey characters
    }
    void firstMatchingRowWinsAndUnlistedColoursStay() {
        const Colour A{0x0000AA}, B{0x00BB00}, X{0xCC0000}, Y{0x00DDDD};
        RichText t;
        t.append(U'a', A);
        t.append(U'b', B);
        t.append(U'a', A);
        t.append(U'x', X);
        const std::vector<ColourReplacement> rows{{A, Y}, {B, A}, {A, X}};
        QVERIFY(applyColourChanges(t, rows));
        // B becomes A, and that A is not changed again.
        QCOMPARE(t.colourAt(0), Y);
        QCOMPARE(t.colourAt(1), A);
        QCOMPARE(t.colourAt(2), Y);
        QCOMPARE(t.colourAt(3), X);
        RichText none;
        none.append(U'q', B);
        QVERIFY(applyColourChanges(none, {}));
        QCOMPARE(none.colourAt(0), B);
    }
    void emptyTextRecoloursTheTypingColour() {
        RichText t(colours::Black);
        QVERIFY(applyColourChanges(t, {{colours::Black, Colour{0x808080}}}));
        QCOMPARE(t.colourAt(0), Colour{0x808080});
        QVERIFY(t.isEmpty());
    }
};

TORVO_TEST(ColourChangeTest)
#include "ColourChangeTest.moc"
