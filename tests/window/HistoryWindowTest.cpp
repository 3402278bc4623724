#include "FormFixture.h"
#include "TestRegistry.h"

#include <QMenu>
#include <QTemporaryDir>

using namespace torvo;

namespace {
const Palette P;

QString text(const FormFixture& f) {
    return f.form->BackBox().plainText();
}
} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void typingIsUndoneAndRedone() {
        FormFixture f;
        f.form->show();
        f.Mensaje()->setFocus();
        QTest::keyClicks(f.Mensaje(), QStringLiteral("XYZ"));
        QCOMPARE(text(f), QStringLiteral("XYZ\r\n"));
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(text(f), QString());
        QVERIFY(!f.control<QAction>("mnuUndo")->isEnabled());
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(text(f), QStringLiteral("XYZ\r\n"));
        // A pause of a second ends the step.
        QTest::qWait(1100);
        QTest::keyClicks(f.Mensaje(), QStringLiteral("ab"));
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(text(f), QStringLiteral("XYZ\r\n"));
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        QCOMPARE(text(f), QStringLiteral("XYZab\r\n"));
        // The text view's own menu undoes the same way.
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->actions().contains(f.control<QAction>("mnuUndo")));
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                f.Mensaje()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(f.Mensaje()->viewport(), &event);
    }
    void comingBackFromTheGridIsOneStep() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"abc\r\ndef"_qs, P[0]}}));
        f.chooseTab(1);
        f.Grid1()->setCurrentCell(1, 1);
        QTest::keyClick(f.Grid1(), Qt::Key_Q);
        f.pressSwatch(2);
        QCOMPARE(f.grid().at(1, 1).colour, P[2]);
        // On the grid, undo takes back the grid's own steps.
        f.keys(f.Grid1(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(f.grid().at(1, 1).colour, P[0]);
        QCOMPARE(f.grid().at(1, 1).text(), u"q"_qs);
        f.chooseTab(0);
        QCOMPARE(text(f), QStringLiteral("abc\r\ndqf\r\n"));
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(text(f), QStringLiteral("abc\r\ndef\r\n"));
        QCOMPARE(f.viewArt().colourAt(0), P[0]);
        f.keys(f.Mensaje(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(text(f), QStringLiteral("abc\r\ndqf\r\n"));
    }
    void aFillIsOneStep() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"aaaa\r\naaaa"_qs, P[0]}}));
        f.chooseTab(1);
        f.control<QRadioButton>("chkFill")->setChecked(true);
        f.pressSwatch(4);
        const QPoint at = f.Grid1()->visualRect(f.Grid1()->model()->index(0, 0)).center();
        QTest::mouseClick(f.Grid1()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(f.grid().at(1, 3).colour, P[4]);
        QVERIFY(f.form->isWindowModified());
        f.control<QAction>("mnuUndo")->trigger();
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(f.grid().at(r, c).colour, P[0]);
        QVERIFY(!f.control<QAction>("mnuUndo")->isEnabled());
    }
    void titleMarkerAndOpeningOverUnsavedWork() {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("uno.qcg"));
        const QString second = dir.filePath(QStringLiteral("dos.txt"));
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"1"_qs, P[2]}}, false));
        QCOMPARE(f.form->windowTitle(), u"Torvo[*]"_qs);
        QVERIFY(f.form->isWindowModified());
        f.answerDialogs(first);
        f.control<QAction>("mnuSave")->trigger();
        QCOMPARE(f.form->windowTitle(), u"uno.qcg[*] — Torvo"_qs);
        QVERIFY(!f.form->isWindowModified());
        QTest::keyClicks(f.Mensaje(), QStringLiteral("x"));
        QVERIFY(f.form->isWindowModified());
        f.control<QAction>("mnuUndo")->trigger();
        QVERIFY(!f.form->isWindowModified());
        // Text keeps no colours: saved as text, the art is not yet saved.
        f.answerDialogs(second);
        f.control<QAction>("mnuSave")->trigger();
        QCOMPARE(f.form->windowTitle(), u"uno.qcg[*] — Torvo"_qs);
        QTest::keyClicks(f.Mensaje(), QStringLiteral("y"));
        QVERIFY(f.form->openPath(second));
        QCOMPARE(f.form->windowTitle(), u"dos.txt[*] — Torvo"_qs);
        QVERIFY(!f.form->isWindowModified());
        f.control<QAction>("mnuUndo")->trigger();
        QCOMPARE(text(f), QStringLiteral("1y\r\n"));
        QCOMPARE(f.form->BackBox().colourAt(0), P[2]);
        QCOMPARE(f.form->windowTitle(), u"uno.qcg[*] — Torvo"_qs);
        QVERIFY(f.form->isWindowModified());
    }
    void unsavedWorkComesBackInTheNextWindow() {
        QTemporaryDir dir;
        {
            FormFixture f;
            f.form->startRecovery(dir.path());
            f.setArt(art({{u"sin guardar"_qs, P[5]}}));
            f.form->close(); // writes what is not yet written
        }
        FormFixture g;
        g.form->startRecovery(dir.path());
        QCOMPARE(text(g), QStringLiteral("sin guardar\r\n"));
        QCOMPARE(g.form->BackBox().colourAt(0), P[5]);
        QVERIFY(g.form->isWindowModified());
        QCOMPARE(g.status(), u"Recuperado el trabajo sin guardar."_qs);
    }
    // What comes back is what was there, its last line with or without a line break.
    void recoveredArtIsTheArtPositionForPosition() {
        for (const QString& typed : {u"abc"_qs, u"abc\rdef\r"_qs}) {
            QTemporaryDir dir;
            RichText before;
            {
                FormFixture f;
                f.form->startRecovery(dir.path());
                QTest::keyClicks(f.Mensaje(), typed);
                before = f.viewArt();
                f.form->close();
            }
            FormFixture g;
            g.form->startRecovery(dir.path());
            QCOMPARE(g.viewArt(), before);
            QCOMPARE(g.viewArt().plainText(), QString(typed).replace(u"\r"_qs, u"\r\n"_qs));
        }
    }
};
TORVO_TEST(HistoryWindowTest)
#include "HistoryWindowTest.moc"
