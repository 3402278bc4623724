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
    void maxMinAndSplit() {
        QCOMPARE(Max(1.5, 2.0), 2.0);
        QCOMPARE(Max(2.0, 1.5), 2.0);
        QCOMPARE(Min(1.5, 2.0), 1.5);
        QCOMPARE(Min(-1.0, -3.0), -3.0);
        const RGBTriple rgb = ColorToRGB(Colour{0x123456});
        QCOMPARE(rgb.R, double(0x56));
        QCOMPARE(rgb.G, double(0x34));
        QCOMPARE(rgb.B, double(0x12));
    }
    void hlsScales() {
        const HLSTriple black = RGBToHLS(0, 0, 0);
        QCOMPARE(black.L, 0.5);
        QCOMPARE(black.S, 0.0);
        QCOMPARE(black.H, 4.0);
        QCOMPARE(RGBToHLS(255, 255, 255).L, 6.5);
        const HLSTriple red = RGBToHLS(255, 0, 0);
        QCOMPARE(red.L, 3.5);
        QCOMPARE(red.S, 6.5);
        QCOMPARE(red.H, 0.0);
        QCOMPARE(RGBToHLS(255, 255, 0).H, 1.0);
        QCOMPARE(RGBToHLS(0, 255, 0).H, 2.0);
        QCOMPARE(RGBToHLS(0, 255, 255).H, 3.0);
        QCOMPARE(RGBToHLS(0, 0, 255).H, 4.0);
        QCOMPARE(RGBToHLS(255, 0, 255).H, 5.0);
        QCOMPARE(RGBToHLS(128, 128, 128).L, 1791.0 / 510.0);
        QCOMPARE(RGBToHLS(128, 0, 0).L, 1023.0 / 510.0);
    }
    void paletteColoursSuggestThemselves() {
        const Palette p;
        for (int i : {0, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15})
            QVERIFY2(GetColor(p[i], p) == p[i], qPrintable(QString::number(i)));
        // Grey is lighter than 1.0 and has no saturation: light grey.
        QCOMPARE(GetColor(p[1], p), p[9]);
        // Black has L = 0.5: grey, the "<black>" entry.
        QCOMPARE(GetColor(p[8], p), p[1]);
        QCOMPARE(GetColor(colours::Black, p), Colour{0x808080});
    }
    void redsAndHueRounding() {
        const Palette p;
        QCOMPARE(GetColor(Colour::fromRgb(255, 0, 0), p), p[2]);
        QCOMPARE(GetColor(Colour::fromRgb(128, 0, 0), p), p[10]);
        // 254,0,127 sits at hue 5.5 exactly, which rounds up to 6 and counts as red.
        QCOMPARE(RGBToHLS(254, 0, 127).H, 5.5);
        QCOMPARE(GetColor(Colour::fromRgb(254, 0, 127), p), p[2]);
        // One step less blue stays below 5.5: magenta.
        QVERIFY(RGBToHLS(254, 0, 126).H > 5.5);
        QVERIFY(RGBToHLS(254, 0, 128).H < 5.5);
        QCOMPARE(GetColor(Colour::fromRgb(254, 0, 128), p), p[7]);
        // Its dark counterpart at the same hue.
        QCOMPARE(RGBToHLS(126, 0, 63).H, 5.5);
        QCOMPARE(GetColor(Colour::fromRgb(126, 0, 63), p), p[10]);
    }
    void lightnessAndSaturationOverrides() {
        const Palette p;
        // Every grey: S = 0 < 0.2, so light grey unless L is above 5.75 (white) or at most
        // 1.0 (grey).
        for (int v = 0; v < 256; ++v) {
            const HLSTriple hls = RGBToHLS(v, v, v);
            QCOMPARE(hls.S, 0.0);
            const Colour want = hls.L > 5.75 ? p[0] : hls.L <= 1.0 ? p[1] : p[9];
            QVERIFY2(GetColor(Colour::fromRgb(v, v, v), p) == want, qPrintable(QString::number(v)));
        }
        QCOMPARE(GetColor(Colour::fromRgb(21, 21, 21), p), p[1]);
        QCOMPARE(GetColor(Colour::fromRgb(22, 22, 22), p), p[9]);
        QCOMPARE(GetColor(Colour::fromRgb(223, 223, 223), p), p[9]);
        QCOMPARE(GetColor(Colour::fromRgb(224, 224, 224), p), p[0]);
        // A very light tint is white whatever its hue; a very dark one is grey.
        QCOMPARE(GetColor(Colour::fromRgb(255, 240, 240), p), p[0]);
        QCOMPARE(GetColor(Colour::fromRgb(0, 0, 20), p), p[1]);
        // Weak saturation (S not above 3) takes the dark colour of the hue.
        const HLSTriple pale = RGBToHLS(200, 150, 150);
        QVERIFY(pale.S <= 3.0 && pale.L >= 2.5 && pale.L <= 5.75);
        QCOMPARE(GetColor(Colour::fromRgb(200, 150, 150), p), p[10]);
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
