#include "window/Form1Ui.h"

#include "files/BitmapExport.h"
#include "palette/Palette.h"
#include "window/CharacterBox.h"
#include "window/ColorSwatch.h"
#include "window/CommonDialog.h"
#include "window/Grid1Model.h"
#include "window/Grid2Model.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"
#include "window/TabStrip.h"
#include "window/Twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QUndoGroup>

namespace torvo {
namespace {

QFont namedFont(QStringList families, qreal points, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

void Form1Ui::setupUi(QMainWindow* form, ArtModel& model) {
    client_ = new QWidget(form);
    client_->setObjectName(QStringLiteral("client"));
    form->setCentralWidget(client_);
    form->statusBar()->setObjectName(QStringLiteral("statusBar"));

    Enviar = new QPushButton(QStringLiteral("&Enviar"), client_);
    Enviar->setObjectName(QStringLiteral("Enviar"));
    Enviar->setGeometry(twRect(120, 60, 1035, 495));

    Picture1 = new ColorSwatch(client_);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twRect(1260, 120, 195, 375));

    for (int k = 0; k < 8; ++k) {
        for (int row = 0; row < 2; ++row) {
            const int index = swatchAt(row, k);
            auto* swatch = new ColorSwatch(client_);
            swatch->setObjectName(QStringLiteral("Color%1").arg(index));
            swatch->setGeometry(twRect(1500 + 420 * k, row == 0 ? 60 : 300, 375, 230));
            Color[std::size_t(index)] = swatch;
        }
    }

    Frame1 = new QGroupBox(client_);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twRect(4920, 0, 1635, 555));
    auto option = [this](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QRadioButton(caption, Frame1);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        return button;
    };
    chkNone = option("chkNone", QStringLiteral("None"), twRect(60, 120, 735, 195));
    chkLock = option("chkLock", QStringLiteral("Lock"), twRect(840, 120, 675, 195));
    chkFill = option("chkFill", QStringLiteral("Fill"), twRect(60, 315, 735, 195));
    chkWFill = option("chkWFill", QStringLiteral("X Fill"), twRect(840, 315, 735, 195));
    chkNone->setChecked(true);
    fitToolCaptions();

    ColorPicker = new ColorSwatch(client_);
    ColorPicker->setObjectName(QStringLiteral("ColorPicker"));
    ColorPicker->setGeometry(twRect(6660, 60, 495, 495));
    ColorPicker->setColour(colours::White);

    ColorPicker2 = new CharacterBox(client_);
    ColorPicker2->setObjectName(QStringLiteral("ColorPicker2"));
    ColorPicker2->setGeometry(twRect(6765, 165, 270, 270));
    ColorPicker2->setFont(namedFont({"Courier New", "Liberation Mono", "DejaVu Sans Mono"}, 12, true));
    ColorPicker2->setFrame(false);
    ColorPicker2->setAlignment(Qt::AlignCenter);
    ColorPicker2->setTextMargins(0, 0, 0, 0);
    ColorPicker2->setText(QStringLiteral("X"));

    Label1 = new QLabel(client_);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twRect(7260, 60, 615, 615));
    Label1->setFont(namedFont({"Arial", "Liberation Sans", "DejaVu Sans"}, 27.75, true));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette labelColours = Label1->palette();
    labelColours.setColor(QPalette::WindowText, Colour{0xC00000}.toQColor());
    Label1->setPalette(labelColours);

    TextImage = new QLabel(client_);
    TextImage->setObjectName(QStringLiteral("TextImage"));
    TextImage->setGeometry(twRect(1320, 5640, 855, 615));
    TextImage->setFont(textImageFont());
    TextImage->setStyleSheet(QStringLiteral("background: black; color: #FF0000;"));
    // A drawing surface only: it lies under the tab strip and is never seen.
    TextImage->hide();

    SSTab1 = new TabStrip(client_);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    for (const char* caption : {"Text Box", "Grid", "Cambio Color", "Copy && Paste"})
        SSTab1->bar()->addTab(QString::fromLatin1(caption));
    TextImage->lower();

    Mensaje = new MensajeEdit(model, SSTab1);
    Mensaje->setObjectName(QStringLiteral("Mensaje"));
    Mensaje->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; }"));
    Mensaje->setFont(MensajeEdit::artFont());
    // Lines of art never wrap.
    Mensaje->setLineWrapMode(QPlainTextEdit::NoWrap);
    Mensaje->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Mensaje->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    grid1Model_ = new Grid1Model(form);
    grid1Model_->setCellFont(namedFont({"Lucida Console", "DejaVu Sans Mono"}, 8.25, true));
    Grid1 = new GridView(SSTab1);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setModel(grid1Model_);
    Grid1->horizontalHeader()->hide();
    Grid1->verticalHeader()->hide();
    Grid1->horizontalHeader()->setMinimumSectionSize(1);
    Grid1->verticalHeader()->setMinimumSectionSize(1);
    Grid1->horizontalHeader()->setDefaultSectionSize(tw(200));
    Grid1->verticalHeader()->setDefaultSectionSize(tw(215));
    Grid1->setStyleSheet(
        QStringLiteral("QTableView { background: black; color: #FFFF00; gridline-color: #404040; "
                       "selection-background-color: #303060; }"));
    Grid1->hide();

    grid2Model_ = new Grid2Model(form);
    Grid2 = new GridView(SSTab1);
    Grid2->setObjectName(QStringLiteral("Grid2"));
    Grid2->setModel(grid2Model_);
    Grid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid2->verticalHeader()->hide();
    Grid2->setFont(namedFont({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"}, 8.25, false));
    Grid2->hide();

    BoxCopy = new QPlainTextEdit(SSTab1);
    BoxCopy->setObjectName(QStringLiteral("BoxCopy"));
    BoxCopy->setLineWrapMode(QPlainTextEdit::NoWrap);
    BoxCopy->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BoxCopy->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BoxCopy->setFont(namedFont({"Lucida Console", "DejaVu Sans Mono"}, 8.25, false));
    // Only for copying: nothing typed here would ever be read back.
    BoxCopy->setReadOnly(true);
    BoxCopy->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    BoxCopy->hide();

    CommonDialog1 = new CommonDialog(form);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    Timer1 = new QTimer(form);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    client_->setMinimumSize(0, 0);
    form->resize(tw(7995),
                 tw(6420) + form->menuBar()->sizeHint().height() + form->statusBar()->sizeHint().height());

    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnuArchivo = form->menuBar()->addMenu(QStringLiteral("&Archivo"));
    mnuArchivo->setObjectName(QStringLiteral("mnuArchivo"));
    mnuOpen = action(mnuArchivo, "mnuOpen", QStringLiteral("&Abrir"));
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuImport = action(mnuArchivo, "mnuImport", QStringLiteral("&Importar imagen…"));
    mnuImport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuSave = action(mnuArchivo, "mnuSave", QStringLiteral("&Guardar"));
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveHTML = action(mnuArchivo, "mnuSaveHTML", QStringLiteral("Guardar &Html"));
    mnuSaveAnsi = action(mnuArchivo, "mnuSaveAnsi", QStringLiteral("Guardar A&nsi"));
    mnuSaveBitmap = action(mnuArchivo, "mnuSaveBitmap", QStringLiteral("Guardar &Bitmap"));
    mnuArchivo->addSeparator()->setObjectName(QStringLiteral("mnuLine"));
    mnuExit = action(mnuArchivo, "mnuExit", QStringLiteral("&Salir"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Its undo and redo entries are the history's (Form1).
    mnuEdicion = form->menuBar()->addMenu(QStringLiteral("E&dición"));
    mnuEdicion->setObjectName(QStringLiteral("mnuEdicion"));
    mnuConfig = form->menuBar()->addMenu(QStringLiteral("&Configuracion"));
    mnuConfig->setObjectName(QStringLiteral("mnuConfig"));
    mnuUseTags = action(mnuConfig, "mnuUseTags", QStringLiteral("Usar &Tags"));
    mnuUseTags->setCheckable(true);
    mnuUseTags->setChecked(true);
}

void Form1Ui::addHistoryActions(QMainWindow* form, QUndoGroup& group) {
    mnuUndo = group.createUndoAction(form, QStringLiteral("&Deshacer"));
    mnuUndo->setObjectName(QStringLiteral("mnuUndo"));
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = group.createRedoAction(form, QStringLiteral("&Rehacer"));
    mnuRedo->setObjectName(QStringLiteral("mnuRedo"));
    mnuRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEdicion->addAction(mnuUndo);
    mnuEdicion->addAction(mnuRedo);
    Mensaje->setHistoryActions(mnuUndo, mnuRedo);
}

std::optional<QRect> Form1Ui::layOutViews(bool minimised) {
    const int innerWidth = toTwips(client_->width());
    const int innerHeight = toTwips(client_->height());
    if (innerHeight < 800 || minimised) {
        SSTab1->hide();
        return std::nullopt;
    }
    SSTab1->show();
    const int tabRow = toTwips(SSTab1->tabRowHeight());
    const int tabWidth = std::max(innerWidth - 200, 0);
    const int tabHeight = innerHeight - 800;
    SSTab1->setGeometry(twRect(100, 700, tabWidth, tabHeight));
    const int left = 100;
    const int top = tabRow + 100;
    const int width = std::max(tabWidth - left - 100, 0);
    const int height = std::max(tabHeight - tabRow - 200, 0);
    for (QWidget* view :
         {static_cast<QWidget*>(Mensaje), static_cast<QWidget*>(Grid1), static_cast<QWidget*>(Grid2)})
        view->setGeometry(twRect(left, top, width, height));
    return twRect(left, top, width, height);
}

void Form1Ui::fitToolCaptions() {
    // One smaller size of the same font for the options, until every caption fits its place.
    QFont font = Frame1->font();
    auto fits = [&] {
        for (QAbstractButton* b : {chkNone, chkLock, chkFill, chkWFill}) {
            b->setFont(font);
            if (b->sizeHint().width() > b->width()) return false;
        }
        return true;
    };
    while (!fits() && font.pointSizeF() > 5)
        font.setPointSizeF(font.pointSizeF() - 0.25);
}

} // namespace torvo
