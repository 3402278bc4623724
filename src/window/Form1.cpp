#include "window/Form1.h"

#include "art/DocumentBridge.h"
#include "convert/ColourChange.h"
#include "convert/TabChange.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"
#include "files/AnsiFile.h"
#include "files/ArtFile.h"
#include "files/BitmapExport.h"
#include "files/OpenArt.h"
#include "files/RecoveryStore.h"
#include "files/SaveArt.h"
#include "history/ArtStep.h"
#include "history/GridStep.h"
#include "image/PictureImport.h"
#include "paint/Fill.h"
#include "paint/Tools.h"
#include "send/Keystrokes.h"
#include "send/Typist.h"
#include "send/TypistChoice.h"
#include "window/CharacterBox.h"
#include "window/ColorSwatch.h"
#include "window/CommonDialog.h"
#include "window/Grid1Model.h"
#include "window/Grid2Model.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"
#include "window/PictureDialog.h"
#include "window/SendRoutes.h"
#include "window/TabStrip.h"
#include "window/Twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>

namespace torvo {
namespace {

// The wait for MensajeListo gives up after this many looks.
constexpr int WaitBudget = 1000000;

QFont namedFont(QStringList families, qreal points, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// One smaller size of the same font for a group of options, until every caption fits
// its place.
void fitCaptions(std::initializer_list<QAbstractButton*> buttons) {
    QFont font = (*buttons.begin())->parentWidget()->font();
    auto fits = [&] {
        for (QAbstractButton* b : buttons) {
            b->setFont(font);
            if (b->sizeHint().width() > b->width()) return false;
        }
        return true;
    };
    while (!fits() && font.pointSizeF() > 5)
        font.setPointSizeF(font.pointSizeF() - 0.25);
}

} // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent), textHistory_([this](const History::Step& s, bool undo) { undoText(s, undo); }),
      gridHistory_([this](const History::Step& s, bool undo) { undoGrid(s, undo); }) {
    setObjectName(QStringLiteral("Form1"));
    setAcceptDrops(true);
    clock_.start();
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(1000);
    typistFactory_ = [] { return chooseTypist(desktopRoutes(), isWaylandSession()); };
    buildControls();
    buildMenus();
    wireEvents();
    Form_Load();
    restoreSettings();
    updateTitle();
}

Form1::~Form1() {
    // The stacks report a clean state as they go; the work must stay in its recovery file.
    for (History* history : {&textHistory_, &gridHistory_})
        disconnect(history->stack(), nullptr, this, nullptr);
}

const RichText& Form1::BackBox() const {
    return Mensaje->art();
}

void Form1::buildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    statusBar()->setObjectName(QStringLiteral("statusBar"));

    Enviar = new QPushButton(QStringLiteral("&Enviar"), client_);
    Enviar->setObjectName(QStringLiteral("Enviar"));
    Enviar->setGeometry(twRect(120, 60, 1035, 495));

    Picture1 = new ColorSwatch(client_);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twRect(1260, 120, 195, 375));

    // Top row from the left: 1, 0, 2..7; bottom row: 8..15.
    static constexpr int TopRow[8] = {1, 0, 2, 3, 4, 5, 6, 7};
    for (int k = 0; k < 8; ++k) {
        for (int row = 0; row < 2; ++row) {
            const int index = row == 0 ? TopRow[k] : 8 + k;
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
    fitCaptions({chkNone, chkLock, chkFill, chkWFill});

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

    Mensaje = new MensajeEdit(SSTab1);
    Mensaje->setObjectName(QStringLiteral("Mensaje"));
    Mensaje->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; }"));
    Mensaje->setFont(MensajeEdit::artFont());
    // Lines of art never wrap.
    Mensaje->setLineWrapMode(QPlainTextEdit::NoWrap);
    Mensaje->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Mensaje->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    grid1Model_ = new Grid1Model(this);
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

    grid2Model_ = new Grid2Model(this);
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

    CommonDialog1 = new CommonDialog(this);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    client_->setMinimumSize(0, 0);
    resize(tw(7995), tw(6420) + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

void Form1::buildMenus() {
    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QMenu* mnuArchivo = menuBar()->addMenu(QStringLiteral("&Archivo"));
    mnuArchivo->setObjectName(QStringLiteral("mnuArchivo"));
    QAction* mnuOpen = action(mnuArchivo, "mnuOpen", QStringLiteral("&Abrir"));
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(mnuOpen, &QAction::triggered, this, &Form1::mnuOpen_Click);
    QAction* mnuImport = action(mnuArchivo, "mnuImport", QStringLiteral("&Importar imagen…"));
    mnuImport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(mnuImport, &QAction::triggered, this, &Form1::mnuImport_Click);
    QAction* mnuSave = action(mnuArchivo, "mnuSave", QStringLiteral("&Guardar"));
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
    connect(action(mnuArchivo, "mnuSaveHTML", QStringLiteral("Guardar &Html")), &QAction::triggered, this,
            &Form1::mnuSaveHTML_Click);
    connect(action(mnuArchivo, "mnuSaveAnsi", QStringLiteral("Guardar A&nsi")), &QAction::triggered, this,
            &Form1::mnuSaveAnsi_Click);
    connect(action(mnuArchivo, "mnuSaveBitmap", QStringLiteral("Guardar &Bitmap")), &QAction::triggered, this,
            &Form1::mnuSaveBitmap_Click);
    mnuArchivo->addSeparator()->setObjectName(QStringLiteral("mnuLine"));
    QAction* mnuExit = action(mnuArchivo, "mnuExit", QStringLiteral("&Salir"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);

    // Undo and redo follow the history of the view shown: the text's or the grid's.
    QMenu* mnuEdicion = menuBar()->addMenu(QStringLiteral("E&dición"));
    mnuEdicion->setObjectName(QStringLiteral("mnuEdicion"));
    historyGroup_.addStack(textHistory_.stack());
    historyGroup_.addStack(gridHistory_.stack());
    historyGroup_.setActiveStack(textHistory_.stack());
    mnuUndo = historyGroup_.createUndoAction(this, QStringLiteral("&Deshacer"));
    mnuUndo->setObjectName(QStringLiteral("mnuUndo"));
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = historyGroup_.createRedoAction(this, QStringLiteral("&Rehacer"));
    mnuRedo->setObjectName(QStringLiteral("mnuRedo"));
    mnuRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    mnuEdicion->addAction(mnuUndo);
    mnuEdicion->addAction(mnuRedo);
    Mensaje->setHistoryActions(mnuUndo, mnuRedo);

    QMenu* mnuConfig = menuBar()->addMenu(QStringLiteral("&Configuracion"));
    mnuConfig->setObjectName(QStringLiteral("mnuConfig"));
    mnuUseTags = action(mnuConfig, "mnuUseTags", QStringLiteral("Usar &Tags"));
    mnuUseTags->setCheckable(true);
    mnuUseTags->setChecked(true);
    // A checkable action inverts its own check mark before it reports the click.
    connect(mnuUseTags, &QAction::triggered, this, &Form1::mnuUseTags_Click);
}

void Form1::wireEvents() {
    connect(Enviar, &QPushButton::clicked, this, &Form1::Enviar_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Picture1, &ColorSwatch::clicked, this, &Form1::Picture1_Click);
    for (int i = 0; i < 16; ++i)
        connect(Color[std::size_t(i)], &ColorSwatch::mousePressed, this,
                [this, i](int Button) { Color_MouseDown(i, Button); });
    connect(ColorPicker2, &CharacterBox::keyDown, this, &Form1::ColorPicker2_KeyDown);
    connect(ColorPicker2, &QLineEdit::textChanged, this, &Form1::ColorPicker2_Change);
    connect(SSTab1, &TabStrip::tabClicked, this, &Form1::SSTab1_Click);
    connect(Grid1, &GridView::keyPress, this, &Form1::Grid1_KeyPress);
    connect(Grid1, &GridView::keyDown, this, &Form1::Grid1_KeyDown);
    connect(Grid1, &GridView::mouseDown, this, &Form1::Grid1_MouseDown);
    connect(Grid1, &GridView::mouseMove, this, &Form1::Grid1_MouseMove);
    connect(Grid1, &GridView::mouseUp, this, &Form1::Grid1_MouseUp);
    connect(Mensaje, &MensajeEdit::pasteProblem, this, &Form1::showStatus);
    connect(Mensaje, &MensajeEdit::fileDropped, this, &Form1::openPath);
    connect(Mensaje, &MensajeEdit::artChanged, this, &Form1::artChanged);
    for (History* history : {&textHistory_, &gridHistory_})
        connect(history->stack(), &QUndoStack::cleanChanged, this, [this] {
            updateTitle();
            if (!isArtModified()) writeRecovery();
        });
    connect(&recoveryTimer_, &QTimer::timeout, this, &Form1::writeRecovery);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::cancelSend);
}

void Form1::showStatus(const QString& message) {
    statusBar()->showMessage(message);
}

Colour Form1::currentColour() const {
    return ColorPicker->colour();
}
QString Form1::currentCharacter() const {
    return ColorPicker2->text();
}

// ---- Start, layout and stop ----

void Form1::Form_Load() {
    Palette = torvo::Palette{};
    for (int i = 0; i < 16; ++i)
        Color[std::size_t(i)]->setColour(Palette.displayColour(i));
    ColorPicker2_Change();
    Cerrando = false;
    Mensaje->clear();
    Mensaje->setTypingColour(Palette[0]);
    Mensaje->setCurrentCharFormat(MensajeEdit::artFormat());
    Mensaje->setTextColour(Palette[0]);
    textHistory_.clear();
    gridHistory_.clear();
    grid1Model_->setGrid(CharGrid(1, 1));
    grid2Model_->setRows({});
    BoxCopy->setPlainText(QString());
    BoxCopy->hide();
    MensajeListo = true;
    Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize() {
    const int innerWidth = toTwips(client_->width());
    const int innerHeight = toTwips(client_->height());
    if (innerHeight < 800 || isMinimized()) {
        SSTab1->hide();
        return;
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
    for (QWidget* view : {static_cast<QWidget*>(Mensaje), static_cast<QWidget*>(Grid1),
                          static_cast<QWidget*>(Grid2), static_cast<QWidget*>(BoxCopy)})
        view->setGeometry(twRect(left, top, width, height));
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty() &&
        event->mimeData()->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    openPath(event->mimeData()->urls().front().toLocalFile());
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Minimising and restoring lay the window out as a change of size does.
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Terminate();
    writeRecovery();
    if (recovery_) recovery_->flush();
    saveSettings();
    QMainWindow::closeEvent(event);
}

void Form1::Form_Terminate() {
    Cerrando = true;
}

void Form1::mnuExit_Click() {
    // Ends at once: nothing is asked, and Form_Terminate does not run; unsaved work
    // stays in the recovery file for the next start.
    writeRecovery();
    if (recovery_) recovery_->flush();
    saveSettings();
    QCoreApplication::exit(0);
}

// ---- Palette and current colours ----

void Form1::Color_MouseDown(int Index, int Button) {
    const Colour c = Palette[Index];
    if (Button != 1) return;
    ColorPicker->setColour(c);
    ColorPicker2->setBackground(c);
    switch (SSTab1->Tab()) {
    case TextBox:
        // Colouring a selection is a change of the art like any other: one step, and
        // the other views follow.
        Mensaje->colourSelection(c);
        break;
    case GridTab:
        // The current cell takes the colour, unless the colour is for the next fill.
        if (!chkFill->isChecked()) useTool(Tool::Lock, c);
        break;
    case CambioColor:
        // The rows shown selected, and no others.
        grid2Model_->setReplacements(Grid2->Row(), Grid2->RowSel(), c);
        break;
    default:
        break;
    }
}

void Form1::Picture1_Click() {
    Palette.toggleEntry2();
    Color[2]->setColour(Palette.displayColour(2));
}

void Form1::ColorPicker2_KeyDown() {
    ColorPicker2->setText(QString());
}

void Form1::ColorPicker2_Change() {
    chkWFill->setText(ColorPicker2->text() + QStringLiteral(" Fill"));
    fitCaptions({chkNone, chkLock, chkFill, chkWFill});
}

// ---- View switching ----

void Form1::Mensaje_Change() {
    // The text view keeps its working copy and its font up to date itself, change by change;
    // the views rebuild the lines changed since they last looked.
    if (!MensajeListo) return;
    const LineEdits changed = Mensaje->takeChangedLines();
    gridFollower_.note(changed);
    colourFollower_.note(changed);
    taggedFollower_.note(changed);
    Mensaje->caretToEnd();
    RestaurarGrid();
    RestaurarGrid2();
    RestaurarCopyPaste();
}

void Form1::waitForMensajeListo() {
    // Nothing runs nested, so the flag cannot change while we look: one look decides,
    // and a failed look spends the whole budget.
    if (MensajeListo || waitCounter_ > WaitBudget) return;
    waitCounter_ = WaitBudget + 1;
}

void Form1::SSTab1_Click(int PreviousTab) {
    const int tab = SSTab1->Tab();
    const TabChange change = changeTab(tab, PreviousTab);
    finishPaint();
    waitCounter_ = 0;
    for (int t = 1; t < 4; ++t)
        if (t != tab) SSTab1->setTabEnabled(t, false);
    if (change.waitForText) waitForMensajeListo();
    if (change.writeBack == TabChange::WriteBack::Grid) RestaurarMensaje();
    if (change.writeBack == TabChange::WriteBack::Colours) RestaurarColores();
    if (change.waitForText) waitForMensajeListo();
    for (int t = 0; t < 4; ++t)
        SSTab1->setTabEnabled(t, change.enabled[std::size_t(t)]);
    showView(tab, change.tools);
    if (change.rebuild) Mensaje_Change();
}

void Form1::showView(int tab, bool tools) {
    const std::array<QWidget*, 4> views = {Mensaje, Grid1, Grid2, BoxCopy};
    for (int t = 0; t < 4; ++t)
        views[std::size_t(t)]->setVisible(t == tab);
    // The keys go to the view shown: the grid types into its current cell, the text view at
    // its caret.
    if (tab == GridTab && !Grid1->currentIndex().isValid()) Grid1->setCurrentCell(0, 0);
    views[std::size_t(tab)]->setFocus();
    for (QRadioButton* b : {chkNone, chkLock, chkFill, chkWFill})
        b->setEnabled(tools);
    // Undo follows the view: the text's history, or the grid's for this visit of it.
    if (tab == GridTab) gridHistory_.clear();
    historyGroup_.setActiveStack(tab == TextBox   ? textHistory_.stack()
                                 : tab == GridTab ? gridHistory_.stack()
                                                  : nullptr);
}

void Form1::RestaurarGrid() {
    auto patch = gridFollower_.update(BackBox(), grid1Model_->grid(), cancelCheck());
    if (!patch) return;
    const int row = std::max(Grid1->Row(), 0);
    const int col = std::max(Grid1->Col(), 0);
    grid1Model_->apply(std::move(*patch));
    const CharGrid& g = grid1Model_->grid();
    if (g.rows() > 0 && g.cols() > 0)
        Grid1->setCurrentCell(std::min(row, g.rows() - 1), std::min(col, g.cols() - 1));
}

void Form1::RestaurarMensaje() {
    MensajeListo = false;
    if (Cerrando) return; // closing: the text view keeps its content and the flag stays down
    // The rows edited since the grid was built are all that differ from the text view,
    // unless it changed since; otherwise the whole grid is written and compared.
    std::optional<std::vector<ArtHunk>> rows;
    if (Mensaje->changedLines().empty())
        rows = gridFollower_.writeBack(grid1Model_->grid(), BackBox(), Palette[0]);
    std::optional<RichText> text;
    if (!rows && !(text = torvo::RestaurarMensaje(grid1Model_->grid(), Palette[0], cancelCheck()))) return;
    // Only the lines that differ are rewritten, and they are one step of the text's history.
    const ArtChange change = rows ? Mensaje->patchArt(std::move(*rows)) : Mensaje->replaceArt(*text);
    Mensaje->endWithEmptyLine();
    if (!change.hunks.empty())
        textHistory_.record(std::make_shared<ArtStep>(change.hunks, ArtStep::Kind::Edit, clock_.elapsed()));
    gridHistory_.clear();
    MensajeListo = true;
}

void Form1::RestaurarGrid2() {
    auto list = colourFollower_.update(BackBox(), cancelCheck());
    if (!list) return;
    std::vector<Grid2Model::Row> rows;
    rows.reserve(list->size());
    for (Colour c : *list)
        rows.push_back({c, GetColor(c, Palette)});
    grid2Model_->setRows(std::move(rows));
}

void Form1::RestaurarColores() {
    MensajeListo = false;
    RichText recoloured = BackBox();
    if (!applyColourChanges(recoloured, grid2Model_->rows(), cancelCheck())) return;
    Mensaje->setTypingColour(recoloured.typingColour());
    MensajeListo = true;
    // This write is a change of the text view, so it rebuilds every view.
    const ArtChange change = Mensaje->replaceArt(recoloured);
    Mensaje->endWithEmptyLine();
    if (!change.hunks.empty())
        textHistory_.record(std::make_shared<ArtStep>(change.hunks, ArtStep::Kind::Edit, clock_.elapsed()));
}

void Form1::RestaurarCopyPaste() {
    // Text put into the box by anything else (typed by hand) is written over whole.
    if (BoxCopy->document()->revision() != boxCopyRevision_) taggedFollower_.forget();
    auto patch = taggedFollower_.update(BackBox(), Palette, mnuUseTags->isChecked(), cancelCheck());
    if (!patch) return;
    if (patch->whole) {
        BoxCopy->setPlainText(QString());
        BoxCopy->setPlainText(*patch->whole);
        // The caret stays at the start when lines are put there later, so it need not be
        // placed again (which lays out its line).
        QTextCursor start(BoxCopy->document());
        start.setKeepPositionOnInsert(true);
        BoxCopy->setTextCursor(start);
    } else {
        applyBlockSplices(*BoxCopy->document(), patch->splices);
        // Placing the caret lays out its line: only when it is not at the start already.
        const QTextCursor caret = BoxCopy->textCursor();
        if (caret.position() != 0 || caret.hasSelection()) BoxCopy->moveCursor(QTextCursor::Start);
    }
    boxCopyRevision_ = BoxCopy->document()->revision();
}

void Form1::mnuUseTags_Click() {
    RestaurarCopyPaste();
    saveSettings();
}

// What the user set outlives the window: the tag choice, the window's place and size,
// and the folder the file dialogs open in.
void Form1::restoreSettings() {
    const QSettings settings;
    mnuUseTags->setChecked(settings.value(QStringLiteral("usarTags"), true).toBool());
    restoreGeometry(settings.value(QStringLiteral("ventana")).toByteArray());
    CommonDialog1->setLastPath(settings.value(QStringLiteral("ultimoArchivo")).toString());
}

void Form1::saveSettings() const {
    QSettings settings;
    settings.setValue(QStringLiteral("usarTags"), mnuUseTags->isChecked());
    settings.setValue(QStringLiteral("ventana"), saveGeometry());
    settings.setValue(QStringLiteral("ultimoArchivo"), CommonDialog1->lastPath());
}

// ---- Grid painting ----

void Form1::Grid1_KeyPress(const QString& text) {
    const auto units = text.toUcs4();
    if (units.size() != 1 || !isTypableCell(units.front())) return; // control keys leave the cell as it is
    const int r = Grid1->Row();
    const int c = Grid1->Col();
    if (!grid1Model_->grid().contains(r, c)) return;
    Cell cell = grid1Model_->grid().at(r, c);
    cell.ch = units.front();
    cell.hasChar = true;
    editCell(r, c, cell);
}

void Form1::Grid1_KeyDown(int KeyCode) {
    // Backspace and Delete empty the current cell; its colour stays.
    if (KeyCode != Qt::Key_Backspace && KeyCode != Qt::Key_Delete) return;
    const int r = Grid1->Row();
    const int c = Grid1->Col();
    if (!grid1Model_->grid().contains(r, c)) return;
    Cell cell = grid1Model_->grid().at(r, c);
    cell.ch = 0;
    cell.hasChar = false;
    editCell(r, c, cell);
}

void Form1::Grid1_MouseDown(int Button) {
    if (Button != 2 || !chkNone->isChecked()) return;
    const int r = Grid1->MouseRow();
    const int c = Grid1->MouseCol();
    if (!grid1Model_->grid().contains(r, c)) return; // past the last row or column
    Grid1->setCurrentCell(r, c);
    paintCell(r, c);
}

void Form1::Grid1_MouseMove(int Button) {
    Grid1_MouseDown(Button);
}

void Form1::Grid1_MouseUp(int Button) {
    // A right-button gesture, press to release, is one step.
    if (Button == 2) finishPaint();
    if (Button != 1) return;
    MaxCols = grid1Model_->grid().cols();
    MaxRows = grid1Model_->grid().rows();
    useTool(currentTool(), currentColour());
}

void Form1::useTool(Tool tool, Colour colour) {
    CharGrid after = grid1Model_->grid();
    torvo::useTool(after, tool, Grid1->Col(), Grid1->Row(), Grid1->ColSel(), Grid1->RowSel(), colour,
                   currentCharacter());
    editCells(diffGrids(grid1Model_->grid(), after));
}

Tool Form1::currentTool() const {
    return chkLock->isChecked()    ? Tool::Lock
           : chkFill->isChecked()  ? Tool::Fill
           : chkWFill->isChecked() ? Tool::XFill
                                   : Tool::None;
}

void Form1::editCells(const std::vector<CellChange>& cells) {
    finishPaint();
    if (cells.empty()) return;
    CharGrid& grid = grid1Model_->editGrid();
    for (const CellChange& change : cells)
        grid.at(change.row, change.col) = change.after;
    gridFollower_.edited(rowsOf(cells));
    if (cells.size() == 1)
        grid1Model_->changedCell(cells.front().row, cells.front().col);
    else
        grid1Model_->changed();
    gridHistory_.record(std::make_shared<GridStep>(cells));
    scheduleRecovery();
}

void Form1::editCell(int r, int c, const Cell& after) {
    const CharGrid& grid = grid1Model_->grid();
    if (!grid.contains(r, c) || grid.at(r, c) == after) return;
    editCells({{r, c, grid.at(r, c), after}});
}

void Form1::paintCell(int r, int c) {
    const quint64 key = quint64(quint32(r)) << 32 | quint32(c);
    painting_.try_emplace(key, grid1Model_->grid().at(r, c));
    grid1Model_->editGrid().setColour(r, c, currentColour());
    gridFollower_.edited({r});
    grid1Model_->changedCell(r, c);
}

void Form1::finishPaint() {
    if (painting_.empty()) return;
    std::vector<CellChange> cells;
    const CharGrid& grid = grid1Model_->grid();
    for (const auto& [key, before] : painting_) {
        const int r = int(key >> 32), c = int(key & 0xFFFFFFFFu);
        if (grid.contains(r, c) && !(grid.at(r, c) == before)) cells.push_back({r, c, before, grid.at(r, c)});
    }
    painting_.clear();
    if (cells.empty()) return;
    gridHistory_.record(std::make_shared<GridStep>(std::move(cells)));
    scheduleRecovery();
}

// ---- History and recovery ----

void Form1::artChanged(const ArtChange& change, MensajeEdit::Source source) {
    // The user's own changes in the text view are steps; the window's rewrites and the
    // history's own undo and redo are recorded (or not) where they are made.
    if ((source == MensajeEdit::Source::Typing || source == MensajeEdit::Source::User) &&
        !change.hunks.empty()) {
        const auto kind = source == MensajeEdit::Source::Typing ? ArtStep::Kind::Typing : ArtStep::Kind::Edit;
        textHistory_.record(std::make_shared<ArtStep>(change.hunks, kind, clock_.elapsed()));
    }
    scheduleRecovery();
    Mensaje_Change();
}

void Form1::undoText(const History::Step& step, bool undo) {
    const auto& art = static_cast<const ArtStep&>(step);
    Mensaje->applyHunks(art.hunks(), undo);
    if (art.kind() == ArtStep::Kind::Open) setFileName(art.file(undo));
}

void Form1::undoGrid(const History::Step& step, bool undo) {
    const auto& cells = static_cast<const GridStep&>(step);
    cells.applyTo(grid1Model_->editGrid(), undo);
    gridFollower_.edited(rowsOf(cells.cells()));
    grid1Model_->changed();
    scheduleRecovery();
}

void Form1::openArt(const RichText& art, const QString& file) {
    const QString before = fileName_;
    const ArtChange change = Mensaje->replaceArt(art);
    // The view holds the text as it was read, a final line break included.
    if (art.endsWithLineBreak()) Mensaje->endWithEmptyLine();
    if (!change.hunks.empty() || file != before)
        textHistory_.record(std::make_shared<ArtStep>(change.hunks, before, file));
    setFileName(file);
}

bool Form1::isArtModified() const {
    return !textHistory_.stack()->isClean() || !gridHistory_.stack()->isClean();
}

void Form1::setFileName(const QString& path) {
    fileName_ = path;
    updateTitle();
}

void Form1::updateTitle() {
    const QString name = QFileInfo(fileName_).fileName();
    setWindowTitle(name.isEmpty() ? QStringLiteral("Torvo[*]") : name + QStringLiteral("[*] — Torvo"));
    setWindowModified(isArtModified());
}

void Form1::startRecovery(const QString& folder, const QString& file) {
    recovery_ = std::make_unique<RecoveryStore>(folder);
    // With a file to open as well, the recovered art stays on disk for a later start
    // too, since it is no longer the art on show.
    const Recovery recovery = recovery_->takeOver(file.isEmpty());
    const std::optional<RecoveredArt>& found = recovery.found;
    QStringList said;
    if (found) {
        openArt(found->art, found->file);
        said << (found->file.isEmpty() ? QStringLiteral("Recuperado el trabajo sin guardar.")
                                       : QStringLiteral("Recuperado el trabajo sin guardar de «%1».")
                                             .arg(QFileInfo(found->file).fileName()));
    }
    if (!recovery.problem.isEmpty()) said << recovery.problem;
    if (!file.isEmpty() && openPath(file) && found)
        said
            << QStringLiteral("Abierto «%1»; Ctrl+Z vuelve a lo recuperado.").arg(QFileInfo(file).fileName());
    if (!said.isEmpty()) showStatus(said.join(u' '));
}

void Form1::scheduleRecovery() {
    if (recovery_ && !recoveryTimer_.isActive()) recoveryTimer_.start();
}

void Form1::writeRecovery() {
    recoveryTimer_.stop();
    if (!recovery_) return;
    if (!isArtModified()) {
        recovery_->discard();
        return;
    }
    // On the grid, the art is what leaving it would write back; otherwise what the text view
    // holds, its last line as it is: the working copy always ends that line.
    const bool onGrid = !gridHistory_.stack()->isClean();
    RichText art = onGrid ? *torvo::RestaurarMensaje(grid1Model_->grid(), Palette[0]) : BackBox();
    if (!onGrid && Mensaje->document()->lastBlock().length() > 1 && art.endsWithLineBreak())
        art.replace(art.size() - 2, 2, RichText());
    const Result<void> written = recovery_->write(art, fileName_);
    // A failure of the write before this one shows now.
    const QString error = written ? recovery_->takeError() : written.why();
    if (!error.isEmpty()) showStatus(error);
}

// ---- Sending ----

void Form1::Enviar_Click() {
    // A second click during the countdown calls the send off: typing into the wrong
    // window is the costly mistake here.
    if (Timer1->isActive()) {
        cancelSend();
        return;
    }
    SSTab1->setTab(TextBox);
    Timer1->start(1000);
}

void Form1::cancelSend() {
    if (!Timer1->isActive()) return;
    Timer1->stop();
    countdown_.reset();
    Label1->setText(QString());
    showStatus(QStringLiteral("Envío cancelado."));
}

void Form1::Timer1_Timer() {
    const Countdown::Tick tick = countdown_.tick();
    QPalette pal = Label1->palette();
    pal.setColor(QPalette::WindowText, Palette[tick.paletteIndex].toQColor());
    Label1->setPalette(pal);
    Label1->setText(tick.label);
    if (!tick.send) return;
    Timer1->stop();
    send();
}

void Form1::send() {
    const auto keys = buildKeystrokes(BackBox(), Palette, cancelCheck());
    if (!keys) return;
    const Result<std::unique_ptr<Typist>> typist = typistFactory_();
    const Result<void> sent = typist ? sendKeys(**typist, *keys) : typist.failure();
    showStatus(sent ? (*typist)->doneMessage() : sent.why());
}

// ---- Files ----

bool Form1::openPath(const QString& path) {
    if (isPictureFile(path)) return takePicture(openPictureFile(path, Palette, lastPictureChoices()));
    const auto opened = openArtFile(path, Palette, MaxArtPositions, cancelCheck());
    if (!opened) return false; // the window is closing
    if (!*opened) {
        showStatus(opened->why());
        return false;
    }
    // Opening over unsaved work is one step: undo brings that work back.
    if (SSTab1->Tab() == GridTab) SSTab1->setTab(TextBox);
    openArt((*opened)->text, path);
    textHistory_.stack()->setClean();
    showStatus((*opened)->status);
    return true;
}

void Form1::mnuOpen_Click() {
    const QString path = CommonDialog1->ShowOpen(
        QStringLiteral(
            "Archivos Torvo (*.qcg)|*.qcg|Archivos de Texto (*.txt)|*.txt|Texto con Formato (*.rtf)|*.rtf|"
            "Arte ANSI (*.ans)|*.ans|") +
        pictureFilter() + QStringLiteral("|Todos los Archivos (*.*)|*.*"));
    if (path.isEmpty()) return;
    openPath(path);
}

void Form1::mnuImport_Click() {
    const QString path =
        CommonDialog1->ShowOpen(pictureFilter() + QStringLiteral("|Todos los Archivos (*.*)|*.*"));
    if (path.isEmpty()) return;
    if (const auto imported = PictureDialog::ask(this, path, Palette)) takePicture(*imported);
}

bool Form1::takePicture(const Result<OpenedArt>& picture) {
    if (!picture) {
        showStatus(picture.why());
        return false;
    }
    if (SSTab1->Tab() == GridTab) SSTab1->setTab(TextBox);
    // One step, like an open; the art belongs to no file until it is saved.
    openArt(picture->text, QString());
    showStatus(picture->status);
    return true;
}

void Form1::report(const Result<QString>& status) {
    showStatus(status ? *status : status.why());
}

void Form1::mnuSave_Click() {
    const QString path = CommonDialog1->ShowSaveTyped(QStringLiteral(
        "Archivos Torvo (*.qcg)|*.qcg|Archivos de Texto (*.txt)|*.txt|Todos los Archivos (*.*)|*.*"));
    if (path.isEmpty()) return;
    const RichText art = snapshotDocument(*Mensaje->document(), Mensaje->typingColour(), false);
    const SaveFormat format = formatForPath(path);
    const QByteArray bytes = encodeArtFile(art, format);
    const Result<QString> saved = saveArtFile(path, bytes, format);
    report(saved);
    // Saved means the file gives this art back; text without colours does not.
    if (saved && reopensAs(bytes, BackBox())) {
        textHistory_.stack()->setClean();
        setFileName(path);
    }
}

void Form1::mnuSaveAnsi_Click() {
    const QString path = CommonDialog1->ShowSave(ansiSaveFilter(), filterOfAnsiKind(lastAnsiKind()));
    if (path.isEmpty()) return;
    const AnsiKind kind = ansiKindOfFilter(CommonDialog1->FilterIndex());
    rememberAnsiKind(kind);
    const ExportFormat format = kind == AnsiKind::Utf8 ? ExportFormat::AnsiUtf8 : ExportFormat::Ansi;
    if (const auto saved = saveExport(format, BackBox(), Palette, path, cancelCheck())) report(*saved);
}

void Form1::mnuSaveHTML_Click() {
    const QString path = CommonDialog1->ShowSave(QStringLiteral("Archivos HTML (*.html)|*.html"));
    if (path.isEmpty()) return;
    if (const auto saved = saveExport(ExportFormat::Html, BackBox(), Palette, path, cancelCheck()))
        report(*saved);
}

void Form1::mnuSaveBitmap_Click() {
    MaxCols = grid1Model_->grid().cols();
    MaxRows = grid1Model_->grid().rows();
    MensajeListo = false;
    const auto restore = qScopeGuard([this] { MensajeListo = true; });
    const Result<QImage> image = renderArt(BackBox(), MaxCols, MaxRows, textImageFont());
    if (!image) {
        showStatus(image.why());
        return;
    }
    TextImage->setPixmap(QPixmap::fromImage(*image));
    const QString path = CommonDialog1->ShowSave(QStringLiteral("Archivos Bitmap (*.bmp)|*.bmp"));
    if (path.isEmpty()) return;
    report(saveBitmap(*image, path));
}

} // namespace torvo
