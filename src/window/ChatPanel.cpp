#include "window/ChatPanel.h"

#include "art/DocumentBridge.h"
#include "chat/ChatColours.h"
#include "chat/DiscordArt.h"
#include "chat/IrcArt.h"
#include "send/PacedTyping.h"
#include "window/MensajeEdit.h"
#include "window/TabStrip.h"

#include <QActionGroup>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>

namespace torvo {
namespace {

const QString TargetKey = QStringLiteral("destino");
const QString ColourKeyKey = QStringLiteral("teclaColor");

QString targetLine(chat::Target target) {
    return QStringLiteral("Destino: ") + chat::captionOf(target);
}

} // namespace

ChatPanel::ChatPanel(Form1& form, QMenu* config, TabStrip* tabs, QPlainTextEdit* box, QStatusBar* statusBar)
    : QObject(&form), form_(form), tabs_(tabs), box_(box),
      copyButton_(new QPushButton(QStringLiteral("Co&piar"), tabs)), tabLabel_(new QLabel(tabs)),
      statusLabel_(new QLabel), preview_(new QPlainTextEdit(tabs)), typing_(new PacedTyping(this)) {
    copyButton_->setObjectName(QStringLiteral("Copiar"));
    tabLabel_->setObjectName(QStringLiteral("destinoPestana"));
    tabLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusLabel_->setObjectName(QStringLiteral("destinoEstado"));
    statusBar->addPermanentWidget(statusLabel_);
    preview_->setObjectName(QStringLiteral("DiscordPreview"));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: %1; }").arg(chat::DiscordCodeBlock.toQColor().name()));
    showControls(false);
    box_->installEventFilter(this);
    connect(copyButton_, &QPushButton::clicked, this, &ChatPanel::copy);
    connect(typing_, &PacedTyping::progress, this, [this](int typed, int total) {
        emit status(QStringLiteral("Enviando la línea %1 de %2 (Esc lo cancela).").arg(typed + 1).arg(total));
    });
    connect(typing_, &PacedTyping::finished, this, &ChatPanel::status);
    buildMenu(config);

    const QSettings settings;
    setColourKey(settings.value(ColourKeyKey).toString() == QLatin1String("ctrl+c") ? chat::ColourKey::CtrlC
                                                                                    : chat::ColourKey::CtrlK);
    setTarget(chat::targetOfSetting(settings.value(TargetKey).toString()));
}

void ChatPanel::buildMenu(QMenu* config) {
    QMenu* menu = config->addMenu(QStringLiteral("&Destino"));
    menu->setObjectName(QStringLiteral("mnuDestino"));
    auto* targets = new QActionGroup(this);
    static const char* const Names[] = {"mnuDestinoPropios", "mnuDestinoIrc", "mnuDestinoDiscord",
                                        "mnuDestinoTerminal"};
    for (std::size_t i = 0; i < chat::Targets.size(); ++i) {
        const chat::Target target = chat::Targets[i].target;
        QAction* action = menu->addAction(chat::captionOf(target));
        action->setObjectName(QLatin1String(Names[i]));
        action->setCheckable(true);
        targets->addAction(action);
        connect(action, &QAction::triggered, this, [this, target] { setTarget(target); });
        targetActions_[i] = action;
    }
    menu->addSeparator();
    auto* keys = new QActionGroup(this);
    ctrlK_ = menu->addAction(QStringLiteral("Ctrl+K (HexChat, mIRC)"));
    ctrlK_->setObjectName(QStringLiteral("mnuTeclaCtrlK"));
    ctrlC_ = menu->addAction(QStringLiteral("Ctrl+C (irssi, WeeChat)"));
    ctrlC_->setObjectName(QStringLiteral("mnuTeclaCtrlC"));
    for (QAction* key : {ctrlK_, ctrlC_}) {
        key->setCheckable(true);
        keys->addAction(key);
    }
    connect(ctrlK_, &QAction::triggered, this, [this] { setColourKey(chat::ColourKey::CtrlK); });
    connect(ctrlC_, &QAction::triggered, this, [this] { setColourKey(chat::ColourKey::CtrlC); });
}

void ChatPanel::setTarget(chat::Target target) {
    const bool changed = target != target_;
    target_ = target;
    for (std::size_t i = 0; i < chat::Targets.size(); ++i)
        targetActions_[i]->setChecked(chat::Targets[i].target == target);
    // The colour key is only IRC's.
    ctrlK_->setEnabled(target == chat::Target::Irc);
    ctrlC_->setEnabled(target == chat::Target::Irc);
    statusLabel_->setText(targetLine(target));
    QSettings().setValue(TargetKey, QLatin1String(chat::Targets[std::size_t(target)].setting));
    layOut();
    if (!changed) return;
    if (target == chat::Target::Own)
        emit ownCodesWanted();
    else
        refresh();
}

void ChatPanel::setColourKey(chat::ColourKey key) {
    key_ = key;
    ctrlK_->setChecked(key == chat::ColourKey::CtrlK);
    ctrlC_->setChecked(key == chat::ColourKey::CtrlC);
    QSettings().setValue(ColourKeyKey,
                         key == chat::ColourKey::CtrlC ? QStringLiteral("ctrl+c") : QStringLiteral("ctrl+k"));
}

void ChatPanel::place(const QRect& view) {
    view_ = view;
    layOut();
}

void ChatPanel::layOut() {
    const bool discord = target_ == chat::Target::Discord;
    if (view_.isValid()) {
        // With Discord the preview takes the lower half of the view.
        QRect text = view_;
        if (discord) {
            text.setHeight(view_.height() / 2 - 2);
            preview_->setGeometry(view_.adjusted(0, view_.height() / 2 + 2, 0, 0));
        }
        box_->setGeometry(text);
    }
    preview_->setVisible(discord && box_->isVisible());
    // The button at the right of the tab row, and the target's name in the room left between
    // it and the tabs: in full, or its name alone, or not at all (the status bar has it).
    const int row = tabs_->tabRowHeight();
    // As narrow as its caption allows: the tab row is short of room at the window's first size.
    const int buttonWidth = copyButton_->fontMetrics().horizontalAdvance(QStringLiteral("Copiar")) + 20;
    copyButton_->setGeometry(tabs_->width() - buttonWidth - 2, 1, buttonWidth, row - 2);
    const QTabBar* bar = tabs_->bar();
    const int room =
        copyButton_->x() - 8 - (bar->count() > 0 ? bar->tabRect(bar->count() - 1).right() + 8 : 0);
    labelFits_ = false;
    for (const QString& text : {targetLine(target_), chat::captionOf(target_)}) {
        const int width = tabLabel_->fontMetrics().horizontalAdvance(text);
        if (width > room) continue;
        tabLabel_->setText(text);
        tabLabel_->setGeometry(copyButton_->x() - width - 6, 0, width, row);
        labelFits_ = true;
        break;
    }
    tabLabel_->setVisible(labelFits_ && box_->isVisible());
}

void ChatPanel::showControls(bool shown) {
    copyButton_->setVisible(shown);
    tabLabel_->setVisible(shown && labelFits_);
    preview_->setVisible(shown && target_ == chat::Target::Discord);
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool shown = event->type() == QEvent::Show;
        showControls(shown);
        if (shown && target_ != chat::Target::Own) refresh();
    }
    return QObject::eventFilter(watched, event);
}

void ChatPanel::artChanged() {
    if (box_->isVisible()) refresh();
}

void ChatPanel::refresh() {
    if (target_ == chat::Target::Own || !box_->isVisible()) return;
    const RichText& art = form_.BackBox();
    blocks_.clear();
    text_.clear();
    nextBlock_ = 0;
    lineSplit_ = false;
    if (target_ == chat::Target::Irc) {
        // Each line ends with a line feed: pasted into a client, the last line goes too.
        for (const QString& line : chat::ircLines(art, form_.palette()))
            text_ += line + u'\n';
    } else if (target_ == chat::Target::Terminal) {
        text_ = chat::terminalText(art, form_.palette());
    } else {
        chat::DiscordBlocks discord = chat::discordBlocks(art, form_.palette());
        blocks_ = std::move(discord.blocks);
        lineSplit_ = discord.lineSplit;
        text_ = blocks_.join(QStringLiteral("\n\n"));
        QTextCharFormat format;
        format.setFont(box_->font());
        loadDocument(*preview_->document(), chat::discordPreview(art, form_.palette()), format);
    }
    box_->setPlainText(text_);
}

void ChatPanel::copy() {
    QString text = target_ == chat::Target::Own ? box_->toPlainText() : text_;
    QString said = QStringLiteral("Copiado.");
    if (target_ == chat::Target::Discord && !blocks_.isEmpty()) {
        const int block = nextBlock_;
        nextBlock_ = (nextBlock_ + 1) % int(blocks_.size());
        text = blocks_[block];
        said = QStringLiteral("Bloque %1 de %2 copiado.").arg(block + 1).arg(blocks_.size());
        if (lineSplit_) said += QStringLiteral(" Una línea no cabía en un bloque: va partida entre dos.");
    }
    if (text.isEmpty()) {
        emit status(QStringLiteral("No hay nada que copiar: el dibujo está vacío."));
        return;
    }
    QGuiApplication::clipboard()->setText(text);
    emit status(said);
}

bool ChatPanel::canSend() {
    if (target_ != chat::Target::Discord) return true;
    emit status(
        QStringLiteral("Discord no deja escribir el carácter de escape: usa Copiar en «Copy & Paste»."));
    return false;
}

bool ChatPanel::send(const Form1::TypistFactory& factory) {
    if (target_ == chat::Target::Own) return false;
    if (!canSend()) return true;
    const QStringList lines = *chat::typedLines(target_, form_.BackBox(), form_.palette());
    Result<std::unique_ptr<Typist>> typist = factory();
    if (!typist) {
        emit status(typist.why());
        return true;
    }
    typing_->start(std::move(*typist), chat::lineKeys(lines, key_));
    return true;
}

bool ChatPanel::cancelSend() {
    if (!typing_->isRunning()) return false;
    typing_->cancel();
    return true;
}

} // namespace torvo
