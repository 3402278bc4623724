#include "FormFixture.h"
#include "TestRegistry.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QWindow>

using namespace torvo;

namespace {
const Palette P;
}

class ViewSwitchingTest : public QObject {
    Q_OBJECT
private slots:
    // "Text Box" is the hub: from it every tab opens, from the others only it; one view shows.
    void tabsFormAHub() {
        FormFixture f;
        f.form->show();
        QWidget* views[] = {f.Mensaje(), f.Grid1(), f.Grid2(), f.BoxCopy()};
        for (int side = 1; side < 4; ++side) {
            for (int tab : {side, 0}) {
                f.chooseTab(tab);
                QCOMPARE(f.SSTab1()->Tab(), tab);
                for (int t = 0; t < 4; ++t) {
                    QCOMPARE(views[t]->isVisible(), t == tab);
                    QCOMPARE(f.SSTab1()->isTabEnabled(t), tab == 0 || t == 0 || t == side);
                }
                // Tool options only on the grid.
                QCOMPARE(f.control<QRadioButton>("chkFill")->isEnabled(), tab == 1);
            }
        }
    }
    void keyboardChoosesNeighbourTabs() {
        FormFixture f;
        f.form->show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QTest::keyClick(f.Mensaje(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.SSTab1()->Tab(), 1);
        // From the grid only the text tab can be chosen, forwards or backwards.
        QTest::keyClick(f.Grid1(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(f.SSTab1()->Tab(), 0);
        QTest::keyClick(f.Mensaje(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(f.SSTab1()->Tab(), 3);
        QTest::keyClick(f.BoxCopy(), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.SSTab1()->Tab(), 0);
    }
    // The view shown takes the keys, whichever key chose it.
    void theViewShownTakesTheKeys() {
        FormFixture f;
        f.form->show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QWindow* window = f.form->windowHandle();
        f.Mensaje()->setFocus();
        for (Qt::Key k : {Qt::Key_A, Qt::Key_B, Qt::Key_C})
            QTest::keyClick(window, k);
        QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_Tab));
        QCOMPARE(f.SSTab1()->Tab(), 1);
        QCOMPARE(QApplication::focusWidget(), f.Grid1());
        QTest::keyClick(window, Qt::Key_Z);
        QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_Delete);
        QCOMPARE(f.grid().at(0, 0).ch, U'z');
        QVERIFY(!f.grid().at(0, 1).hasChar);
        QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_PageDown));
        QCOMPARE(f.SSTab1()->Tab(), 0);
        QCOMPARE(QApplication::focusWidget(), f.Mensaje());
        QTest::keyClick(window, Qt::Key_Exclam);
        QVERIFY(f.viewArt().plainText().startsWith(u"z c"_qs) && f.viewArt().plainText().contains(u'!'));
        QTest::keySequence(window, QKeySequence(Qt::CTRL | Qt::Key_PageUp));
        QCOMPARE(f.SSTab1()->Tab(), 3);
        QCOMPARE(QApplication::focusWidget(), f.BoxCopy());
    }
    void paintInTheGridReachesTheTextView() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"ab"_qs, P[0]}}));
        f.setArt(art({{u"ab"_qs, P[0]}, {u"\r\ncde"_qs, P[0]}}));
        f.chooseTab(1);
        f.Grid1()->setCurrentCell(1, 2);
        f.pressSwatch(6);
        QTest::keyClick(f.Grid1(), Qt::Key_Z);
        f.chooseTab(0);
        const RichText t = f.viewArt();
        QCOMPARE(t.plainText(), QStringLiteral("ab\r\ncdz\r\n"));
        QCOMPARE(t.colourAt(6), P[6]);
        QCOMPARE(t.colourAt(5), P[0]);
        // Back on the grid it is rebuilt from the text view.
        f.chooseTab(1);
        QCOMPARE(f.grid().at(1, 2).text(), QStringLiteral("z"));
        QCOMPARE(f.grid().at(1, 2).colour, P[6]);
    }
    void emptyViewBecomesOneEmptyLineAfterTheGrid() {
        FormFixture f;
        f.form->show();
        f.chooseTab(1);
        f.chooseTab(0);
        QCOMPARE(f.viewArt().plainText(), QStringLiteral("\r\n"));
    }
    void copyPasteTabOnlyRebuilds() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"x"_qs, P[3]}}));
        const QString html = f.Mensaje()->document()->toHtml();
        f.chooseTab(3);
        f.BoxCopy()->setPlainText(QStringLiteral("edited by hand"));
        f.chooseTab(0);
        QCOMPARE(f.Mensaje()->document()->toHtml(), html);
        QCOMPARE(f.BoxCopy()->toPlainText(), QStringLiteral("<yellow>x\n<yellow>"));
    }
    void lowFlagSuppressesRebuilds() {
        FormFixture f;
        f.form->show();
        f.form->MensajeListo = false;
        f.setArt(art({{u"abc"_qs, P[0]}}));
        QCOMPARE(f.grid().cols(), 1);
        // Entering the grid spends the wait and shows the grid built last.
        f.chooseTab(1);
        QVERIFY(f.Grid1()->isVisible());
        QCOMPARE(f.grid().cols(), 1);
    }
    void closingDuringAWriteBackLeavesTheTextView() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"abc"_qs, P[0]}}));
        f.chooseTab(1);
        f.Grid1()->setCurrentCell(0, 0);
        QTest::keyClick(f.Grid1(), Qt::Key_Q);
        f.form->Form_Terminate();
        f.chooseTab(0);
        QCOMPARE(f.viewArt().plainText(), QStringLiteral("abc\r\n"));
        QVERIFY(!f.form->MensajeListo);
        for (int t = 1; t < 4; ++t)
            QVERIFY(f.SSTab1()->isTabEnabled(t));
    }
    void typingInTheMiddleKeepsColoursAndFont() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"ab"_qs, P[2]}, {u"cd"_qs, P[4]}}, false));
        QTextCursor c = f.Mensaje()->textCursor();
        c.setPosition(2);
        f.Mensaje()->setTextCursor(c);
        QTest::keyClick(f.Mensaje(), Qt::Key_X);
        QCOMPARE(f.viewArt().plainText(), QStringLiteral("abxcd"));
        QCOMPARE(f.Mensaje()->textCursor().position(), 5); // the caret goes to the end
        QCOMPARE(f.viewArt().colourAt(3), P[4]);
        QCOMPARE(f.viewArt().colourAt(0), P[2]);
        for (QTextBlock b = f.Mensaje()->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                QCOMPARE(it.fragment().charFormat().fontPointSize(), 8.0);
    }
    void pastedRichTextKeepsColoursTakesTheFont() {
        FormFixture f;
        f.form->show();
        auto* rtf = new QMimeData;
        rtf->setData(QStringLiteral("text/rtf"),
                     "{\\rtf1\\ansi{\\fonttbl{\\f0 "
                     "Times;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                     "\\f0\\fs40\\cf1 ab\\cf2 c}");
        QGuiApplication::clipboard()->setMimeData(rtf);
        f.Mensaje()->paste();
        auto* html = new QMimeData;
        html->setHtml(QStringLiteral(
            "<p><span style='color:#00ff00; background:#ffffff; font-size:30pt'>d</span></p>"));
        QGuiApplication::clipboard()->setMimeData(html);
        f.Mensaje()->paste();
        const RichText t = f.viewArt();
        QCOMPARE(t.plainText(), QStringLiteral("abcd"));
        QCOMPARE(t.colourAt(0), Colour{0x0000FF});
        QCOMPARE(t.colourAt(2), Colour{0xFF0000});
        QCOMPARE(t.colourAt(3), Colour{0x00FF00});
        QTextCursor c(f.Mensaje()->document());
        c.setPosition(4);
        QCOMPARE(c.charFormat().fontPointSize(), 8.0);
        QCOMPARE(c.charFormat().background().style(), Qt::NoBrush);
        QCOMPARE(f.form->BackBox().plainText(), QStringLiteral("abcd\r\n"));

        // Rich text that cannot be read: its plain text is pasted and the status bar says why.
        auto* broken = new QMimeData;
        broken->setData(QStringLiteral("text/rtf"), "{\\rtf1\\ansi " + QByteArray(5000, '{') + "x");
        broken->setText(QStringLiteral("e"));
        QGuiApplication::clipboard()->setMimeData(broken);
        f.Mensaje()->paste();
        QVERIFY2(f.status().startsWith(u"No se pudo leer el texto con formato pegado: "_qs),
                 qPrintable(f.status()));
        QCOMPARE(f.viewArt().plainText(), QStringLiteral("abcde"));

        // Copied art carries its colours: pasted into another window it is the same art.
        f.Mensaje()->selectAll();
        f.Mensaje()->copy();
        FormFixture g;
        g.form->show();
        g.Mensaje()->paste();
        const RichText copied = f.viewArt(), pastedBack = g.viewArt();
        QCOMPARE(pastedBack.plainText(), copied.plainText());
        for (int p = 0; p < copied.size(); ++p)
            QCOMPARE(pastedBack.colourAt(p), copied.colourAt(p));
    }
    // Whatever the view shows in colour is what the art holds, also for text typed on the
    // line a write-back leaves at the end.
    void viewShowsTheColoursTheArtHolds() {
        FormFixture f;
        f.form->show();
        f.keys(f.Mensaje(), QKeySequence(Qt::Key_O));
        QTest::keyClicks(f.Mensaje(), QString(29, u'o'));
        QTest::keyClick(f.Mensaje(), Qt::Key_Return);
        QTest::keyClicks(f.Mensaje(), QString(30, u'o'));
        f.chooseTab(1);
        f.pressSwatch(2);
        f.Grid1()->setCurrentCell(1, 0);
        f.keys(f.Grid1(), QKeySequence(Qt::Key_X));
        f.chooseTab(0);
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_End));
        QTest::keyClick(f.Mensaje(), Qt::Key_Return);
        QTest::keyClicks(f.Mensaje(), QStringLiteral("invisible?"));
        const RichText& model = f.form->BackBox();
        int p = 0;
        for (QTextBlock b = f.Mensaje()->document()->begin(); b.isValid(); b = b.next(), p += 2) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QBrush brush = it.fragment().charFormat().foreground();
                for (int i = 0; i < it.fragment().length(); ++i, ++p) {
                    QVERIFY(brush.style() != Qt::NoBrush);
                    QCOMPARE(Colour::fromQColor(brush.color()), model.colourAt(p));
                }
            }
        }
        QVERIFY(f.BoxCopy()->toPlainText().endsWith(u"\n<white>invisible?\n<white>"_qs));
    }
};
TORVO_TEST(ViewSwitchingTest)
#include "ViewSwitchingTest.moc"
