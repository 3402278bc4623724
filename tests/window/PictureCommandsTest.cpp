#include "FormFixture.h"
#include "TestPictures.h"
#include "TestRegistry.h"
#include "image/PictureImport.h"
#include "window/MensajeEdit.h"
#include "window/PictureDialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

using namespace torvo;
using namespace picture_test;

// "Importar imagen…", pictures through "Abrir" and dropped on the window, and torvo --export.
namespace {
const Palette P;

// Runs `use` on the import dialog (a child of the window) as soon as it shows: it is modal.
void onDialog(FormFixture& f, std::function<void(PictureDialog&)> use) {
    auto* timer = new QTimer(f.form.get());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, use, &f] {
        PictureDialog* dialog = f.form->findChild<PictureDialog*>();
        if (!dialog || !dialog->isVisible()) return;
        timer->deleteLater();
        timer->stop();
        use(*dialog);
    });
    timer->start();
}

} // namespace

class PictureCommandsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString picture_; // 400 x 300

private slots:
    void initTestCase() {
        picture_ = dir_.filePath("dibujo.png");
        QVERIFY(writeBytes(picture_, encoded(photoLike({400, 300}), "png")));
    }
    void cleanup() { QSettings().clear(); }

    // The preview follows each choice; "Aceptar" puts what it shows in place of the art as
    // one step, and the choices are there the next time; "Cancelar" changes nothing.
    void importShowsEachChoiceAndAcceptsAsOneStep() {
        FormFixture f;
        f.form->show();
        const RichText before = art({{u"antes"_qs, P[4]}});
        f.setArt(before);
        const int steps = f.form->textHistory().stack()->count();
        QAction* import = f.control<QAction>("mnuImport");
        QCOMPARE(import->text(), QStringLiteral("&Importar imagen…"));
        QCOMPARE(import->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));

        f.answerDialogs(picture_);
        QString shown, size;
        PictureChoices opened;
        onDialog(f, [&](PictureDialog& d) {
            opened = d.choices();
            f.control<QSpinBox>("spnColumns")->setValue(40);
            f.control<QComboBox>("cboSymbols")->setCurrentText(QStringLiteral("ASCII"));
            f.control<QComboBox>("cboDithering")->setCurrentText(QStringLiteral("Difusión"));
            shown = f.control<QPlainTextEdit>("Preview")->toPlainText();
            size = f.control<QLabel>("lblSize")->text();
            f.control<QPushButton>("Aceptar")->click();
        });
        import->trigger();
        QCOMPARE(opened, PictureChoices());
        QCOMPARE(size, QStringLiteral("40 × 16 caracteres"));
        const QStringList rows = shown.split(u'\n');
        QCOMPARE(rows.size(), 17); // 16 rows, each ended by a line break
        QVERIFY(std::all_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() < 0x7F; }));
        QCOMPARE(f.viewArt().plainText(), QString(shown).replace(u'\n', u"\r\n"_qs));
        QCOMPARE(f.status(), QStringLiteral("Imagen convertida: 40 × 16 caracteres."));
        QCOMPARE(f.form->textHistory().stack()->count(), steps + 1);
        QCOMPARE(f.form->artFile(), QString());
        QVERIFY(f.form->isArtModified());
        QCOMPARE(lastPictureChoices(), (PictureChoices{40, SymbolSet::Ascii, Dithering::Diffusion}));

        // The art as every walker reads it (the text view keeps its last line as an open leaves it).
        const RichText imported = f.form->BackBox();
        f.control<QAction>("mnuUndo")->trigger();
        QCOMPARE(f.form->BackBox(), before);
        f.control<QAction>("mnuRedo")->trigger();
        QCOMPARE(f.form->BackBox(), imported);

        onDialog(f, [&](PictureDialog& d) {
            opened = d.choices();
            f.control<QSpinBox>("spnColumns")->setValue(90);
            f.control<QPushButton>("Cancelar")->click();
        });
        import->trigger();
        QCOMPARE(opened, (PictureChoices{40, SymbolSet::Ascii, Dithering::Diffusion}));
        QCOMPARE(f.form->BackBox(), imported);
        QCOMPARE(f.form->textHistory().stack()->count(), steps + 1);
        QCOMPARE(lastPictureChoices().columns, 40);
    }

    // "Abrir" and a drop convert with the dialog's last choices as they are now, without asking.
    void openAndDropConvertWithTheLastChoices() {
        rememberPictureChoices({24, SymbolSet::Blocks, Dithering::None});
        FormFixture f;
        f.form->show();
        f.answerDialogs(picture_);
        f.control<QAction>("mnuOpen")->trigger();
        QCOMPARE(f.status(), QStringLiteral("Imagen convertida: 24 × 9 caracteres."));
        QCOMPARE(f.viewArt(), openPictureFile(picture_, P, {24, SymbolSet::Blocks, Dithering::None})->text);

        rememberPictureChoices({12, SymbolSet::Blocks, Dithering::None});
        QVERIFY(f.form->openPath(picture_)); // as a drop opens it
        QCOMPARE(f.status(), QStringLiteral("Imagen convertida: 12 × 5 caracteres."));
        QCOMPARE(f.viewArt(), openPictureFile(picture_, P, {12, SymbolSet::Blocks, Dithering::None})->text);
    }

    // Pictures that cannot be read leave the art and its history as they were, with one line.
    void badPicturesChangeNothing() {
        FormFixture f;
        f.form->show();
        f.setArt(art({{u"quieto"_qs, P[3]}}));
        const QString html = f.Mensaje()->document()->toHtml();
        const int steps = f.form->textHistory().stack()->count();
        // Why each fails is the reader's to say.
        for (const auto& [name, bytes] : {std::pair{"enorme.png", pngHeader(30000, 30000)},
                                          {"texto.png", QByteArray("no soy una imagen\n")}}) {
            const QString path = dir_.filePath(QLatin1String(name));
            QVERIFY(writeBytes(path, bytes));
            QVERIFY(!f.form->openPath(path));
            QVERIFY2(f.status().startsWith(QStringLiteral("No se pudo abrir «%1»: ").arg(name)) &&
                         !f.status().contains(u'\n'),
                     qPrintable(f.status()));
            f.answerDialogs(path);
            f.form->statusBar()->clearMessage();
            f.control<QAction>("mnuImport")->trigger(); // no dialog: the line says why
            QVERIFY(f.status().startsWith(QStringLiteral("No se pudo abrir «%1»: ").arg(name)));
            QCOMPARE(f.Mensaje()->document()->toHtml(), html);
            QCOMPARE(f.form->textHistory().stack()->count(), steps);
        }
    }

    // torvo --export converts a picture as "Abrir" does, with its own options.
    void commandLineConvertsPictures() {
        rememberPictureChoices({32, SymbolSet::BlocksAndBorders, Dithering::None});
        FormFixture f;
        f.form->show();
        QVERIFY(f.form->openPath(picture_));
        const QString menu = dir_.filePath("menu.ans"), cli = dir_.filePath("cli.ans");
        f.answerDialogs(menu);
        f.form->dialog()->setChooser([&](auto, const QString&, const QString&) {
            f.form->dialog()->setFilterIndex(2); // UTF-8
            return menu;
        });
        f.control<QAction>("mnuSaveAnsi")->trigger();
        const Run r = runTorvo(
            {"--export", "ansi-utf8", picture_, cli, "--width", "32", "--symbols", "bloques+bordes"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        QVERIFY(!bytesOf(menu).isEmpty());
        QCOMPARE(bytesOf(cli), bytesOf(menu));

        QVERIFY(writeBytes(dir_.filePath("texto.png"), "no soy una imagen\n"));
        const Run bad = runTorvo({"--export", "txt", dir_.filePath("texto.png"), "-"});
        QCOMPARE(bad.status, 1);
        // The command line names the file as it was given.
        QCOMPARE(QString::fromUtf8(bad.err),
                 QStringLiteral(
                     "torvo: No se pudo abrir «%1»: no es una imagen que se pueda leer (PNG, JPEG, GIF, "
                     "BMP o WebP).\n")
                     .arg(dir_.filePath("texto.png")));
        QVERIFY(runTorvo({"--help"}).out.contains("[--width N] [--symbols NOMBRE]"));
    }

    // The height rule's cell is the art font's: its advance by its line spacing.
    void theHeightRulesCellIsTheArtFonts() {
        QFont font = MensajeEdit::artFont();
        font.setPointSize(48); // the design's proportions, not one size's rounding
        const QFontMetricsF metrics(font);
        QVERIFY(qAbs(metrics.horizontalAdvance(u' ') / metrics.lineSpacing() - ArtCellAspect) < 0.005);
    }
};

TORVO_TEST(PictureCommandsTest)
#include "PictureCommandsTest.moc"
