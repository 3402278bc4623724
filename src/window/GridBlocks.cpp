#include "window/GridBlocks.h"

#include "art/ArtClipboard.h"
#include "convert/TextGrid.h"
#include "window/GridEditor.h"
#include "window/MensajeEdit.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace torvo {

GridBlocks::GridBlocks(GridView& view, GridEditor& editor, QMenuBar* menus, QMenu* before,
                       std::function<Colour()> colour, qint64 maxPositions)
    : QObject(&view), view_(view), editor_(editor), colour_(std::move(colour)), maxPositions_(maxPositions) {
    view_.setBlockFrame(true);
    connect(&view_, &GridView::blockKey, this, &GridBlocks::onKey);
    connect(&view_, &GridView::moveKey, this, &GridBlocks::move);
    menu_ = new QMenu(QStringLiteral("&Bloque"), menus);
    menu_->setObjectName(QStringLiteral("mnuBloque"));
    menus->insertMenu(before->menuAction(), menu_);
    const std::pair<const char*, Flip> flips[] = {{"mnuVoltearH", Flip::Horizontal},
                                                  {"mnuVoltearV", Flip::Vertical}};
    for (const auto& [name, how] : flips) {
        const bool h = how == Flip::Horizontal;
        QAction* a =
            menu_->addAction(h ? QStringLiteral("Voltear horizontal") : QStringLiteral("Voltear vertical"));
        a->setObjectName(QLatin1String(name));
        a->setShortcut(QKeySequence(Qt::ALT | (h ? Qt::Key_H : Qt::Key_V)));
        const Flip f = how;
        connect(a, &QAction::triggered, this, [this, f] { flip(f); });
    }
    // The flips work on the grid only.
    menu_->setEnabled(false);
    for (QAction* a : menu_->actions())
        a->setEnabled(false);
    view_.installEventFilter(this);
}

bool GridBlocks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        const bool shown = event->type() == QEvent::Show;
        menu_->setEnabled(shown);
        for (QAction* a : menu_->actions())
            a->setEnabled(shown);
    }
    return QObject::eventFilter(watched, event);
}

std::optional<Block> GridBlocks::block() const {
    if (view_.Row() < 0 || view_.RowSel() < 0) return std::nullopt;
    return Block::between(view_.Row(), view_.Col(), view_.RowSel(), view_.ColSel());
}

void GridBlocks::select(const Block& b) {
    view_.setCurrentCell(b.top, b.left);
    view_.setSelectionCorner(b.bottom, b.right);
}

void GridBlocks::onKey(GridView::BlockKey key) {
    switch (key) {
    case GridView::BlockKey::Copy:
        return copy();
    case GridView::BlockKey::Cut:
        return cut();
    case GridView::BlockKey::Paste:
        return paste();
    case GridView::BlockKey::Empty:
        return empty();
    }
}

void GridBlocks::copy() {
    const auto b = block();
    if (!b) return;
    const CharGrid cells = copyBlock(editor_.grid(), *b);
    // The rich and plain text are the block's rows as the text view would hold them.
    RichText text = *RestaurarMensaje(cells, colour_());
    QString plain;
    for (const RichText::Position& p : text.positions())
        if (p.ch == RichText::LF)
            plain += u'\n';
        else if (p.ch != RichText::CR)
            appendCodePoint(plain, p.ch);
    std::unique_ptr<QMimeData> mime = artMimeData(text, plain, MensajeEdit::artFont());
    mime->setData(QLatin1String(CellsMimeType), cellsData(cells));
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

void GridBlocks::cut() {
    copy();
    empty();
}

void GridBlocks::empty() {
    const auto b = block();
    if (!b) return;
    CharGrid after = editor_.grid();
    emptyBlock(after, *b);
    editor_.change(std::move(after));
}

void GridBlocks::paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || view_.Row() < 0) return;
    std::optional<CharGrid> piece;
    if (mime->hasFormat(QLatin1String(CellsMimeType)))
        if (Result<CharGrid> cells = readCells(mime->data(QLatin1String(CellsMimeType)), maxPositions_))
            piece = std::move(*cells);
    if (!piece) {
        PastedArt read = readPastedArt(*mime, colour_());
        if (!read.problem.isEmpty()) emit status(read.problem);
        if (!read.art || read.art->isEmpty()) return;
        if (!read.art->endsWithLineBreak()) read.art->appendLineBreak();
        if (read.art->size() > maxPositions_) {
            emit status(QStringLiteral("No se pegó: el texto pasa del tamaño máximo que se abre."));
            return;
        }
        piece = RestaurarGrid(*read.art);
    }
    const int r = view_.Row(), c = view_.Col();
    CharGrid after = editor_.grid();
    const Result<void> pasted = pasteBlock(after, *piece, r, c, maxPositions_);
    if (!pasted) {
        emit status(pasted.why());
        return;
    }
    editor_.change(std::move(after));
    select({r, c, r + piece->rows() - 1, c + piece->cols() - 1});
}

void GridBlocks::move(int dr, int dc) {
    const auto b = block();
    if (!b) return;
    CharGrid after = editor_.grid();
    if (!moveBlock(after, *b, dr, dc)) return;
    editor_.change(std::move(after));
    select({b->top + dr, b->left + dc, b->bottom + dr, b->right + dc});
}

void GridBlocks::flip(Flip how) {
    const auto b = block();
    if (!b || !view_.isVisible()) return;
    CharGrid after = editor_.grid();
    flipBlock(after, *b, how);
    editor_.change(std::move(after));
}

void GridBlocks::colour(Colour c) {
    const auto b = block();
    if (!b) return;
    CharGrid after = editor_.grid();
    colourBlock(after, *b, c);
    editor_.change(std::move(after));
}

} // namespace torvo
