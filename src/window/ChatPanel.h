#pragma once

#include "chat/ChatTarget.h"
#include "window/Form1.h"

#include <QObject>
#include <QRect>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace torvo {

class PacedTyping;
class TabStrip;

// Where the art goes (Configuracion → Destino): the chat or terminal the "Copy & Paste"
// tab, its "Copiar" button and "Enviar" work for. With the own codes the tab keeps the
// window's tagged text; with another target its text is made whole from the art each time
// the tab shows, and IRC and terminal art is typed a line at a time.
class ChatPanel : public QObject {
    Q_OBJECT
public:
    // Adds the menu to `config`, the button, the target's name and the Discord preview to
    // the tab strip beside `box` (the tab's text), and the target's name to the status bar.
    ChatPanel(Form1& form, QMenu* config, TabStrip* tabs, QPlainTextEdit* box, QStatusBar* statusBar);

    chat::Target target() const { return target_; }
    void setTarget(chat::Target target);
    void setColourKey(chat::ColourKey key);

    // The place of the tab's view.
    void place(const QRect& view);
    // The art changed (with a target of its own): the tab's text follows when it shows.
    void artChanged();
    // "Copiar": the tab's text, or with Discord its next block, onto the clipboard.
    void copy();

    // "Enviar" is pressed: false, with the reason in the status bar, for a target that takes
    // no keys.
    bool canSend();
    // The countdown ended: types the art line by line and returns true, or returns false
    // when the target is the own codes (the window types them in one go).
    bool send(const Form1::TypistFactory& factory);
    // Calls a line-by-line typing off; false when none was going on.
    bool cancelSend();

signals:
    void status(const QString& message);
    // The tab's text is to be the window's own tagged text again.
    void ownCodesWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu(QMenu* config);
    void refresh();
    void layOut();
    void showControls(bool shown);

    Form1& form_;
    TabStrip* tabs_;
    QPlainTextEdit* box_;
    QPushButton* copyButton_;
    QLabel* tabLabel_;
    QLabel* statusLabel_;
    QPlainTextEdit* preview_;
    PacedTyping* typing_;
    std::array<QAction*, 4> targetActions_{};
    QAction* ctrlK_ = nullptr;
    QAction* ctrlC_ = nullptr;

    chat::Target target_ = chat::Target::Own;
    chat::ColourKey key_ = chat::ColourKey::CtrlK;
    QRect view_;
    QString text_;       // what "Copiar" copies (not with the own codes or Discord)
    QStringList blocks_; // Discord's messages
    bool lineSplit_ = false;
    bool labelFits_ = false; // the target's name has room on the tab row
    int nextBlock_ = 0;
};

} // namespace torvo
