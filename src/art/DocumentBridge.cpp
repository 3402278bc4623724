#include "art/DocumentBridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace torvo {
namespace {

constexpr char16_t LineSeparator = 0x2028;
constexpr char16_t ObjectReplacement = 0xFFFC;

// The markers Qt uses in a document's text for frames and tables.
bool isFrameMarker(char32_t c) {
    return c >= 0xFDD0 && c <= 0xFDEF;
}

// Characters a text document would read as structure rather than text.
bool isStructural(char32_t c) {
    return c == ObjectReplacement || isFrameMarker(c);
}

} // namespace

bool appendBlock(RichText& text, const QTextBlock& block, Colour typing) {
    bool hasChars = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat format = fragment.charFormat();
        // Images and other objects are not characters of the art.
        const bool object = format.objectType() != QTextFormat::NoObject;
        const Colour colour = format.foreground().style() == Qt::NoBrush
                                  ? typing
                                  : Colour::fromQColor(format.foreground().color());
        const QString s = fragment.text();
        for (const char32_t c : CodePoints(s)) {
            if (c == LineSeparator || c == QChar::ParagraphSeparator) {
                text.appendLineBreak();
                hasChars = false;
            } else if (!isFrameMarker(c) && !(object && c == ObjectReplacement)) {
                text.append(c, colour);
                hasChars = true;
            }
        }
    }
    return hasChars;
}

RichText snapshotDocument(const QTextDocument& document, Colour typing, bool terminateLastLine) {
    RichText text(typing);
    text.reserve(std::size_t(document.characterCount()) + 2);
    bool lastBlockHasChars = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) text.appendLineBreak();
        lastBlockHasChars = appendBlock(text, block, typing);
    }
    if (terminateLastLine && lastBlockHasChars) text.appendLineBreak();
    return text;
}

void insertRichText(QTextCursor& cursor, const RichText& text, const QTextCharFormat& base) {
    QTextCharFormat format = base;
    QString run;
    Colour runColour;
    auto flush = [&] {
        if (run.isEmpty()) return;
        format.setForeground(runColour.toQColor());
        cursor.insertText(run, format);
        run.clear();
    };
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const char32_t ch = text.charAt(p);
        if (ch == RichText::CR) continue;
        const Colour c = text.colourAt(p);
        if (!run.isEmpty() && !(c == runColour)) flush();
        runColour = c;
        if (ch == RichText::LF)
            run.append(QChar::ParagraphSeparator);
        else if (isStructural(ch))
            run.append(QChar::ReplacementCharacter);
        else
            appendCodePoint(run, ch);
    }
    flush();
}

void loadDocument(QTextDocument& document, const RichText& text, const QTextCharFormat& base) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockCharFormat(base);
    insertRichText(cursor, text, base);
    cursor.endEditBlock();
}

} // namespace torvo
