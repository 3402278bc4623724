#include "FormFixture.h"
#include "GridRows.h"
#include "TestRegistry.h"

#include "paint/Block.h"
#include "palette/Vocabulary.h"
#include "window/ColorSwatch.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMimeData>
#include <QSettings>

using namespace torvo;
using torvo::test::rowsOf;

namespace {
const Palette P;

// The grid tab showing `rows`, each character in the colour of its column's palette entry
// (column 0 white, 1 dark grey, 2 red ...), so that moved and copied cells keep telling.
void gridOf(FormFixture& f, const QStringList& rows) {
    f.form->show();
    RichText t;
    for (const QString& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c)
            t.appendText(row.mid(c, 1), P[int(c) % 16]);
        t.appendLineBreak();
    }
    f.setArt(t);
    f.chooseTab(1);
}
void select(FormFixture& f, int r0, int c0, int r1, int c1) {
    f.Grid1()->setCurrentCell(r0, c0);
    f.Grid1()->setSelectionCorner(r1, c1);
}
QAction* action(FormFixture& f, const char* name) {
    return f.control<QAction>(name);
}
QPoint centre(FormFixture& f, int row, int col) {
    return f.Grid1()->visualRect(f.Grid1()->model()->index(row, col)).center();
}
// The art of the text view: its text and the colour of each character.
QString textOf(const RichText& t) {
    QString s;
    for (int p = 0; p < t.size(); ++p)
        if (!t.isLineBreak(p))
            s += t.textAt(p);
        else if (t.charAt(p) == RichText::LF)
            s += u'|';
    return s;
}
} // namespace

class DrawingTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().clear(); } // the zoom and the F-keys' set start afresh
    // Each block action at the grid's edges and on one cell, then undone and redone as one step.
    void blockActions_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QRect>("block"); // x = column, y = row of the current cell; the far corner
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QRect>("selected");
        const QStringList g{"ab(", "cd/", "ef["};
        const QKeySequence left(Qt::CTRL | Qt::Key_Left), down(Qt::CTRL | Qt::Key_Down);
        const QKeySequence flipH(Qt::ALT | Qt::Key_H), flipV(Qt::ALT | Qt::Key_V);
        QTest::newRow("cut at the corner")
            << QKeySequence(QKeySequence::Cut) << QRect(QPoint(1, 1), QPoint(2, 2))
            << QStringList{"ab(", "c__", "e__"} << QRect(QPoint(1, 1), QPoint(2, 2));
        QTest::newRow("delete one cell") << QKeySequence(Qt::Key_Delete) << QRect(2, 0, 1, 1)
                                         << QStringList{"ab_", "cd/", "ef["} << QRect(2, 0, 1, 1);
        QTest::newRow("move left") << left << QRect(QPoint(2, 0), QPoint(1, 1))
                                   << QStringList{"b(_", "d/_", "ef["} << QRect(QPoint(0, 0), QPoint(1, 1));
        QTest::newRow("move left at the edge") << left << QRect(0, 0, 2, 1) << g << QRect(0, 0, 2, 1);
        QTest::newRow("move one cell down")
            << down << QRect(0, 1, 1, 1) << QStringList{"ab(", "_d/", "cf["} << QRect(0, 2, 1, 1);
        QTest::newRow("move down at the edge") << down << QRect(0, 2, 3, 1) << g << QRect(0, 2, 3, 1);
        QTest::newRow("flip horizontal")
            << flipH << QRect(QPoint(0, 0), QPoint(2, 1)) << QStringList{")ba", "\\dc", "ef["}
            << QRect(QPoint(0, 0), QPoint(2, 1));
        QTest::newRow("flip vertical")
            << flipV << QRect(QPoint(2, 2), QPoint(1, 1)) << QStringList{"ab(", "cf[", "ed\\"}
            << QRect(QPoint(2, 2), QPoint(1, 1));
        QTest::newRow("flip one cell")
            << flipH << QRect(2, 2, 1, 1) << QStringList{"ab(", "cd/", "ef]"} << QRect(2, 2, 1, 1);
    }
    void blockActions() {
        QFETCH(QKeySequence, keys);
        QFETCH(QRect, block);
        QFETCH(QStringList, after);
        QFETCH(QRect, selected);
        FormFixture f;
        gridOf(f, {"ab(", "cd/", "ef["});
        const CharGrid before = f.grid();
        select(f, block.top(), block.left(), block.bottom(), block.right());
        if (block.width() < 0) select(f, block.y(), block.x(), block.bottom(), block.right());
        f.keys(f.Grid1(), keys);
        QCOMPARE(rowsOf(f.grid()), after);
        // Cells travel with their colours: a moved 'd' is still dark grey.
        const CharGrid done = f.grid();
        const Block now =
            Block::between(f.Grid1()->Row(), f.Grid1()->Col(), f.Grid1()->RowSel(), f.Grid1()->ColSel());
        QCOMPARE(now, Block::between(selected.y(), selected.x(), selected.bottom(), selected.right()));
        const bool changed = after != rowsOf(before);
        QCOMPARE(f.form->gridHistory().stack()->count(), changed ? 1 : 0);
        if (!changed) return;
        action(f, "mnuUndo")->trigger();
        QVERIFY(f.grid() == before);
        action(f, "mnuRedo")->trigger();
        QVERIFY(f.grid() == done);
        // A flip done twice gives the block back.
        if (keys == QKeySequence(Qt::ALT | Qt::Key_H) || keys == QKeySequence(Qt::ALT | Qt::Key_V)) {
            f.keys(f.Grid1(), keys);
            QVERIFY(f.grid() == before);
        }
    }
    // Copy on the grid, paste on the grid (our own cells), into the text view (rich text),
    // and plain text from elsewhere onto the grid, growing it past its edge.
    void copyPasteRoundTrips() {
        FormFixture f;
        gridOf(f, {"ab(", "cd/"});
        select(f, 0, 1, 1, 2);
        f.keys(f.Grid1(), QKeySequence::Copy);
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        QCOMPARE(mime->text(), QStringLiteral("b(\nd/\n"));
        QVERIFY(mime->hasFormat(QStringLiteral("text/rtf")) && mime->hasHtml());
        // Own cells, at the bottom right: the grid grows, one step that undo takes back.
        select(f, 1, 2, 1, 2);
        f.keys(f.Grid1(), QKeySequence::Paste);
        QCOMPARE(rowsOf(f.grid()), (QStringList{"ab(_", "cdb(", "__d/"}));
        QCOMPARE(f.grid().at(2, 3).colour, P[2]);
        QCOMPARE(f.Grid1()->RowSel(), 2);
        action(f, "mnuUndo")->trigger();
        QCOMPARE(rowsOf(f.grid()), (QStringList{"ab(", "cd/"}));
        action(f, "mnuRedo")->trigger();
        QCOMPARE(f.grid().cols(), 4);
        // Rich text into the text view keeps the colours.
        f.chooseTab(0);
        QCOMPARE(textOf(f.form->BackBox()), QStringLiteral("ab(|cdb(|  d/|"));
        f.Mensaje()->moveCursor(QTextCursor::End);
        f.Mensaje()->paste();
        const RichText& art = f.form->BackBox();
        QCOMPARE(textOf(art), QStringLiteral("ab(|cdb(|  d/|b(|d/|"));
        QCOMPARE(art.colourAt(art.size() - 3), P[2]); // the '/'
        // Plain text from another program takes the current colour.
        f.chooseTab(1);
        f.pressSwatch(4);
        QApplication::clipboard()->setText(QStringLiteral("xy\nz"));
        select(f, 0, 0, 0, 0);
        f.keys(f.Grid1(), QKeySequence::Paste);
        QCOMPARE(rowsOf(f.grid()).mid(0, 2), (QStringList{"xy(_", "z_b("}));
        QCOMPARE(f.grid().at(1, 0).colour, P[4]);
    }
    void badPastes() {
        FormFixture f;
        gridOf(f, {"ab"});
        const CharGrid before = f.grid();
        // Larger than the art a file may open: refused, nothing changed.
        QApplication::clipboard()->setText(QString(2100, u'x') + u'\n' + QString(1999, u'\n'));
        f.keys(f.Grid1(), QKeySequence::Paste);
        QVERIFY(f.grid() == before);
        QVERIFY(f.status().startsWith(QStringLiteral("No se pegó")));
        QCOMPARE(f.form->gridHistory().stack()->count(), 0);
        // Rich text that cannot be read: its plain text, and the reason in the status bar.
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("text/rtf"), "not rtf");
        mime->setText(QStringLiteral("q"));
        QApplication::clipboard()->setMimeData(mime);
        f.keys(f.Grid1(), QKeySequence::Paste);
        QCOMPARE(rowsOf(f.grid()), QStringList{"qb"});
        QVERIFY(f.status().startsWith(QStringLiteral("No se pudo leer el texto con formato")));
    }
    void swatchColoursTheBlock() {
        FormFixture f;
        gridOf(f, {"abc", "def"});
        select(f, 1, 2, 0, 1);
        f.pressSwatch(5);
        for (auto [r, c] : {std::pair(0, 1), std::pair(0, 2), std::pair(1, 1), std::pair(1, 2)})
            QCOMPARE(f.grid().at(r, c).colour, P[5]);
        QCOMPARE(f.grid().at(1, 0).colour, P[0]);
        QCOMPARE(f.form->gridHistory().stack()->count(), 1);
    }
    void fKeysTypeInBothViews() {
        FormFixture f;
        gridOf(f, {"abc"});
        auto* sets = f.control<QComboBox>("juegoTeclasF");
        sets->setCurrentIndex(2); // double box drawing
        select(f, 0, 1, 0, 1);
        f.keys(f.Grid1(), QKeySequence(Qt::Key_F1));
        f.keys(f.Grid1(), QKeySequence(Qt::Key_F5));
        QCOMPARE(rowsOf(f.grid()), QStringList{u"a╔═"_qs});
        QCOMPARE(f.form->gridHistory().stack()->count(), 2);
        f.chooseTab(0);
        f.Mensaje()->moveCursor(QTextCursor::Start);
        f.keys(f.Mensaje(), QKeySequence(Qt::Key_F6));
        QCOMPARE(textOf(f.form->BackBox()), u"║a╔═|"_qs);
        // The own set: a click on a cell and a key put a character there, kept for the next window.
        sets->setCurrentIndex(3);
        auto* row = f.control<QWidget>("teclasF");
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(26 * 9 + 5, 10));
        QTest::keyClick(row, Qt::Key_Z, {}, 'z');
        f.keys(f.Mensaje(), QKeySequence(Qt::Key_F10));
        QCOMPARE(textOf(f.form->BackBox()), u"║a╔═|z|"_qs); // typing leaves the caret at the end
        f.form.reset();
        FormFixture g;
        QCOMPARE(g.control<QComboBox>("juegoTeclasF")->currentIndex(), 3);
        g.form->show();
        g.keys(g.Mensaje(), QKeySequence(Qt::Key_F10));
        QCOMPARE(textOf(g.form->BackBox()), QStringLiteral("z|"));
    }
    void eyedropperTakesColourAndCharacter() {
        FormFixture f;
        gridOf(f, {"abc"});
        QTest::mouseClick(f.Grid1()->viewport(), Qt::LeftButton, Qt::AltModifier, centre(f, 0, 2));
        QCOMPARE(f.form->currentColour(), P[2]);
        QCOMPARE(f.form->currentCharacter(), QStringLiteral("c"));
        QCOMPARE(f.Grid1()->Col(), 0); // the click chose no cell
        f.chooseTab(0);
        const QTextBlock line = f.Mensaje()->document()->firstBlock();
        const QRectF b = line.layout()->lineAt(0).rect();
        const qreal x = line.layout()->lineAt(0).cursorToX(1) + 2;
        const QPoint at =
            f.Mensaje()->cursorRect(QTextCursor(line)).topLeft() + QPoint(int(x) - 1, int(b.height() / 2));
        QTest::mouseClick(f.Mensaje()->viewport(), Qt::LeftButton, Qt::AltModifier, at);
        QCOMPARE(f.form->currentColour(), P[1]);
        QCOMPARE(f.form->currentCharacter(), QStringLiteral("b"));
    }
    void zoomKeepsPaintingOnTheCell_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("points");
        QTest::newRow("smallest") << QKeySequence(Qt::CTRL | Qt::Key_Minus) << 5 << 6;
        QTest::newRow("100 %") << QKeySequence(Qt::CTRL | Qt::Key_0) << 1 << 8;
        QTest::newRow("200 %") << QKeySequence(Qt::CTRL | Qt::Key_Plus) << 6 << 16;
        QTest::newRow("largest") << QKeySequence(Qt::CTRL | Qt::Key_Plus) << 30 << 48;
    }
    void zoomKeepsPaintingOnTheCell() {
        QFETCH(QKeySequence, keys);
        QFETCH(int, presses);
        QFETCH(int, points);
        FormFixture f;
        gridOf(f, {"abcdef", "ghijkl", "mnopqr"});
        const int normalWidth = f.Grid1()->columnWidth(4), normalHeight = f.Grid1()->rowHeight(2);
        for (int i = 0; i < presses; ++i)
            f.keys(f.Grid1(), keys);
        QCOMPARE(f.Mensaje()->font().pointSizeF(), qreal(points));
        QCOMPARE(f.Mensaje()->document()->defaultFont().pointSizeF(), qreal(points));
        // The cells follow the font: at 200 % twice as wide and high.
        const int width = f.Grid1()->columnWidth(4), height = f.Grid1()->rowHeight(2);
        QVERIFY(qAbs(width - normalWidth * points / 8) <= 1 && qAbs(height - normalHeight * points / 8) <= 1);
        f.pressSwatch(6);
        const QPoint at(width * 4 + width / 2, height * 2 + height / 2);
        QTest::mousePress(f.Grid1()->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(f.Grid1()->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(f.grid().at(2, 4).colour, P[6]);
        for (auto [r, c] : {std::pair(2, 3), std::pair(2, 5), std::pair(1, 4)})
            QCOMPARE(f.grid().at(r, c).colour, P[c]);
        // A left drag over two cells selects exactly them.
        QTest::mousePress(f.Grid1()->viewport(), Qt::LeftButton, {}, centre(f, 0, 1));
        QMouseEvent move(QEvent::MouseMove, centre(f, 1, 2),
                         f.Grid1()->viewport()->mapToGlobal(centre(f, 1, 2)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(f.Grid1()->viewport(), &move);
        QCOMPARE(QRect(QPoint(f.Grid1()->Col(), f.Grid1()->Row()),
                       QPoint(f.Grid1()->ColSel(), f.Grid1()->RowSel())),
                 QRect(QPoint(1, 0), QPoint(2, 1)));
        // Kept for the next window.
        f.form.reset();
        FormFixture g;
        QCOMPARE(g.Mensaje()->font().pointSizeF(), qreal(points));
    }
    void ctrlWheelZooms() {
        FormFixture f;
        f.form->show();
        for (QWidget* view : {static_cast<QWidget*>(f.Mensaje()), static_cast<QWidget*>(f.Grid1())}) {
            const qreal was = f.Mensaje()->font().pointSizeF();
            QWheelEvent wheel(QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(static_cast<QAbstractScrollArea*>(view)->viewport(), &wheel);
            QVERIFY(f.Mensaje()->font().pointSizeF() > was);
        }
    }
    void paletteFromTheKeyboard_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("entry");
        QTest::newRow("Ctrl+Down") << QKeySequence(Qt::CTRL | Qt::Key_Down) << 3 << 4;
        QTest::newRow("Ctrl+Down wraps") << QKeySequence(Qt::CTRL | Qt::Key_Down) << 15 << 0;
        QTest::newRow("Ctrl+Up wraps") << QKeySequence(Qt::CTRL | Qt::Key_Up) << 0 << 15;
        QTest::newRow("Alt+1 is the top left") << QKeySequence(Qt::ALT | Qt::Key_1) << 5 << 1;
        QTest::newRow("Alt+2") << QKeySequence(Qt::ALT | Qt::Key_2) << 5 << 0;
        QTest::newRow("Alt+8") << QKeySequence(Qt::ALT | Qt::Key_8) << 5 << 7;
        QTest::newRow("Alt+Shift+1 is black") << QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_1) << 5 << 8;
        QTest::newRow("Alt+Shift+8") << QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_8) << 5 << 15;
    }
    void paletteFromTheKeyboard() {
        QFETCH(QKeySequence, keys);
        QFETCH(int, from);
        QFETCH(int, entry);
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"ab"_qs, P[0]}}));
        f.pressSwatch(from);
        f.Mensaje()->selectAll();
        f.keys(f.Mensaje(), keys);
        // As a click on the swatch: the current colour, and the selection coloured.
        QCOMPARE(f.form->currentColour(), P[entry]);
        QCOMPARE(f.form->BackBox().colourAt(1), P[entry]);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(static_cast<ColorSwatch*>(f.swatch(i))->isMarked(), i == entry);
        QVERIFY(f.control<QLabel>("colorActual")->text().contains(vocabulary::colourName(entry, P[entry])));
        // On the grid Ctrl+Up and Down move the block; with Shift they step the colour there too.
        if (keys[0].keyboardModifiers() == Qt::ControlModifier) {
            f.chooseTab(1);
            f.keys(f.Grid1(), QKeySequence(Qt::CTRL | Qt::SHIFT | keys[0].key()));
            QCOMPARE(f.form->currentColour(), P[P.stepped(P[entry], keys[0].key() == Qt::Key_Down ? 1 : -1)]);
        }
    }
    void swatchesSayTheirColourTagAndKey() {
        FormFixture f;
        QCOMPARE(f.swatch(2)->toolTip(), u"rojo claro — <red> — Alt+3"_qs);
        QCOMPARE(f.swatch(8)->toolTip(), u"negro — sin etiqueta — Alt+Mayús+1"_qs);
        f.control<ColorSwatch>("Picture1")->clicked();
        QCOMPARE(f.swatch(2)->toolTip(), u"rojo oscuro — <red> — Alt+3"_qs);
    }
};

TORVO_TEST(DrawingTest)
#include "DrawingTest.moc"
