#include "FormFixture.h"
#include "TestRegistry.h"

using namespace torvo;

namespace {
const Palette P;
}

class SideViewsTest : public QObject {
    Q_OBJECT
private slots:
    void colourTableListsColoursWithSuggestions() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"a"_qs, P[1]}, {u"b"_qs, P[8]}, {u"c"_qs, P[1]}, {u"d"_qs, Colour{0x0000F0}}}));
        const auto& rows = f.colourRows();
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(rows[0].from, P[1]);
        QCOMPARE(rows[0].to, P[9]); // grey becomes light grey
        QCOMPARE(rows[1].from, P[8]);
        QCOMPARE(rows[1].to, P[1]); // black becomes grey
        QCOMPARE(rows[2].to, P[2]);
        // Leaving the tab without changes maps the art onto the palette.
        f.chooseTab(2);
        f.chooseTab(0);
        const RichText t = f.viewArt();
        QCOMPARE(t.colourAt(0), P[9]);
        QCOMPARE(t.colourAt(1), P[1]);
        QCOMPARE(t.colourAt(3), P[2]);
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
    void tagsFollowTheMenuAndTheToggle() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"Hi "_qs, P[0]}, {u"^"_qs, P[2]}, {u"\r\nok"_qs, P[12]}}));
        // The text box shows CR LF as its own line ends.
        const QString tagged = QStringLiteral("<white>Hi <red>^\n<red><lgreen>ok\n<lgreen>");
        QCOMPARE(f.BoxCopy()->toPlainText(), tagged);
        QAction* tags = f.control<QAction>("mnuUseTags");
        tags->trigger();
        QVERIFY(!tags->isChecked());
        const QString L = QString(QChar(0x16));
        QCOMPARE(f.BoxCopy()->toPlainText(), L + "wHi " + L + "r^\n" + L + "r" + L + "Gok\n" + L + "G");
        tags->trigger();
        QVERIFY(tags->isChecked());
        QCOMPARE(f.BoxCopy()->toPlainText(), tagged);
        // After one Picture1 click dark red is written with entry 2's code.
        QTest::mouseClick(f.control<QWidget>("Picture1"), Qt::LeftButton);
        f.setArt(art({{u"x"_qs, Colour{0x000080}}}));
        QCOMPARE(f.BoxCopy()->toPlainText(), QStringLiteral("<red>x\n<red>"));
    }
};
TORVO_TEST(SideViewsTest)
#include "SideViewsTest.moc"
