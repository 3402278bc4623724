#pragma once

#include "art/CharGrid.h"
#include "art/RichText.h"
#include "base/Result.h"
#include "convert/ColourFollower.h"
#include "convert/GridFollower.h"
#include "convert/TaggedFollower.h"
#include "files/OpenArt.h"
#include "history/History.h"
#include "paint/Tools.h"
#include "palette/Palette.h"
#include "send/Countdown.h"
#include "window/MensajeEdit.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <QUndoGroup>
#include <array>
#include <functional>
#include <memory>
#include <unordered_map>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace torvo {

class CharacterBox;
class ColorSwatch;
class CommonDialog;
class Grid1Model;
class Grid2Model;
class GridView;
class RecoveryStore;
class TabStrip;
class Typist;
struct CellChange;

// The one window. Its handlers keep their names and stay thin: each calls the core
// library and puts the result into a control.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // What reaches the focused window's keyboard; tests give a recording one. Fails when
    // no typing service can be reached.
    using TypistFactory = std::function<Result<std::unique_ptr<Typist>>()>;
    void setTypistFactory(TypistFactory factory) { typistFactory_ = std::move(factory); }
    CommonDialog* dialog() const { return CommonDialog1; }

    // Window-level state.
    torvo::Palette Palette;
    bool MensajeListo = false;
    bool Cerrando = false;
    int MaxCols = 0;
    int MaxRows = 0;
    // The working copy of the text view: the art as every walker reads it.
    const RichText& BackBox() const;

    // Handlers.
    void Form_Load();
    void Form_Resize();
    void Form_Terminate();
    void mnuExit_Click();
    void Color_MouseDown(int Index, int Button);
    void Picture1_Click();
    void ColorPicker2_KeyDown();
    void ColorPicker2_Change();
    void Mensaje_Change();
    void SSTab1_Click(int PreviousTab);
    void Grid1_KeyPress(const QString& text);
    void Grid1_KeyDown(int KeyCode);
    void Grid1_MouseDown(int Button);
    void Grid1_MouseMove(int Button);
    void Grid1_MouseUp(int Button);
    void mnuUseTags_Click();
    void Enviar_Click();
    void Timer1_Timer();
    void mnuOpen_Click();
    void mnuImport_Click();
    void mnuSave_Click();
    void mnuSaveAnsi_Click();
    void mnuSaveHTML_Click();
    void mnuSaveBitmap_Click();

    // Procedures.
    void RestaurarGrid();
    void RestaurarMensaje();
    void RestaurarGrid2();
    void RestaurarColores();
    void RestaurarCopyPaste();

    // The largest art the window takes from a file (a 2000 x 2000 picture): beyond it the
    // text view and the grid would keep the window busy for a long time.
    static constexpr int MaxArtPositions = 2000 * 2002;

    // Loads a file as the open command does, without the dialog. False when it failed
    // (the reason is in the status bar and the art is unchanged).
    bool openPath(const QString& path);
    int sendCounter() const { return countdown_.count(); }
    Colour currentColour() const;
    QString currentCharacter() const;

    // Unsaved work is kept in `folder` and survives an exit or a crash: the newest
    // recovery file left there by an editor that ended is loaded now, then `file` (if
    // any) is opened over it as a further step.
    void startRecovery(const QString& folder, const QString& file = {});
    // The file the art belongs to ("" before any open or save).
    QString artFile() const { return fileName_; }
    // The art differs from what was last opened or saved.
    bool isArtModified() const;
    History& textHistory() { return textHistory_; }
    History& gridHistory() { return gridHistory_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void wireEvents();
    void showStatus(const QString& message);
    // The status line of a command: what it did, or why it could not.
    void report(const Result<QString>& status);
    void waitForMensajeListo();
    void send();
    void cancelSend();
    void showView(int tab, bool tools);
    Tool currentTool() const;
    // A left click with the tool on the grid, as one step.
    void useTool(Tool tool, Colour colour);
    void restoreSettings();
    void saveSettings() const;
    std::function<bool()> cancelCheck() const {
        return [this] { return Cerrando; };
    }

    // History and recovery.
    void artChanged(const ArtChange& change, MensajeEdit::Source source);
    void undoText(const History::Step& step, bool undo);
    void undoGrid(const History::Step& step, bool undo);
    // Opens the art as one step, belonging to `file` afterwards.
    void openArt(const RichText& art, const QString& file);
    // Puts a converted picture in place of the art as one step, or shows why it failed.
    bool takePicture(const Result<OpenedArt>& picture);
    // Changes cells of the grid as one step of its history.
    void editCells(const std::vector<CellChange>& cells);
    void editCell(int r, int c, const Cell& after);
    void paintCell(int r, int c);
    void finishPaint();
    void setFileName(const QString& path);
    void updateTitle();
    void scheduleRecovery();
    void writeRecovery();

    QWidget* client_ = nullptr;
    QPushButton* Enviar = nullptr;
    ColorSwatch* Picture1 = nullptr;
    std::array<ColorSwatch*, 16> Color{};
    QGroupBox* Frame1 = nullptr;
    QRadioButton* chkNone = nullptr;
    QRadioButton* chkLock = nullptr;
    QRadioButton* chkFill = nullptr;
    QRadioButton* chkWFill = nullptr;
    ColorSwatch* ColorPicker = nullptr;
    CharacterBox* ColorPicker2 = nullptr;
    QLabel* Label1 = nullptr;
    TabStrip* SSTab1 = nullptr;
    MensajeEdit* Mensaje = nullptr;
    GridView* Grid1 = nullptr;
    Grid1Model* grid1Model_ = nullptr;
    GridView* Grid2 = nullptr;
    Grid2Model* grid2Model_ = nullptr;
    QPlainTextEdit* BoxCopy = nullptr;
    QLabel* TextImage = nullptr;
    CommonDialog* CommonDialog1 = nullptr;
    QTimer* Timer1 = nullptr;
    QAction* mnuUseTags = nullptr;

    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;

    Countdown countdown_;
    int waitCounter_ = 0;
    TypistFactory typistFactory_;

    History textHistory_;
    History gridHistory_;
    QUndoGroup historyGroup_;
    QElapsedTimer clock_;
    QString fileName_;
    // The derived views, each brought up to date with the lines changed since it was last.
    GridFollower gridFollower_;
    ColourFollower colourFollower_;
    TaggedFollower taggedFollower_;
    int boxCopyRevision_ = -1; // BoxCopy's document as the follower last wrote it
    // The cells a right-button paint gesture has changed so far, with what they held.
    std::unordered_map<quint64, Cell> painting_;
    std::unique_ptr<RecoveryStore> recovery_;
    QTimer recoveryTimer_;
};

} // namespace torvo
