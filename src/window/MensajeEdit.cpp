#include "window/MensajeEdit.h"

#include "art/DocumentBridge.h"
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

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
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <unordered_map>

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

int utf16Length(char32_t ch) {
    return ch >= 0x10000 ? 2 : 1;
}

// UTF-16 units of the art's positions [from, to) in a document: a line break is one.
int documentLength(const RichText& art, int from, int to) {
    int n = 0;
    for (int p = from; p < to; ++p)
        n += art.charAt(p) == RichText::LF ? 0 : utf16Length(art.charAt(p));
    return n;
}

// The art's position `units` UTF-16 units of a document after `from`, never inside a line
// break or a surrogate pair.
int advance(const RichText& art, int from, int units) {
    int p = from;
    while (units > 0 && p < art.size()) {
        const char32_t ch = art.charAt(p);
        const int n = ch == RichText::CR ? 1 : utf16Length(ch);
        if (n > units) break;
        units -= n;
        p += ch == RichText::CR ? 2 : 1;
    }
    return p;
}

// The text of lines as a document holds them: characters of the lines' own, joined by
// line breaks, without the last one's.
QStringList documentLines(const RichText& lines) {
    QStringList out;
    QString line;
    for (const RichText::Position& p : lines.positions()) {
        if (p.ch == RichText::LF) {
            out << line;
            line.clear();
        } else if (p.ch != RichText::CR) {
            appendCodePoint(line, p.ch);
        }
    }
    return out;
}

// The colours the document's own formats give [from, from + length), where it has any
// (text put there by means other than the view's: another program's rich text).
std::vector<std::optional<Colour>> documentColours(const QTextDocument& document, int from, int length) {
    std::vector<std::optional<Colour>> colours(static_cast<std::size_t>(length));
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < from + length;
         block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QBrush brush = f.charFormat().foreground();
            if (brush.style() == Qt::NoBrush) continue;
            const int a = std::max(from, f.position()),
                      b = std::min(from + length, f.position() + f.length());
            for (int i = a; i < b; ++i)
                colours[std::size_t(i - from)] = Colour::fromQColor(brush.color());
        }
    return colours;
}

} // namespace

MensajeEdit::MensajeEdit(ArtModel& model, QWidget* parent) : QPlainTextEdit(parent), model_(model) {
    document()->setUndoRedoEnabled(false);
    document()->setDefaultFont(artFont());
    // A tab takes one column, as it takes one cell in the grid; lines run left to right, as
    // the grid's rows do, whatever script they start with.
    QTextOption option = document()->defaultTextOption();
    option.setTabStopDistance(QFontMetricsF(artFont()).horizontalAdvance(QLatin1Char(' ')));
    option.setTextDirection(Qt::LeftToRight);
    document()->setDefaultTextOption(option);
    connect(document(), &QTextDocument::contentsChange, this, &MensajeEdit::documentChanged);
    connect(&model_, &ArtModel::changed, this, &MensajeEdit::modelChanged);
    // A colour chosen for the next characters holds until the caret goes elsewhere.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!inKeyPress_ && !writing_) pending_.reset();
    });
}

QFont MensajeEdit::artFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPointSizeF(8);
    return font;
}

// ---- What the user does in the view ----

void MensajeEdit::documentChanged(int position, int /*removed*/, int added) {
    // What was removed is known from the lines the model holds.
    if (writing_) return;
    const QTextDocument& doc = *document();
    const RichText& art = model_.art();
    const int blocks = doc.blockCount();
    const int oldBlocks = model_.viewLines();
    const int last = doc.characterCount() - 1;
    QTextBlock firstBlock = doc.findBlock(std::clamp(position, 0, last));
    QTextBlock lastBlock = doc.findBlock(std::clamp(position + added, 0, last));
    int lastOld = lastBlock.blockNumber() - (blocks - oldBlocks);
    if (lastOld < firstBlock.blockNumber() || lastOld >= oldBlocks) {
        // A report that does not fit what the model holds: the whole text is compared.
        firstBlock = doc.firstBlock();
        lastBlock = doc.lastBlock();
        lastOld = oldBlocks - 1;
        position = 0;
        added = last;
    }
    const int first = firstBlock.blockNumber();
    const int lastNew = lastBlock.blockNumber();

    // The lines as they were, whole: art positions [from, to); their characters up to `end`.
    const int lines = art.lineCount();
    const int from = art.lineStart(first);
    const int to = lastOld + 1 < lines ? art.lineStart(lastOld + 1) : art.size();
    const int end = lastOld + 1 < lines ? to - 2 : to;
    // The lines as they are now.
    QString text;
    for (QTextBlock b = firstBlock;; b = b.next()) {
        text += b.text();
        if (b == lastBlock) break;
        text += u'\n';
    }
    const int oldLength = documentLength(art, from, end);
    // What stayed before and after the edit, as far as the report and the text agree.
    int head = 0;
    const int headMax = std::min(position - firstBlock.position(), oldLength);
    for (int p = from; head < headMax && p < end;) {
        const char32_t ch = art.charAt(p);
        const int n = ch == RichText::CR ? 1 : utf16Length(ch);
        if (head + n > headMax) break;
        QString unit;
        if (ch == RichText::CR)
            unit = QStringLiteral("\n");
        else
            appendCodePoint(unit, ch);
        if (text.mid(head, n) != unit) break;
        head += n;
        p += ch == RichText::CR ? 2 : 1;
    }
    const int keep = advance(art, from, head);
    int tail = 0;
    int resume = end;
    const int tailMax =
        std::min(int(text.size()) - (position - firstBlock.position() + added), oldLength - head);
    for (int& p = resume; tail < tailMax && p > keep;) {
        const bool lineBreak = art.charAt(p - 1) == RichText::LF;
        const char32_t ch = lineBreak ? U'\n' : art.charAt(p - 1);
        const int n = utf16Length(ch);
        if (tail + n > tailMax) break;
        QString unit;
        appendCodePoint(unit, ch);
        if (text.mid(text.size() - tail - n, n) != unit) break;
        tail += n;
        p -= lineBreak ? 2 : 1;
    }

    // The new characters: in the colour typing gives them, or that of what was pasted, or
    // their own where another program put them there with one.
    const QStringView middle = QStringView(text).mid(head, text.size() - head - tail);
    const Colour typed = insertColour(keep);
    std::vector<std::optional<Colour>> own;
    if (!inKeyPress_ && !pasting_)
        own = documentColours(doc, firstBlock.position() + head, int(middle.size()));
    RichText after(art.typingColour());
    after.reserve(std::size_t(keep - from + middle.size() + to - resume) + 2);
    after.replace(0, 0, art.mid(from, keep - from));
    int pasted = 0;
    for (qsizetype i = 0; i < middle.size();) {
        const CodePoint cp = codePointAt(middle, i);
        if (cp.ch == u'\n') {
            after.appendLineBreak();
        } else {
            Colour c = typed;
            if (pasting_) {
                while (pasted < pasting_->size() && pasting_->isLineBreak(pasted))
                    ++pasted;
                if (pasted < pasting_->size()) c = pasting_->colourAt(pasted++);
            } else if (std::size_t(i) < own.size() && own[std::size_t(i)]) {
                c = *own[std::size_t(i)];
            }
            after.appendCharacter(cp.ch, c);
        }
        i += cp.units;
    }
    after.replace(after.size(), 0, art.mid(resume, end - resume));
    // A line is ended where a line follows it in the view, or where it has characters.
    if (lastNew + 1 < blocks || lastBlock.length() > 1) after.appendLineBreak();

    ArtChange change;
    change.lines.push_back({first, art.mid(from, to - from), std::move(after)});
    const QTextBlock end2 = doc.lastBlock();
    change.trailingLine = blocks >= 2 && end2.length() == 1 && end2.previous().length() > 1;
    change.source = source_;
    following_ = true;
    model_.apply(std::move(change));
    following_ = false;
    // The lines the edit went through, also where their characters stayed as they were: a
    // line break typed over one makes the next line a new block, without colours.
    colourLines(first, lastNew - first + 1);
}

Colour MensajeEdit::insertColour(int p) const {
    if (pending_) return *pending_;
    const RichText& art = model_.art();
    const bool lineStart = p == 0 || art.charAt(p - 1) == RichText::LF;
    if (lineStart && p < art.size() && !art.isLineBreak(p)) return art.colourAt(p);
    return p > 0 ? art.colourAt(p - 1) : art.typingColour();
}

Colour MensajeEdit::textColour() const {
    return insertColour(artPosition(textCursor().position()));
}

void MensajeEdit::colourSelection(Colour c) {
    const QTextCursor caret = textCursor();
    if (!caret.hasSelection()) {
        pending_ = c;
        ArtChange change;
        change.typing = c;
        model_.apply(change);
        return;
    }
    const RichText& art = model_.art();
    const int a = artPosition(caret.selectionStart());
    const int b = artPosition(caret.selectionEnd());
    const int first = art.lineOf(a);
    const int lastLine = std::min(art.lineOf(std::max(a, b - 1)) + 1, art.lineCount() - 1);
    const int from = art.lineStart(first);
    const int to = lastLine < art.lineCount() ? art.lineStart(lastLine) : art.size();
    if (to <= from) return;
    RichText after = art.mid(from, to - from);
    for (int p = a; p < b; ++p)
        if (!art.isLineBreak(p)) after.setColour(p - from, c);
    ArtChange change;
    change.lines.push_back({first, art.mid(from, to - from), std::move(after)});
    change.source = ArtChange::Source::User;
    model_.apply(std::move(change));
}

// ---- What the model does ----

void MensajeEdit::modelChanged(const ArtChange& change) {
    // The view made the change: its characters are in the document already, and it colours
    // the lines it went through itself.
    if (following_) return;
    // The lines each change left, counted in the art as it is now.
    std::vector<std::pair<int, int>> touched;
    for (const LineChange& c : change.lines) {
        const int removed = linesIn(c.before), added = linesIn(c.after);
        for (auto& [a, b] : touched)
            if (a >= c.first + removed) a += added - removed, b += added - removed;
        // The line after a change at the top may have moved into a block of its own.
        touched.emplace_back(c.first, c.first + added + (c.first == 0 ? 1 : 0));
    }
    writing_ = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const LineChange& c : change.lines)
        write(c);
    fitEnd();
    cursor.endEditBlock();
    for (const auto& [a, b] : touched)
        colourLines(a, b - a);
    writing_ = false;
}

void MensajeEdit::write(const LineChange& change) {
    const QStringList before = documentLines(change.before);
    const QStringList after = documentLines(change.after);
    if (before.size() != after.size()) {
        replaceBlocks(change.first, int(before.size()), after);
        return;
    }
    // As many lines: only those whose characters differ are written, each within its block.
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (before[i] == after[i]) continue;
        const QTextBlock block = document()->findBlockByNumber(change.first + int(i));
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(after[i], QTextCharFormat());
    }
}

void MensajeEdit::replaceBlocks(int first, int count, const QStringList& lines) {
    // The edit keeps to the lines it replaces: the line after them stays the block it was,
    // with the colours laid on it (a block Qt splits or joins loses them).
    QTextDocument* doc = document();
    const int blocks = doc->blockCount();
    auto textEnd = [doc](int block) {
        const QTextBlock b = doc->findBlockByNumber(block);
        return b.position() + b.length() - 1;
    };
    QString text = lines.join(u'\n');
    int from = 0, to = 0;
    if (first >= blocks) {
        // After the last line, which has no line break in the document.
        from = to = textEnd(blocks - 1);
        text.prepend(u'\n');
    } else if (count > 0 && !lines.isEmpty()) {
        from = doc->findBlockByNumber(first).position();
        to = textEnd(first + count - 1);
    } else if (first > 0) {
        // Lines taken away, or put in, after the line before.
        from = textEnd(first - 1);
        to = count > 0 ? textEnd(first + count - 1) : from;
        if (!lines.isEmpty()) text.prepend(u'\n');
    } else {
        // At the top: the first line that stays moves into a block of its own.
        to = count > 0 ? doc->findBlockByNumber(std::min(count, blocks - 1)).position() : 0;
        if (count > 0 && count >= blocks) to = textEnd(blocks - 1);
        if (!lines.isEmpty() && count < blocks) text += u'\n';
    }
    QTextCursor cursor(doc);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(text, QTextCharFormat());
}

void MensajeEdit::fitEnd() {
    QTextDocument* doc = document();
    const int lines = model_.viewLines();
    QTextCursor cursor(doc);
    if (doc->blockCount() > lines && doc->lastBlock().length() == 1) {
        cursor.setPosition(doc->characterCount() - 1);
        cursor.deletePreviousChar();
    } else if (doc->blockCount() < lines) {
        cursor.setPosition(doc->characterCount() - 1);
        cursor.insertText(QStringLiteral("\n"), QTextCharFormat());
    }
}

void MensajeEdit::colourLines(int first, int count) {
    const RichText& art = model_.art();
    QTextDocument* doc = document();
    count = std::min(count, std::min(art.lineCount(), doc->blockCount()) - first);
    if (count <= 0) return;
    // One format a colour, shared by every run of it.
    static std::unordered_map<std::uint32_t, QTextCharFormat> formats;
    QTextBlock block = doc->findBlockByNumber(first);
    const int from = block.position();
    int to = from;
    for (int line = first; line < first + count && block.isValid(); ++line, block = block.next()) {
        QList<QTextLayout::FormatRange> ranges;
        int offset = 0;
        const int end = line + 1 < art.lineCount() ? art.lineStart(line + 1) : art.size();
        for (int p = art.lineStart(line); p < end && !art.isLineBreak(p); ++p) {
            const Colour c = art.colourAt(p);
            const int n = utf16Length(art.charAt(p));
            if (!ranges.isEmpty() && Colour::fromQColor(ranges.back().format.foreground().color()) == c) {
                ranges.back().length += n;
            } else {
                auto [it, added] = formats.try_emplace(c.value());
                if (added) it->second.setForeground(c.toQColor());
                ranges.append({offset, n, it->second});
            }
            offset += n;
        }
        block.layout()->setFormats(ranges);
        to = block.position() + block.length();
    }
    // The lines are laid out again with their colours when shown.
    doc->markContentsDirty(from, to - from);
}

// ---- Positions ----

int MensajeEdit::artPosition(int documentPosition) const {
    const QTextBlock block = document()->findBlock(documentPosition);
    const RichText& art = model_.art();
    const int line = std::min(block.blockNumber(), art.lineCount() - 1);
    return advance(art, art.lineStart(line), documentPosition - block.position());
}

int MensajeEdit::documentPosition(int artPosition) const {
    const RichText& art = model_.art();
    const int line = art.lineOf(artPosition);
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.position() + documentLength(art, art.lineStart(line), artPosition);
}

void MensajeEdit::caretToEnd() {
    // Where the caret is at the end already, moving it would only work out its place on
    // the line again; a key being handled brings it into view itself afterwards.
    const QTextCursor caret = textCursor();
    if (caret.hasSelection() || !caret.atEnd()) {
        moveCursor(QTextCursor::End);
        pending_.reset();
    } else if (!inKeyPress_) {
        ensureCursorVisible();
    }
}

void MensajeEdit::setHistoryActions(QAction* undo, QAction* redo) {
    undo_ = undo;
    redo_ = redo;
}

// ---- Keys, menus and the clipboard ----

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
    const bool typing = isTypingKey(event);
    const auto was = std::exchange(source_, typing ? ArtChange::Source::Typing : ArtChange::Source::User);
    const bool nested = std::exchange(inKeyPress_, typing);
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
    // Copied art keeps its colours for programs that take rich text: the model's characters
    // and colours, as RTF and as HTML.
    auto* mime = new QMimeData;
    const QTextCursor caret = textCursor();
    mime->setText(caret.selection().toPlainText());
    const int a = artPosition(caret.selectionStart());
    const RichText piece = model_.art().mid(a, artPosition(caret.selectionEnd()) - a);
    QTextDocument document;
    document.setDefaultFont(artFont());
    QTextCharFormat base;
    base.setFont(artFont(), QTextCharFormat::FontPropertiesAll);
    loadDocument(document, piece, base);
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    mime->setHtml(QTextDocumentFragment(all).toHtml());
    mime->setData(RtfTypes.front(), writeRtf(piece));
    return mime;
}

bool MensajeEdit::canInsertFromMimeData(const QMimeData* source) const {
    return !rtfType(source).isEmpty() || source->hasUrls() || QPlainTextEdit::canInsertFromMimeData(source);
}

void MensajeEdit::insertFromMimeData(const QMimeData* source) {
    if (source->hasUrls() && !source->urls().isEmpty() && source->urls().front().isLocalFile()) {
        emit fileDropped(source->urls().front().toLocalFile());
        return;
    }
    RichText pasted(model_.typingColour());
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
    // The characters go into the document as typed ones do, in their own colours.
    QString text;
    for (const RichText::Position& p : pasted.positions())
        if (p.ch == RichText::LF)
            text += u'\n';
        else if (p.ch != RichText::CR)
            appendCodePoint(text, documentCharacter(p.ch));
    const auto was = std::exchange(source_, ArtChange::Source::User);
    pasting_ = &pasted;
    QTextCursor cursor = textCursor();
    cursor.insertText(text, QTextCharFormat());
    pasting_ = nullptr;
    source_ = was;
    setTextCursor(cursor);
}

} // namespace torvo
