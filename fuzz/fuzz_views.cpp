// The text view against the model it draws: an art and a script of what the user and the
// window do (keys typed at a place, Enter, Backspace and Delete over a selection, pastes of
// plain, rich and HTML text, cuts, colourings, the window's own writes of other lines, undo
// and redo); after every step the document holds the model's characters, each drawn in the
// model's colour.
#include "art/ArtModel.h"
#include "art/LineChange.h"
#include "files/RtfWriter.h"
#include "history/ArtStep.h"
#include "palette/Palette.h"
#include "window/MensajeEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <cstdint>
#include <cstdlib>

using namespace torvo;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

const Palette P;

Colour colourOf(int b) {
    // Mostly palette colours, sometimes any colour.
    return b & 0x80 ? Colour(uint32_t(b) * 0x10101u) : P[b & 15];
}

char32_t characterOf(int b, int c) {
    switch (b % 8) {
    case 0:
        return U' ';
    case 1:
        return 0x1F600;
    case 2: // halves of surrogate pairs and characters a document takes for structure
        return char32_t(0xD800 + (c % 2) * 0x400);
    case 3:
        return c % 2 ? 0xFDD0 : 0xFFFC;
    default:
        return char32_t(0x21 + c % 94);
    }
}

RichText linesOf(Bytes& in, int lines) {
    RichText t;
    for (int l = 0; l < lines; ++l) {
        for (int n = in.next() % 8; n > 0; --n) {
            const int b = in.next();
            t.append(characterOf(b, in.next()), colourOf(in.next()));
        }
        t.appendLineBreak();
    }
    return t;
}

// What the view shows: its characters, each in the colour laid on it, lines ended by CR LF.
void checkDrawn(const QTextDocument& doc, const ArtModel& model) {
    const RichText art = model.viewArt();
    int p = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin()) {
            check(p + 1 < art.size() && art.charAt(p) == RichText::CR);
            p += 2;
        }
        const QString text = b.text();
        const QList<QTextLayout::FormatRange> formats = b.layout()->formats();
        for (qsizetype i = 0; i < text.size();) {
            const CodePoint cp = codePointAt(text, i);
            check(p < art.size() && art.charAt(p) == cp.ch);
            bool drawn = false;
            for (const QTextLayout::FormatRange& r : formats)
                if (r.start <= i && i < r.start + r.length)
                    drawn = Colour::fromQColor(r.format.foreground().color()) == art.colourAt(p);
            check(drawn);
            i += cp.units;
            ++p;
        }
    }
    check(p == art.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the clipboard and the fonts outlive the last input.
    static QApplication* app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 3000) return 0;
    Bytes in{data, size};
    ArtModel model;
    MensajeEdit view(model);
    // The user's changes are steps, as the window records them.
    History history([&model](const History::Step& s, bool undo) {
        ArtChange change;
        const auto& lines = static_cast<const ArtStep&>(s).lines();
        change.lines = undo ? inverted(lines) : lines;
        change.source = ArtChange::Source::History;
        model.apply(change);
    });
    qint64 clock = 0;
    QObject::connect(&model, &ArtModel::changed, [&](const ArtChange& c) {
        if (c.source != ArtChange::Source::History && !c.lines.empty())
            history.record(std::make_shared<ArtStep>(
                c.lines, c.source == ArtChange::Source::Typing ? ArtStep::Kind::Typing : ArtStep::Kind::Edit,
                clock += 300));
    });
    ArtChange start;
    start.lines = diffLines(model.art(), linesOf(in, in.next() % 10));
    model.apply(start);
    checkDrawn(*view.document(), model);

    while (!in.done()) {
        const int op = in.next();
        // A selection as the user makes one: never between the halves of a surrogate pair.
        const QTextDocument& doc = *view.document();
        const int end = doc.characterCount() - 1;
        auto place = [&doc](int p) { return doc.characterAt(p).isLowSurrogate() ? p - 1 : p; };
        QTextCursor cursor(view.document());
        cursor.setPosition(place(std::min(end, in.next() * end / 255)));
        cursor.setPosition(place(std::min(end, cursor.position() + in.next() % 4)), QTextCursor::KeepAnchor);
        view.setTextCursor(cursor);
        switch (op % 10) {
        case 0: { // a typed key (a keyboard types no half of a surrogate pair)
            const int b = in.next();
            QString text;
            const char32_t ch = characterOf(b, in.next());
            appendCodePoint(text, ch >= 0xD800 && ch <= 0xDFFF ? U'!' : ch);
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
            QApplication::sendEvent(&view, &key);
            break;
        }
        case 1: {
            static constexpr Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete};
            QKeyEvent key(QEvent::KeyPress, keys[in.next() % 3], Qt::NoModifier,
                          op & 0x10 ? QStringLiteral("\r") : QString());
            QApplication::sendEvent(&view, &key);
            break;
        }
        case 2: { // a paste of plain, rich or HTML text
            auto* mime = new QMimeData;
            const RichText piece = linesOf(in, 1 + in.next() % 2);
            if (op & 0x10)
                mime->setData(QStringLiteral("text/rtf"), writeRtf(piece));
            else if (op & 0x20)
                mime->setHtml(QStringLiteral("<span style='color:#ff0000'>%1</span>")
                                  .arg(piece.plainText().toHtmlEscaped()));
            else
                mime->setText(piece.plainText());
            QApplication::clipboard()->setMimeData(mime);
            view.paste();
            break;
        }
        case 3:
            view.cut();
            break;
        case 4:
            view.colourSelection(colourOf(in.next()));
            break;
        case 5: { // the window writes lines of its own
            RichText next = model.art();
            const int lines = next.lineCount() - 1;
            const int from = lines > 0 ? in.next() % lines : 0;
            const int count = std::min(lines - from, in.next() % 3);
            const int to = from + count < next.lineCount() ? next.lineStart(from + count) : next.size();
            next.replace(next.lineStart(from), to - next.lineStart(from), linesOf(in, in.next() % 3));
            ArtChange change;
            change.lines = diffLines(model.art(), next);
            change.trailingLine = op & 0x10;
            model.apply(change);
            break;
        }
        case 6:
            history.stack()->undo();
            break;
        case 7:
            history.stack()->redo();
            break;
        default: { // the typing colour
            ArtChange change;
            change.typing = colourOf(in.next());
            model.apply(change);
        }
        }
        checkDrawn(*view.document(), model);
    }
    return 0;
}
