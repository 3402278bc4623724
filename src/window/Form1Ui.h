#pragma once

#include <QRect>
#include <QtGlobal>
#include <array>
#include <optional>

class QAction;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QUndoGroup;
class QWidget;

namespace torvo {

class ArtModel;
class CharacterBox;
class ColorSwatch;
class CommonDialog;
class Grid1Model;
class Grid2Model;
class GridView;
class MensajeEdit;
class TabStrip;

// The window's controls as the user sees them: each with its name, place, font and caption,
// and the menus with their entries, as a form designer lays them out. Form1 wires them.
class Form1Ui {
protected:
    void setupUi(QMainWindow* form, ArtModel& model);
    // "Deshacer" and "Rehacer" of the history shown, in the menu and the text view's own menu.
    void addHistoryActions(QMainWindow* form, QUndoGroup& group);
    // Places the tabs and their views in the client area, as the window's size allows; the
    // views' place, or nothing when the tabs are hidden.
    std::optional<QRect> layOutViews(bool minimised);
    // One smaller size of the tool options' font until every caption fits its place.
    void fitToolCaptions();

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

    QMenu* mnuArchivo = nullptr;
    QMenu* mnuEdicion = nullptr;
    QMenu* mnuConfig = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveHTML = nullptr;
    QAction* mnuSaveAnsi = nullptr;
    QAction* mnuSaveBitmap = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuUseTags = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
};

} // namespace torvo
