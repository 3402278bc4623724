#include "window/MensajeEdit.h"

#include "art/DocumentBridge.h"
#include "files/RtfReader.h"
#include "window/ArtLayout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>
#include <memory>

namespace torvo {
namespace {

const QStringList RtfTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

QString rtfType(const QMimeData* source) {
    for (const QString& type : RtfTypes)
        if (source->hasFormat(type)) return type;
    return {};
}

// Undo and redo belong to the window's history, not to the view's own.
bool isHistoryKey(const QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_Z &&
            (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier))) ||
           (event->key() == Qt::Key_Y && mods == Qt::ControlModifier);
}

// Keys that type or delete characters, as opposed to commands such as paste or cut.
bool isTypingKey(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return !event->text().isEmpty() && event->text().front().isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    }
}

// Replacing more than this many positions builds a new document off the view instead.
constexpr qsizetype BulkPositions = 50000;

} // namespace

MensajeEdit::MensajeEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setDocument(newDocument());
    watch(document());
    mirror_.reset(*document());
    connect(this, &QPlainTextEdit::textChanged, this, &MensajeEdit::settle);
}

void MensajeEdit::setLineOptions(QTextDocument* document) {
    // A tab takes one column, as it takes one cell in the grid.
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(QFontMetricsF(artFont()).horizontalAdvance(QLatin1Char(' ')));
    // Lines run left to right, as the grid's rows do, whatever script they start with; nor
    // does Qt then read a whole line for its direction each time it places the caret.
    option.setTextDirection(Qt::LeftToRight);
    document->setDefaultTextOption(option);
}

void MensajeEdit::watch(QTextDocument* document) {
    connect(document, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        if (quiet_ == 0) noteChange(position, removed, added);
    });
}

void MensajeEdit::noteChange(int position, int removed, int added) {
    if (!pending_) {
        pending_ = true;
        pendingFrom_ = position;
        pendingTo_ = position + added;
        return;
    }
    // Several edits before the view settles: a range that holds them all.
    if (position <= pendingTo_) pendingTo_ = std::max(pendingTo_ + added - removed, position + added);
    pendingFrom_ = std::min(pendingFrom_, position);
    pendingTo_ = std::max(pendingTo_, position + added);
}

void MensajeEdit::settle() {
    if (!pending_) return;
    pending_ = false;
    const ArtChange change = mirror_.follow(*document(), pendingFrom_, pendingTo_ - pendingFrom_);
    normalise(pendingFrom_, pendingTo_);
    shapeFor(change.hunks);
    report(change);
}

void MensajeEdit::report(const ArtChange& change) {
    if (!change.touchesLines()) return;
    for (const LineSpan& span : change.lines)
        changed_.add(span);
    emit artChanged(change, source_);
}

LineEdits MensajeEdit::takeChangedLines() {
    return std::exchange(changed_, LineEdits());
}

void MensajeEdit::normalise(int from, int to) {
    // New text takes the view's font; characters without a colour of their own show
    // the typing colour, which is what the art gives them.
    const int end = document()->characterCount() - 1;
    from = std::clamp(from, 0, end);
    to = std::clamp(to, from, end);
    if (from == to) return;
    // Typed text has both already: then nothing changes, and the view need not lay the
    // line out a second time.
    const QStringList families = artFont().families();
    const QFont::StyleStrategy shaping = strategy();
    auto inFont = [&families, shaping](const QTextCharFormat& f) {
        return f.fontFamilies().toStringList() == families && f.fontPointSize() == 8 && !f.fontUnderline() &&
               !f.fontStrikeOut() && f.fontStyleStrategy() == shaping;
    };
    bool fontDone = true;
    bool coloured = true;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        if (block.position() > from) fontDone = fontDone && inFont(block.charFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= to || fragment.position() + fragment.length() <= from) continue;
            fontDone = fontDone && inFont(fragment.charFormat());
            coloured = coloured && fragment.charFormat().foreground().style() != Qt::NoBrush;
        }
    }
    if (fontDone && coloured) return;
    ++quiet_;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat font;
    font.setFontFamilies(families);
    font.setFontPointSize(8);
    font.setFontUnderline(false);
    font.setFontStrikeOut(false);
    font.setFontStyleStrategy(strategy());
    cursor.mergeCharFormat(font);
    QTextCharFormat colour;
    colour.setForeground(typingColour().toQColor());
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().foreground().style() != Qt::NoBrush) continue;
            const int a = std::max(from, fragment.position());
            const int b = std::min(to, fragment.position() + fragment.length());
            if (a >= b) continue;
            cursor.setPosition(a);
            cursor.setPosition(b, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(colour);
        }
    }
    cursor.endEditBlock();
    --quiet_;
}

void MensajeEdit::setTypingColour(Colour c) {
    if (c == typingColour()) return;
    const Source was = std::exchange(source_, Source::System);
    report(mirror_.setTypingColour(c));
    source_ = was;
}

void MensajeEdit::setTextColour(Colour c) {
    QTextCharFormat format;
    format.setForeground(c.toQColor());
    mergeCurrentCharFormat(format);
}

void MensajeEdit::colourSelection(Colour c) {
    setTextColour(c);
    if (!textCursor().hasSelection()) setTypingColour(c);
}

Colour MensajeEdit::textColour() const {
    const QBrush brush = currentCharFormat().foreground();
    return brush.style() == Qt::NoBrush ? typingColour() : Colour::fromQColor(brush.color());
}

ArtChange MensajeEdit::replaceArt(const RichText& text) {
    // The art of a view always ends its last line.
    RichText target = text;
    if (!target.isEmpty() && !target.endsWithLineBreak()) target.appendLineBreak();
    return patchArt(diffArt(art(), target));
}

ArtChange MensajeEdit::patchArt(std::vector<ArtHunk> hunks) {
    ArtChange change;
    if (hunks.empty()) return change;
    const Source was = std::exchange(source_, Source::System);
    change.lines = write(hunks, false);
    source_ = was;
    change.hunks = std::move(hunks);
    return change;
}

void MensajeEdit::applyHunks(const std::vector<ArtHunk>& hunks, bool undo) {
    const Source was = std::exchange(source_, Source::History);
    write(hunks, undo);
    source_ = was;
}

std::vector<LineSpan> MensajeEdit::write(const std::vector<ArtHunk>& hunks, bool undo) {
    ArtChange change;
    change.hunks = undo ? invertHunks(hunks) : hunks;
    if (hunkPositions(hunks) > BulkPositions && hunkPositions(hunks) > art().size() / 2) {
        RichText target = art();
        torvo::applyHunks(target, change.hunks, false);
        change.lines = swapDocument(target);
    } else {
        settle();
        // The mirror follows its own edits; the document's report of them is left aside.
        ++quiet_;
        change.lines = mirror_.write(*document(), hunks, undo, format());
        --quiet_;
        shapeFor(change.hunks);
    }
    report(change);
    return change.lines;
}

void MensajeEdit::endWithEmptyLine() {
    if (document()->lastBlock().length() <= 1) return;
    // Placed by position, the cursor needs no layout of the line it leaves.
    QTextCursor cursor(document());
    cursor.setPosition(document()->characterCount() - 1);
    cursor.insertBlock();
}

void MensajeEdit::caretToEnd() {
    // Where the caret is at the end already, moving it would only work out its place on
    // the line again; a key being handled brings it into view itself afterwards.
    const QTextCursor caret = textCursor();
    if (caret.hasSelection() || !caret.atEnd()) {
        // Scrolled to the end first, without painting: Qt measures a scroll and the caret's
        // place from the top line shown, laying out every line on the way (two screens of
        // lines from the top for a jump to the end). From the end only the last lines are.
        scrollQuietly(verticalScrollBar()->maximum());
        QTextCursor end(document());
        end.setPosition(document()->characterCount() - 1);
        setTextCursor(end);
    } else if (!inKeyPress_) {
        ensureCursorVisible();
    }
}

void MensajeEdit::scrollQuietly(int line) {
    viewport()->setUpdatesEnabled(false);
    verticalScrollBar()->setValue(line);
    viewport()->setUpdatesEnabled(true);
}

QTextDocument* MensajeEdit::newDocument() {
    auto* fresh = new QTextDocument(this);
    fresh->setDocumentLayout(new ArtLayout(fresh));
    fresh->setDefaultFont(document()->defaultFont());
    fresh->setUndoRedoEnabled(false);
    setLineOptions(fresh);
    return fresh;
}

std::vector<LineSpan> MensajeEdit::swapDocument(const RichText& target) {
    // A document filled while no view lays it out is several times faster to build.
    QTextDocument* fresh = newDocument();
    shaped_ = needsShaping(target);
    loadDocument(*fresh, target, format());
    QTextDocument* old = document();
    disconnect(old, nullptr, this, nullptr);
    // The view deletes the document it made itself; the ones made here are ours.
    const bool ours = old->parent() == this;
    // The new document's caret starts at the top: so does the view, or Qt would measure the
    // caret's place from the old top line, laying out a screen of lines on the way.
    scrollQuietly(0);
    setDocument(fresh);
    watch(fresh);
    if (ours) old->deleteLater();
    pending_ = false;
    return mirror_.reset(*fresh, target);
}

void MensajeEdit::setHistoryActions(QAction* undo, QAction* redo) {
    undo_ = undo;
    redo_ = redo;
}

bool MensajeEdit::event(QEvent* event) {
    // Leave undo and redo to the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && isHistoryKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void MensajeEdit::keyPressEvent(QKeyEvent* event) {
    if (isHistoryKey(event)) {
        // Reached only when no shortcut took the key first.
        QAction* action =
            event->key() == Qt::Key_Z && !(event->modifiers() & Qt::ShiftModifier) ? undo_ : redo_;
        if (action && action->isEnabled()) action->trigger();
        return;
    }
    // Shift+Return would put a line separator inside a line; the art knows only lines.
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        QKeyEvent plain(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        keyPressEvent(&plain);
        return;
    }
    const Source was = std::exchange(source_, isTypingKey(event) ? Source::Typing : Source::User);
    const bool nested = std::exchange(inKeyPress_, true);
    QPlainTextEdit::keyPressEvent(event);
    inKeyPress_ = nested;
    source_ = was;
}

void MensajeEdit::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction* action : menu->actions()) {
        QAction* ours = action->objectName() == QLatin1String("edit-undo")   ? undo_
                        : action->objectName() == QLatin1String("edit-redo") ? redo_
                                                                             : nullptr;
        if (!ours) continue;
        menu->insertAction(action, ours);
        menu->removeAction(action);
    }
    menu->exec(event->globalPos());
}

QMimeData* MensajeEdit::createMimeDataFromSelection() const {
    // Copied art keeps its colours for programs that take rich text.
    QMimeData* mime = QPlainTextEdit::createMimeDataFromSelection();
    const QTextDocumentFragment fragment(textCursor());
    mime->setHtml(fragment.toHtml());
    return mime;
}

QFont MensajeEdit::artFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPointSizeF(8);
    return font;
}

QTextCharFormat MensajeEdit::artFormat() {
    QTextCharFormat format;
    format.setFont(artFont(), QTextCharFormat::FontPropertiesAll);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    // Qt shapes a line run by run, so a line of many colour runs lays out faster unshaped;
    // characters that need no shaping look the same without it (see needsShaping).
    format.setFontStyleStrategy(QFont::PreferNoShaping);
    return format;
}

QFont::StyleStrategy MensajeEdit::strategy() const {
    return shaped_ ? QFont::PreferDefault : QFont::PreferNoShaping;
}

QTextCharFormat MensajeEdit::format() const {
    QTextCharFormat format = artFormat();
    format.setFontStyleStrategy(strategy());
    return format;
}

void MensajeEdit::shapeFor(const std::vector<ArtHunk>& hunks) {
    // The first character that needs shaping has the whole art shaped from then on. A new
    // document decides for itself when it is built (swapDocument).
    if (!shaped_ &&
        std::any_of(hunks.begin(), hunks.end(), [](const ArtHunk& h) { return needsShaping(h.inserted); }))
        shapeAll();
}

void MensajeEdit::shapeAll() {
    shaped_ = true;
    QTextCharFormat shaping;
    shaping.setFontStyleStrategy(strategy());
    ++quiet_;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(shaping);
    --quiet_;
}

bool MensajeEdit::canInsertFromMimeData(const QMimeData* source) const {
    return !rtfType(source).isEmpty() || source->hasUrls() || QPlainTextEdit::canInsertFromMimeData(source);
}

void MensajeEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasUrls() && !source->urls().isEmpty() && source->urls().front().isLocalFile()) {
        emit fileDropped(source->urls().front().toLocalFile());
        return;
    }
    RichText pasted(typingColour());
    const QString rtf = rtfType(source);
    bool have = false;
    if (!rtf.isEmpty()) {
        if (Result<RichText> read = readRtf(source->data(rtf))) {
            pasted = std::move(*read);
            have = true;
        } else {
            emit pasteProblem(
                QStringLiteral("No se pudo leer el texto con formato pegado: %1").arg(read.why()));
        }
    }
    if (!have && source->hasHtml()) {
        QTextDocument document;
        document.setHtml(source->html());
        pasted = snapshotDocument(document, textColour(), false);
        have = true;
    }
    if (!have && source->hasText()) {
        pasted.appendText(source->text(), textColour());
        have = true;
    }
    if (!have) return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    insertRichText(cursor, pasted, format());
    cursor.endEditBlock();
    setTextCursor(cursor);
}

} // namespace torvo
