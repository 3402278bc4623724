#include "FormFixture.h"
#include "TestRegistry.h"
#include "window/QtSpanish.h"
#include "window/Twips.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTextBlock>
#include <QTextLayout>
#include <functional>

using namespace torvo;

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsEmptyOnTheTextTab() {
        FormFixture f;
        f.form->show();
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Torvo[*]"));
        QVERIFY(!f.form->isWindowModified());
        QVERIFY(f.Mensaje()->isVisible() && f.Mensaje()->toPlainText().isEmpty());
        QCOMPARE(f.grid().rows() * f.grid().cols(), 1);
        QVERIFY(f.control<QRadioButton>("chkNone")->isChecked());
        QCOMPARE(f.form->currentColour(), colours::White);
        QCOMPARE(f.form->currentCharacter(), QStringLiteral("X"));
        QCOMPARE(f.Mensaje()->viewport()->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(f.control<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0, 0, 0xC0));
    }
    void captionsAndMenus() {
        FormFixture f;
        QCOMPARE(f.control<QPushButton>("Enviar")->text(), QStringLiteral("&Enviar"));
        const QStringList tabs{"Text Box", "Grid", "Cambio Color", "Copy && Paste"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.SSTab1()->bar()->tabText(i), tabs[i]);
        const QStringList menus{"&Archivo", "E&dición", "&Bloque", "&Configuracion"};
        QStringList seen;
        for (QAction* a : f.form->menuBar()->actions())
            seen << a->text();
        QCOMPARE(seen, menus);
        const struct {
            const char *name, *caption, *keys;
        } entries[] = {{"mnuOpen", "&Abrir", "Ctrl+O"},
                       {"mnuSave", "&Guardar", "Ctrl+S"},
                       {"mnuSaveHTML", "Guardar &Html", ""},
                       {"mnuSaveAnsi", "Guardar A&nsi", ""},
                       {"mnuSaveBitmap", "Guardar &Bitmap", ""},
                       {"mnuExit", "&Salir", "Ctrl+Q"},
                       {"mnuUseTags", "Usar &Tags", ""},
                       {"mnuUndo", "&Deshacer", "Ctrl+Z"},
                       {"mnuRedo", "&Rehacer", "Ctrl+Y"},
                       {"mnuVoltearH", "Voltear horizontal", "Alt+H"},
                       {"mnuVoltearV", "Voltear vertical", "Alt+V"}};
        for (auto [name, caption, keys] : entries) {
            QCOMPARE(f.control<QAction>(name)->text(), QString::fromUtf8(caption));
            QCOMPARE(f.control<QAction>(name)->shortcut(), QKeySequence(QString::fromLatin1(keys)));
        }
        QVERIFY(f.control<QAction>("mnuUseTags")->isChecked());
        // Every caption of the tool options shows whole.
        for (const char* name : {"chkNone", "chkLock", "chkFill", "chkWFill"}) {
            auto* option = f.control<QRadioButton>(name);
            QVERIFY2(option->sizeHint().width() <= option->width(), name);
        }
    }
    void settingsOutliveTheWindow() {
        {
            FormFixture f;
            f.form->show();
            f.control<QAction>("mnuUseTags")->trigger();
            f.form->resize(900, 640);
            f.answerDialogs(QStringLiteral("/tmp/uno/arte.qcg"));
            f.control<QAction>("mnuSaveHTML")->trigger();
            f.form->close();
        }
        FormFixture g;
        QVERIFY(!g.control<QAction>("mnuUseTags")->isChecked());
        QCOMPARE(g.form->size(), QSize(900, 640));
        QCOMPARE(g.form->dialog()->lastPath(), u"/tmp/uno/arte.qcg"_qs);
        QSettings().clear(); // as it was for the other tests
    }
    void copyViewIsReadOnlyAndTextLinesRunLikeGridRows() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"x"_qs, colours::White}}));
        f.chooseTab(3);
        const QString tags = f.BoxCopy()->toPlainText();
        QTest::keyClicks(f.BoxCopy(), QStringLiteral("typed"));
        QCOMPARE(f.BoxCopy()->toPlainText(), tags);
        f.BoxCopy()->selectAll();
        QCOMPARE(f.BoxCopy()->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'), tags);
        // In the text view a tab takes one column, as it takes one cell in the grid.
        f.chooseTab(0);
        f.setArt(art({{u"\tX\r\n X"_qs, colours::White}}));
        QTextLayout* tabbed = f.Mensaje()->document()->firstBlock().layout();
        QTextLayout* spaced = f.Mensaje()->document()->firstBlock().next().layout();
        QCOMPARE(tabbed->lineAt(0).cursorToX(1), spaced->lineAt(0).cursorToX(1));
        // Every line runs left to right, as the grid's rows do, even one that starts in Hebrew.
        f.setArt(art({{u"\u05D0ab"_qs, colours::White}}));
        const QTextLine hebrew = f.Mensaje()->document()->firstBlock().layout()->lineAt(0);
        QCOMPARE(hebrew.xToCursor(hebrew.naturalTextRect().right() - 1), 3);
    }
    // Qt's own dialogs and menus speak Spanish too, as the editor installs them at start-up.
    void qtTextsAreSpanish() {
        QVERIFY(installQtSpanish(*QCoreApplication::instance()));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Abrir"));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
        QCOMPARE(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("Carpeta"));
        FormFixture f;
        const std::unique_ptr<QMenu> menu(f.Mensaje()->createStandardContextMenu());
        QCOMPARE(menu->actions().constFirst()->text().section(u'\t', 0, 0), QStringLiteral("&Deshacer"));
    }
    void typingGivesWhiteCharacters() {
        FormFixture f;
        f.form->show();
        f.Mensaje()->setFocus();
        QTest::keyClicks(f.Mensaje(), QStringLiteral("ab"));
        const RichText t = f.viewArt();
        QCOMPARE(t.plainText(), QStringLiteral("ab"));
        QCOMPARE(t.colourAt(0), colours::White);
        QCOMPARE(t.colourAt(1), colours::White);
        // The working copy ends its last line; the grid and the tags follow when shown.
        QCOMPARE(f.form->BackBox().plainText(), QStringLiteral("ab\r\n"));
        f.chooseTab(1);
        QCOMPARE(f.grid().cols(), 2);
        QCOMPARE(f.grid().at(0, 1).text(), QStringLiteral("b"));
        QCOMPARE(f.grid().at(0, 1).colour, colours::White);
        f.chooseTab(0);
        f.chooseTab(3);
        QVERIFY(f.BoxCopy()->toPlainText().startsWith(QStringLiteral("<white>ab")));
    }
    // A combining mark sits on its character however it comes in: the view shapes its text.
    void combiningMarksSitOnTheirCharacter() {
        const QString mark = QStringLiteral("e\u0301");
        const struct {
            const char* how;
            std::function<void(FormFixture&)> put;
            int cells; // how many cells wide the first line shows
        } cases[] = {
            {"box art",
             [](FormFixture& f) {
                 f.setArt(art({{QStringLiteral("\u2591\u2588\u2554"), colours::White}}));
             },
             3},
            {"put there",
             [&](FormFixture& f) {
                 f.setArt(art({{"ab" + mark, colours::White}}));
             },
             3},
            {"typed",
             [&](FormFixture& f) {
                 f.setArt(art({{QStringLiteral("ab"), colours::White}}, false));
                 f.Mensaje()->moveCursor(QTextCursor::End);
                 for (QChar ch : mark) {
                     QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                     QCoreApplication::sendEvent(f.Mensaje(), &key);
                 }
             },
             3},
            {"pasted",
             [&](FormFixture& f) {
                 f.setArt(art({{QStringLiteral("ab"), colours::White}}));
                 f.Mensaje()->moveCursor(QTextCursor::Start);
                 QGuiApplication::clipboard()->setText(mark);
                 f.Mensaje()->paste();
             },
             3},
        };
        for (const auto& c : cases) {
            FormFixture f;
            c.put(f);
            const QTextBlock block = f.Mensaje()->document()->firstBlock();
            f.Mensaje()->document()->documentLayout()->blockBoundingRect(block);
            const qreal width = block.layout()->lineAt(0).naturalTextWidth();
            const qreal cell = QFontMetricsF(MensajeEdit::artFont()).horizontalAdvance(QLatin1Char('x'));
            QVERIFY2(qAbs(width - c.cells * cell) < 0.5, c.how);
        }
    }
    void layoutFollowsTheWindow() {
        FormFixture f;
        f.form->show();
        QWidget* client = f.form->centralWidget();
        for (QSize size : {QSize(700, 500), QSize(900, 700), QSize(400, 300)}) {
            f.form->resize(size);
            QTest::qWait(1);
            f.form->Form_Resize();
            const int w = toTwips(client->width()), h = toTwips(client->height());
            QVERIFY(f.SSTab1()->isVisible());
            QCOMPARE(f.SSTab1()->geometry(), twRect(100, 700, w - 200, h - 800));
            const int tabRow = toTwips(f.SSTab1()->tabRowHeight());
            const QRect view = twRect(100, tabRow + 100, w - 200 - 200, h - 800 - tabRow - 200);
            QCOMPARE(f.Mensaje()->geometry(), view);
            QCOMPARE(f.Grid1()->geometry(), view);
            QCOMPARE(f.BoxCopy()->geometry(), view);
            // The strip above the tab strip never moves.
            QCOMPARE(f.control<QWidget>("Enviar")->geometry(), twRect(120, 60, 1035, 495));
            QCOMPARE(f.swatch(1)->geometry(), twRect(1500, 60, 375, 230));
            QCOMPARE(f.swatch(15)->geometry(), twRect(1500 + 420 * 7, 300, 375, 230));
        }
    }
    void shortWindowHidesTheTabStripAndGrowsBack() {
        FormFixture f;
        f.form->show();
        QWidget* client = f.form->centralWidget();
        const int chrome = f.form->height() - client->height();
        f.form->resize(600, chrome + tw(700));
        f.form->Form_Resize();
        QVERIFY(!f.SSTab1()->isVisible());
        // Between 800 and the tab row: the views shrink to nothing, never below.
        f.form->resize(600, chrome + tw(900));
        f.form->Form_Resize();
        QVERIFY(f.SSTab1()->isVisible());
        QCOMPARE(f.Mensaje()->height(), 0);
        f.form->resize(600, chrome + 400);
        f.form->Form_Resize();
        QVERIFY(f.SSTab1()->isVisible());
        QVERIFY(f.Mensaje()->height() > 0);
        // Minimised, the tab strip hides; restored, it is laid out again.
        f.form->setWindowState(Qt::WindowMinimized);
        QVERIFY(!f.SSTab1()->isVisibleTo(f.form.get()));
        f.form->setWindowState(Qt::WindowNoState);
        QVERIFY(f.SSTab1()->isVisibleTo(f.form.get()));
    }
    void swatchPressesAndPictureOne() {
        FormFixture f;
        f.form->show();
        const std::pair<int, Colour> presses[] = {
            {1, Colour{0x808080}}, {8, colours::Black}, {12, Colour{0x008000}}};
        for (auto [swatch, colour] : presses) {
            f.pressSwatch(swatch);
            QCOMPARE(f.form->currentColour(), colour); // swatch 1 looks black, is grey
            f.pressSwatch(3, Qt::RightButton);         // the right button chooses nothing
            QCOMPARE(f.form->currentColour(), colour);
        }
        QWidget* picture = f.control<QWidget>("Picture1");
        QTest::mouseClick(picture, Qt::LeftButton);
        f.pressSwatch(2);
        QCOMPARE(f.form->currentColour(), Colour{0x000080});
        QTest::mouseClick(picture, Qt::LeftButton);
        QCOMPARE(f.form->palette(), Palette{});
        QCOMPARE(f.form->currentColour(), Colour{0x000080}); // the current colour is not touched
    }
    void characterBoxKeepsOnlyTheLastCharacter() {
        FormFixture f;
        f.form->show();
        auto* box = f.control<QLineEdit>("ColorPicker2");
        auto* option = f.control<QRadioButton>("chkWFill");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Left);
        QCOMPARE(box->text(), QString());
        QCOMPARE(option->text(), QStringLiteral(" Fill"));
        QTest::keyClicks(box, QStringLiteral("AB"));
        QCOMPARE(box->text(), QStringLiteral("B"));
        QCOMPARE(option->text(), QStringLiteral("B Fill"));
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString::fromUtf8("█"), Qt::NoModifier);
        QCOMPARE(f.form->currentCharacter(), QString::fromUtf8("█"));
    }
    void paletteClickColoursTheSelection() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"abc"_qs, colours::White}}, false));
        QTextCursor c = f.Mensaje()->textCursor();
        c.setPosition(1);
        c.setPosition(2, QTextCursor::KeepAnchor);
        f.Mensaje()->setTextCursor(c);
        f.pressSwatch(4);
        QCOMPARE(f.viewArt().colourAt(1), Colour{0x00FF00});
        QCOMPARE(f.viewArt().colourAt(0), colours::White);
        // Every view follows, or a trip through the grid would write the old colours back.
        QCOMPARE(f.form->BackBox().colourAt(1), Colour{0x00FF00});
        f.chooseTab(3);
        QCOMPARE(f.BoxCopy()->toPlainText(), QStringLiteral("<white>a<green>b<white>c\n<white>"));
        f.chooseTab(0);
        f.chooseTab(1);
        QCOMPARE(f.grid().at(0, 1).colour, Colour{0x00FF00});
    }
};
TORVO_TEST(WindowTest)
#include "WindowTest.moc"
