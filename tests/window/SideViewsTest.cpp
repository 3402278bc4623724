#include "FormFixture.h"
#include "TestRegistry.h"

using namespace torvo;

namespace {
const Palette P;
}

class SideViewsTest : public QObject {
    Q_OBJECT
private slots:
    // Leaving the tab without changes maps the art onto the palette by the suggestions.
    void colourTableMapsTheArtOntoThePalette() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"a"_qs, P[1]}, {u"b"_qs, P[8]}, {u"c"_qs, P[1]}, {u"d"_qs, Colour{0x0000F0}}}));
        f.chooseTab(2);
        QCOMPARE(int(f.colourRows().size()), 3);
        f.chooseTab(0);
        const RichText t = f.viewArt();
        const Colour want[] = {P[9], P[1], P[9], P[2]}; // grey to light grey, black to grey
        for (int p = 0; p < 4; ++p)
            QCOMPARE(t.colourAt(p), want[p]);
    }
    void swatchRecoloursSelectedRowsUpwards() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"a"_qs, P[2]}, {u"b"_qs, P[3]}, {u"c"_qs, P[4]}, {u"d"_qs, P[5]}}));
        f.chooseTab(2);
        // Drag from the last row up to the second.
        auto* vp = f.Grid2()->viewport();
        auto centre = [&](int r) { return f.Grid2()->visualRect(f.Grid2()->model()->index(r, 0)).center(); };
        QTest::mousePress(vp, Qt::LeftButton, {}, centre(3));
        QMouseEvent move(QEvent::MouseMove, centre(1), vp->mapToGlobal(centre(1)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, centre(1));
        f.pressSwatch(7);
        const auto& rows = f.colourRows();
        QCOMPARE(rows[0].to, P[2]);
        for (int r = 1; r < 4; ++r)
            QCOMPARE(rows[std::size_t(r)].to, P[7]);
        f.chooseTab(0);
        QCOMPARE(f.viewArt().plainText(), QStringLiteral("abcd\r\n"));
        QCOMPARE(f.viewArt().colourAt(0), P[2]);
        QCOMPARE(f.viewArt().colourAt(1), P[7]);
        QCOMPARE(f.viewArt().colourAt(3), P[7]);
    }
};
TORVO_TEST(SideViewsTest)
#include "SideViewsTest.moc"
