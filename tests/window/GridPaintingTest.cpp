#include "FormFixture.h"
#include "TestRegistry.h"

using namespace torvo;

namespace {
const Palette P;

// A window on the grid tab showing rows of text in white, with the current colour
// picked beforehand on the text tab.
void gridOf(FormFixture& f, const QString& rows, int swatch = 0) {
    f.form->show();
    f.pressSwatch(swatch);
    f.setArt(art({{rows, P[0]}}));
    f.chooseTab(1);
}

QPoint centre(FormFixture& f, int row, int col) {
    return f.Grid1()->visualRect(f.Grid1()->model()->index(row, col)).center();
}

void rightDrag(FormFixture& f, std::initializer_list<std::pair<int, int>> cells) {
    auto* vp = f.Grid1()->viewport();
    auto it = cells.begin();
    QTest::mousePress(vp, Qt::RightButton, {}, centre(f, it->first, it->second));
    for (++it; it != cells.end(); ++it) {
        QMouseEvent move(QEvent::MouseMove, centre(f, it->first, it->second),
                         vp->mapToGlobal(centre(f, 0, 0)), Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
    }
    QTest::mouseRelease(vp, Qt::RightButton, {},
                        centre(f, (cells.end() - 1)->first, (cells.end() - 1)->second));
}

void leftDrag(FormFixture& f, int r0, int c0, int r1, int c1) {
    auto* vp = f.Grid1()->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, centre(f, r0, c0));
    QMouseEvent move(QEvent::MouseMove, centre(f, r1, c1), vp->mapToGlobal(centre(f, r1, c1)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, centre(f, r1, c1));
}
} // namespace

class GridPaintingTest : public QObject {
    Q_OBJECT
private slots:
    void rightDragPaintsOnlyWithNone() {
        for (const char* tool : {"chkNone", "chkLock", "chkFill", "chkWFill"}) {
            FormFixture f;
            gridOf(f, QStringLiteral("abc\r\ndef"), 4);
            f.control<QRadioButton>(tool)->setChecked(true);
            rightDrag(f, {{0, 0}, {0, 1}, {1, 2}});
            const bool paints = QByteArray(tool) == "chkNone";
            QCOMPARE(f.grid().at(0, 0).colour, paints ? P[4] : P[0]);
            QCOMPARE(f.grid().at(0, 1).colour, paints ? P[4] : P[0]);
            QCOMPARE(f.grid().at(1, 2).colour, paints ? P[4] : P[0]);
            QCOMPARE(f.grid().at(1, 0).colour, P[0]);
            if (paints) { // the painted cell became current: typing writes into it
                QTest::keyClick(f.Grid1(), Qt::Key_Q);
                QCOMPARE(f.grid().at(1, 2).text(), QStringLiteral("q"));
                // The typed cell, then the whole gesture, press to release, are one step each.
                f.control<QAction>("mnuUndo")->trigger();
                f.control<QAction>("mnuUndo")->trigger();
                QCOMPARE(f.grid().at(1, 2).text(), QStringLiteral("f"));
                for (auto [r, c] : {std::pair(0, 0), std::pair(0, 1), std::pair(1, 2)})
                    QCOMPARE(f.grid().at(r, c).colour, P[0]);
            }
        }
    }
    void moveWithBothButtonsPaintsNothing() {
        FormFixture f;
        gridOf(f, QStringLiteral("abc"), 5);
        auto* vp = f.Grid1()->viewport();
        QMouseEvent move(QEvent::MouseMove, centre(f, 0, 2), vp->mapToGlobal(centre(f, 0, 2)), Qt::NoButton,
                         Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
        QCOMPARE(f.grid().at(0, 2).colour, P[0]);
        // Past the last column nothing is painted.
        QTest::mousePress(vp, Qt::RightButton, {}, centre(f, 0, 2) + QPoint(200, 0));
        for (int c = 0; c < 3; ++c)
            QCOMPARE(f.grid().at(0, c).colour, P[0]);
    }
    void lockPaintsTheCellWhereTheDragBegan() {
        FormFixture f;
        gridOf(f, QStringLiteral("abc\r\ndef"));
        f.control<QRadioButton>("chkLock")->setChecked(true);
        f.pressSwatch(3); // with Lock a swatch also colours the current cell (0,0)
        leftDrag(f, 0, 1, 1, 2);
        QCOMPARE(f.grid().at(0, 1).colour, P[3]);
        QCOMPARE(f.grid().at(1, 2).colour, P[0]);
    }
    void fillDragSeedsEveryCellOfTheRectangle() {
        FormFixture f;
        gridOf(f, QStringLiteral("aab\r\nbba\r\nccc"));
        f.control<QRadioButton>("chkFill")->setChecked(true);
        f.pressSwatch(6);
        QCOMPARE(f.grid().at(0, 0).colour, P[0]); // Fill: the swatch only picks the colour
        leftDrag(f, 0, 0, 0, 1);                  // seeds on the two a's of row 0
        QCOMPARE(f.grid().at(0, 0).colour, P[6]);
        QCOMPARE(f.grid().at(0, 1).colour, P[6]);
        QCOMPARE(f.grid().at(1, 2).colour, P[6]); // reached diagonally
        QCOMPARE(f.grid().at(0, 2).colour, P[0]);
        QCOMPARE(f.Grid1()->Row(), 0);
        QCOMPARE(f.Grid1()->Col(), 0);
    }
    void xFillWritesTheCurrentCharacter() {
        FormFixture f;
        gridOf(f, QStringLiteral("aab\r\nbba"));
        f.control<QLineEdit>("ColorPicker2")->setText(QStringLiteral("#"));
        f.control<QRadioButton>("chkWFill")->setChecked(true);
        leftDrag(f, 1, 0, 1, 0);
        QCOMPARE(f.grid().at(1, 0).text(), QStringLiteral("#"));
        QCOMPARE(f.grid().at(1, 1).text(), QStringLiteral("#"));
        QCOMPARE(f.grid().at(0, 2).text(), QStringLiteral("#"));
        QCOMPARE(f.grid().at(0, 0).text(), QStringLiteral("a"));
    }
    void typingKeepsColourBackspaceAndDeleteEmptyControlKeysChangeNothing() {
        FormFixture f;
        gridOf(f, QStringLiteral("ab"));
        f.Grid1()->setCurrentCell(0, 1);
        f.pressSwatch(7);
        QTest::keyClick(f.Grid1(), 'A');
        QCOMPARE(f.grid().at(0, 1).text(), QStringLiteral("A"));
        QCOMPARE(f.grid().at(0, 1).colour, P[7]);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab}) {
            QTest::keyClick(f.Grid1(), key);
            QCOMPARE(f.grid().at(0, 1).text(), QStringLiteral("A"));
        }
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) {
            QTest::keyClick(f.Grid1(), 'B');
            QTest::keyClick(f.Grid1(), key);
            QVERIFY(!f.grid().at(0, 1).hasChar);
            QCOMPARE(f.grid().at(0, 1).colour, P[7]);
        }
        QTest::sendKeyEvent(QTest::Click, f.Grid1(), Qt::Key_unknown, QString::fromUtf8("ñ"), Qt::NoModifier);
        QCOMPARE(f.grid().at(0, 1).text(), QString::fromUtf8("ñ"));
    }
    void swatchColoursCurrentCellUnlessFill() {
        FormFixture f;
        gridOf(f, QStringLiteral("ab"));
        f.Grid1()->setCurrentCell(0, 0);
        f.pressSwatch(2);
        QCOMPARE(f.grid().at(0, 0).colour, P[2]);
        f.control<QRadioButton>("chkFill")->setChecked(true);
        f.pressSwatch(4);
        QCOMPARE(f.grid().at(0, 0).colour, P[2]);
    }
    void cellHandlersStayInsideAGridWithoutColumns() {
        for (const QString& text : {QString(), u"\r\n\r\n"_qs}) {
            FormFixture f;
            f.form->show();
            f.setArt(art({{text, P[0]}}, false));
            f.chooseTab(1);
            f.chooseTab(0);
            f.chooseTab(1);
            QCOMPARE(f.grid().cols(), 0);
            f.pressSwatch(2);
            f.keys(f.Grid1(), QKeySequence(Qt::Key_A));
            f.keys(f.Grid1(), QKeySequence(Qt::Key_Delete));
            f.control<QRadioButton>("chkLock")->setChecked(true);
            QTest::mouseClick(f.Grid1()->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
            QCOMPARE(f.grid().cols(), 0);
        }
    }
    void highlightCurrentCellAndFarCornerAgree() {
        FormFixture f;
        gridOf(f, QStringLiteral("abc\r\ndef"));
        QTest::mouseClick(f.Grid1()->viewport(), Qt::LeftButton, {}, centre(f, 0, 0));
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Right})
            f.keys(f.Grid1(), QKeySequence(key));
        QCOMPARE(std::pair(f.Grid1()->Row(), f.Grid1()->Col()), std::pair(1, 2));
        QCOMPARE(std::pair(f.Grid1()->RowSel(), f.Grid1()->ColSel()), std::pair(1, 2));
        const QModelIndexList shown = f.Grid1()->selectionModel()->selectedIndexes();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.front(), f.Grid1()->model()->index(1, 2));
        f.pressSwatch(2);
        QCOMPARE(f.grid().at(1, 2).colour, P[2]);
        QCOMPARE(f.grid().at(0, 0).colour, P[0]);
    }
    void rebuiltColourListHasNothingSelected() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"ab"_qs, P[2]}, {u"cd"_qs, P[4]}}));
        f.chooseTab(2);
        f.Grid2()->setCurrentCell(0, 0);
        f.Grid2()->setSelectionCorner(1, 0);
        f.chooseTab(0);
        QTest::keyClicks(f.Mensaje(), QStringLiteral("x"));
        f.chooseTab(2);
        QVERIFY(f.Grid2()->selectionModel()->selectedIndexes().isEmpty());
        const auto before = f.colourRows();
        f.pressSwatch(6);
        for (std::size_t r = 0; r < before.size(); ++r)
            QCOMPARE(f.colourRows()[r].to, before[r].to);
    }
};
TORVO_TEST(GridPaintingTest)
#include "GridPaintingTest.moc"
