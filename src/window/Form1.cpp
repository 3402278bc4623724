#include "window/Form1.h"

#include "chat/IrcArt.h"
#include "convert/ColourChange.h"
#include "convert/TabChange.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"
#include "files/AnsiFile.h"
#include "files/ArtFile.h"
#include "files/BitmapExport.h"
#include "files/OpenArt.h"
#include "files/SaveArt.h"
#include "history/ArtStep.h"
#include "image/PictureImport.h"
#include "paint/Fill.h"
#include "paint/Tools.h"
#include "send/Keystrokes.h"
#include "send/Typist.h"
#include "send/TypistChoice.h"
#include "window/ArtZoom.h"
#include "window/CharacterBox.h"
#include "window/ChatPanel.h"
#include "window/ColorSwatch.h"
#include "window/CommonDialog.h"
#include "window/Eyedropper.h"
#include "window/FKeyRow.h"
#include "window/Grid1Model.h"
#include "window/Grid2Model.h"
#include "window/GridBlocks.h"
#include "window/GridEditor.h"
#include "window/GridView.h"
#include "window/MensajeEdit.h"
#include "window/PaletteKeys.h"
#include "window/PictureDialog.h"
#include "window/RecoveryKeeper.h"
#include "window/SendRoutes.h"
#include "window/TabStrip.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace torvo {
namespace {

// The wait for MensajeListo gives up after this many looks.
constexpr int WaitBudget = 1000000;

} // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent), textHistory_([this](const History::Step& s, bool undo) { undoText(s, undo); }),
      gridHistory_([this](const History::Step& s, bool undo) { grid_->undo(s, undo); }) {
    setObjectName(QStringLiteral("Form1"));
    setAcceptDrops(true);
    clock_.start();
    typistFactory_ = [] { return chooseTypist(desktopRoutes(), isWaylandSession()); };
    setupUi(this, model_);
    grid_ = new GridEditor(*Grid1, *grid1Model_, gridHistory_, this);
    chats_ = new ChatPanel(*this, mnuConfig, SSTab1, BoxCopy, statusBar());
    recovery_ = new RecoveryKeeper([this] { return unsavedArt(); }, [this] { return fileName_; }, this);
    buildHistoryMenu();
    wireEvents();
    // Drawing on the grid: blocks, the F-keys, the eyedropper, the zoom, the palette's keys.
    blocks_ = new GridBlocks(
        *Grid1, *grid_, menuBar(), mnuConfig, [this] { return currentColour(); }, MaxArtPositions);
    connect(blocks_, &GridBlocks::status, this, &Form1::showStatus);
    new FKeyRow(this, Grid1, Mensaje);
    new Eyedropper(Grid1, Mensaje, ColorPicker, ColorPicker2);
    new ArtZoom(this, Mensaje, Grid1, grid1Model_);
    new PaletteKeys(*this, Color, ColorPicker, Picture1, statusBar());
    Form_Load();
    restoreSettings();
    updateTitle();
}

Form1::~Form1() {
    // The stacks report a clean state as they go; the work must stay in its recovery file.
    for (History* history : {&textHistory_, &gridHistory_})
        disconnect(history->stack(), nullptr, this, nullptr);
}

void Form1::buildHistoryMenu() {
    // Undo and redo follow the history of the view shown: the text's or the grid's.
    historyGroup_.addStack(textHistory_.stack());
    historyGroup_.addStack(gridHistory_.stack());
    historyGroup_.setActiveStack(textHistory_.stack());
    addHistoryActions(this, historyGroup_);
}

void Form1::wireEvents() {
    connect(mnuOpen, &QAction::triggered, this, &Form1::mnuOpen_Click);
    connect(mnuImport, &QAction::triggered, this, &Form1::mnuImport_Click);
    connect(mnuSave, &QAction::triggered, this, &Form1::mnuSave_Click);
    connect(mnuSaveHTML, &QAction::triggered, this, &Form1::mnuSaveHTML_Click);
    connect(mnuSaveAnsi, &QAction::triggered, this, &Form1::mnuSaveAnsi_Click);
    connect(mnuSaveBitmap, &QAction::triggered, this, &Form1::mnuSaveBitmap_Click);
    connect(mnuExit, &QAction::triggered, this, &Form1::mnuExit_Click);
    // A checkable action inverts its own check mark before it reports the click.
    connect(mnuUseTags, &QAction::triggered, this, &Form1::mnuUseTags_Click);
    connect(chats_, &ChatPanel::status, this, &Form1::showStatus);
    connect(chats_, &ChatPanel::ownCodesWanted, this, &Form1::RestaurarCopyPaste);
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
    connect(&model_, &ArtModel::changed, this, &Form1::artChanged);
    connect(grid_, &GridEditor::edited, recovery_, &RecoveryKeeper::schedule);
    for (History* history : {&textHistory_, &gridHistory_})
        connect(history->stack(), &QUndoStack::cleanChanged, this, [this] {
            updateTitle();
            if (!isArtModified()) recovery_->write();
        });
    connect(recovery_, &RecoveryKeeper::problem, this, &Form1::showStatus);

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
    ArtChange typing;
    typing.typing = Palette[0];
    model_.apply(typing);
    Mensaje->setTextColour(Palette[0]);
    textHistory_.clear();
    gridHistory_.clear();
    // The side views of the empty art.
    grid1Model_->setGrid(CharGrid(1, 1));
    grid2Model_->setRows({});
    BoxCopy->setPlainText(QString());
    due_ = {false, false, false};
    BoxCopy->hide();
    MensajeListo = true;
    Form_Resize();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize() {
    if (const std::optional<QRect> views = layOutViews(isMinimized())) chats_->place(*views);
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
    recovery_->writeAndFlush();
    saveSettings();
    QMainWindow::closeEvent(event);
}

void Form1::Form_Terminate() {
    Cerrando = true;
}

void Form1::mnuExit_Click() {
    // Ends at once: nothing is asked, and Form_Terminate does not run; unsaved work
    // stays in the recovery file for the next start.
    recovery_->writeAndFlush();
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
        // The block takes the colour, unless the colour is for the next fill.
        if (!chkFill->isChecked()) blocks_->colour(c);
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
    fitToolCaptions();
}

// ---- View switching ----

void Form1::Mensaje_Change() {
    // The side views are built from the art when they are shown next.
    if (!MensajeListo) return;
    Mensaje->caretToEnd();
    due_ = {true, true, true};
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
    grid_->finishPaint();
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
    if (tab == GridTab && due_[0]) RestaurarGrid();
    if (tab == CambioColor && due_[1]) RestaurarGrid2();
    if (tab == CopyPaste && due_[2]) RestaurarCopyPaste();
    // Undo follows the view: the text's history, or the grid's for this visit of it.
    if (tab == GridTab) gridHistory_.clear();
    historyGroup_.setActiveStack(tab == TextBox   ? textHistory_.stack()
                                 : tab == GridTab ? gridHistory_.stack()
                                                  : nullptr);
}

void Form1::RestaurarGrid() {
    due_[0] = !grid_->build(BackBox(), model_.revision(), cancelCheck());
}

void Form1::RestaurarMensaje() {
    MensajeListo = false;
    if (Cerrando) return; // closing: the text view keeps its content and the flag stays down
    auto lines = grid_->writeBack(BackBox(), model_.revision(), Palette[0], cancelCheck());
    if (!lines) return;
    // Only the lines that differ are rewritten, and they are one step of the text's history.
    writeArt(std::move(*lines), true);
    gridHistory_.clear();
    MensajeListo = true;
}

void Form1::RestaurarGrid2() {
    auto list = distinctColours(BackBox(), cancelCheck());
    if (!list) return;
    std::vector<Grid2Model::Row> rows;
    rows.reserve(list->size());
    for (Colour c : *list)
        rows.push_back({c, GetColor(c, Palette)});
    grid2Model_->setRows(std::move(rows));
    due_[1] = false;
}

void Form1::RestaurarColores() {
    MensajeListo = false;
    RichText recoloured = BackBox();
    if (!applyColourChanges(recoloured, grid2Model_->rows(), cancelCheck())) return;
    MensajeListo = true;
    // This write is a change of the text view, so it rebuilds every view.
    writeArt(diffLines(BackBox(), recoloured), true, recoloured.typingColour());
}

void Form1::RestaurarCopyPaste() {
    due_[2] = false;
    if (chats_->target() != chat::Target::Own) return chats_->artChanged();
    const auto text = taggedText(BackBox(), Palette, mnuUseTags->isChecked(), cancelCheck());
    if (text) BoxCopy->setPlainText(*text);
}

void Form1::mnuUseTags_Click() {
    due_[2] = true;
    if (BoxCopy->isVisible()) RestaurarCopyPaste();
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
    // Control keys leave the cell as it is.
    if (units.size() == 1 && isTypableCell(units.front())) grid_->type(units.front());
}

void Form1::Grid1_KeyDown(int KeyCode) {
    // Backspace and Delete empty the current cell; its colour stays.
    if (KeyCode == Qt::Key_Backspace || KeyCode == Qt::Key_Delete) grid_->empty();
}

void Form1::Grid1_MouseDown(int Button) {
    if (Button != 2 || !chkNone->isChecked()) return;
    const int r = Grid1->MouseRow();
    const int c = Grid1->MouseCol();
    if (!grid1Model_->grid().contains(r, c)) return; // past the last row or column
    Grid1->setCurrentCell(r, c);
    grid_->paint(r, c, currentColour());
}

void Form1::Grid1_MouseMove(int Button) {
    Grid1_MouseDown(Button);
}

void Form1::Grid1_MouseUp(int Button) {
    // A right-button gesture, press to release, is one step.
    if (Button == 2) grid_->finishPaint();
    if (Button != 1) return;
    MaxCols = grid1Model_->grid().cols();
    MaxRows = grid1Model_->grid().rows();
    useTool(currentTool(), currentColour());
}

void Form1::useTool(Tool tool, Colour colour) {
    grid_->use(tool, colour, currentCharacter());
}

Tool Form1::currentTool() const {
    return chkLock->isChecked()    ? Tool::Lock
           : chkFill->isChecked()  ? Tool::Fill
           : chkWFill->isChecked() ? Tool::XFill
                                   : Tool::None;
}

// ---- History and recovery ----

void Form1::artChanged(const ArtChange& change) {
    // The user's own changes in the text view are steps; the window's writes and the
    // history's own undo and redo are recorded (or not) where they are made.
    using Source = ArtChange::Source;
    if ((change.source == Source::Typing || change.source == Source::User) && !change.lines.empty()) {
        const auto kind = change.source == Source::Typing ? ArtStep::Kind::Typing : ArtStep::Kind::Edit;
        textHistory_.record(std::make_shared<ArtStep>(change.lines, kind, clock_.elapsed()));
    }
    recovery_->schedule();
    if (!change.lines.empty()) Mensaje_Change();
}

void Form1::undoText(const History::Step& step, bool undo) {
    const auto& art = static_cast<const ArtStep&>(step);
    ArtChange change;
    change.lines = undo ? inverted(art.lines()) : art.lines();
    change.source = ArtChange::Source::History;
    // A change that reaches the last line leaves the text view without the empty line after it.
    const LineChange& last = change.lines.back();
    if (last.first + linesIn(last.before) >= BackBox().lineCount() - 1) change.trailingLine = false;
    model_.apply(std::move(change));
    if (art.kind() == ArtStep::Kind::Open) setFileName(art.file(undo));
}

void Form1::writeArt(std::vector<LineChange> lines, bool trailing, std::optional<Colour> typing) {
    ArtChange change;
    change.lines = std::move(lines);
    change.trailingLine = trailing;
    change.typing = typing;
    model_.apply(change);
    std::erase_if(change.lines, [](const LineChange& c) { return sameLines(c.before, c.after); });
    if (!change.lines.empty())
        textHistory_.record(
            std::make_shared<ArtStep>(std::move(change.lines), ArtStep::Kind::Edit, clock_.elapsed()));
}

void Form1::openArt(const RichText& art, const QString& file) {
    const QString before = fileName_;
    RichText ended = art;
    if (!ended.isEmpty() && !ended.endsWithLineBreak()) ended.appendLineBreak();
    ArtChange change;
    change.lines = diffLines(BackBox(), ended);
    // The view holds the text as it was read, a final line break included.
    change.trailingLine = art.endsWithLineBreak();
    model_.apply(change);
    if (!change.lines.empty() || file != before)
        textHistory_.record(std::make_shared<ArtStep>(std::move(change.lines), before, file));
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
    // With a file to open as well, the recovered art stays on disk for a later start
    // too, since it is no longer the art on show.
    const Recovery recovery = recovery_->start(folder, file.isEmpty());
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

std::optional<RichText> Form1::unsavedArt() const {
    if (!isArtModified()) return std::nullopt;
    // On the grid, the art is what leaving it would write back; otherwise the art as the text
    // view holds it, its last line as it is.
    if (!gridHistory_.stack()->isClean()) return *torvo::RestaurarMensaje(grid1Model_->grid(), Palette[0]);
    return model_.viewArt();
}

// ---- Sending ----

void Form1::Enviar_Click() {
    // A second click during the countdown calls the send off: typing into the wrong
    // window is the costly mistake here.
    if (Timer1->isActive()) {
        cancelSend();
        return;
    }
    if (chats_->cancelSend() || !chats_->canSend()) return;
    SSTab1->setTab(TextBox);
    Timer1->start(1000);
}

void Form1::cancelSend() {
    if (chats_->cancelSend() || !Timer1->isActive()) return;
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
    if (chats_->send(typistFactory_)) return;
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
        QStringLiteral("Archivos Torvo (*.qcg)|*.qcg|Archivos de Texto (*.txt)|*.txt|Texto con Formato "
                       "(*.rtf)|*.rtf|Arte ANSI (*.ans)|*.ans|Arte IRC (*.irc)|*.irc|") +
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
    // IRC art last: the entries before it keep their places.
    const QString path = CommonDialog1->ShowSaveTyped(QStringLiteral(
        "Archivos Torvo (*.qcg)|*.qcg|Archivos de Texto (*.txt)|*.txt|Todos los Archivos (*.*)|*.*|"
        "Arte IRC (*.irc)|*.irc"));
    if (path.isEmpty()) return;
    // IRC art keeps the picture, not the art: like an export, it leaves the art unsaved.
    if (chat::isIrcPath(path)) return report(**saveExport(ExportFormat::Irc, BackBox(), Palette, path));
    const SaveFormat format = formatForPath(path);
    const QByteArray bytes = encodeArtFile(model_.viewArt(), format);
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
    // The size of the grid the art fills.
    MaxCols = GridMayor(BackBox(), u'C');
    MaxRows = GridMayor(BackBox(), u'F');
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
