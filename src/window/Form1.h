#pragma once

#include "art/ArtModel.h"
#include "art/CharGrid.h"
#include "art/RichText.h"
#include "base/Result.h"
#include "files/OpenArt.h"
#include "history/History.h"
#include "paint/Tools.h"
#include "palette/Palette.h"
#include "send/Countdown.h"
#include "window/Form1Ui.h"
#include "window/MensajeEdit.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <QUndoGroup>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QTimer;

namespace torvo {

class ChatPanel;
class CommonDialog;
class GridBlocks;
class GridEditor;
class RecoveryKeeper;
class Typist;

// The one window. Its handlers keep their names and stay thin: each calls the core
// library and puts the result into a control.
class Form1 : public QMainWindow, private Form1Ui {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // What reaches the focused window's keyboard; tests give a recording one. Fails when
    // no typing service can be reached.
    using TypistFactory = std::function<Result<std::unique_ptr<Typist>>()>;
    void setTypistFactory(TypistFactory factory) { typistFactory_ = std::move(factory); }
    CommonDialog* dialog() const { return CommonDialog1; }

    const torvo::Palette& palette() const { return Palette; }
    // The text view is settled: its changes rebuild the other views.
    bool mensajeListo() const { return MensajeListo; }
    // The working copy of the text view: the art as every walker reads it.
    const RichText& BackBox() const { return model_.art(); }
    const ArtModel& art() const { return model_; }

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
    void buildHistoryMenu();
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
    void artChanged(const ArtChange& change);
    void undoText(const History::Step& step, bool undo);
    // The window's own write of the art, one step of its history; the text view shows the
    // empty line after the art's last line when `trailing`.
    void writeArt(std::vector<LineChange> lines, bool trailing, std::optional<Colour> typing = {});
    // Opens the art as one step, belonging to `file` afterwards.
    void openArt(const RichText& art, const QString& file);
    // Puts a converted picture in place of the art as one step, or shows why it failed.
    bool takePicture(const Result<OpenedArt>& picture);
    void setFileName(const QString& path);
    void updateTitle();
    // The art the recovery file keeps; nothing when all is saved.
    std::optional<RichText> unsavedArt() const;

    ChatPanel* chats_ = nullptr; // the target: "Copiar", the menu "Destino", line-by-line sending

    Countdown countdown_;
    int waitCounter_ = 0;
    TypistFactory typistFactory_;

    // Window-level state.
    torvo::Palette Palette;
    bool MensajeListo = false;
    bool Cerrando = false;
    int MaxCols = 0;
    int MaxRows = 0;

    ArtModel model_;
    History textHistory_;
    History gridHistory_;
    QUndoGroup historyGroup_;
    QElapsedTimer clock_;
    QString fileName_;
    GridEditor* grid_ = nullptr;
    GridBlocks* blocks_ = nullptr;
    // The side views are built from the art when shown: each is due since the text view
    // last changed (Grid1, Grid2, BoxCopy).
    std::array<bool, 3> due_{true, true, true};
    RecoveryKeeper* recovery_ = nullptr;
};

} // namespace torvo
