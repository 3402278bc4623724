#include "art/DocumentBridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string>
#include <unordered_map>

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
    // The block's text read once; its fragments give the formats of its stretches, and
    // what a format says is looked up once however many fragments share it.
    const QString s = block.text();
    // Fragments follow one another: their places are added up rather than asked for (a
    // fragment's position is a walk up the document's tree).
    qsizetype offset = 0;
    struct Known {
        int index;
        Colour colour;
        bool object;
    };
    std::vector<Known> known;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const int index = fragment.charFormatIndex();
        auto k =
            std::find_if(known.begin(), known.end(), [index](const Known& f) { return f.index == index; });
        if (k == known.end()) {
            const QTextCharFormat format = fragment.charFormat();
            const QBrush brush = format.foreground();
            // Images and other objects are not characters of the art.
            known.push_back({index, brush.style() == Qt::NoBrush ? typing : Colour::fromQColor(brush.color()),
                             format.objectType() != QTextFormat::NoObject});
            k = known.end() - 1;
        }
        const Colour colour = k->colour;
        const bool object = k->object;
        const QStringView span = QStringView(s).mid(offset, fragment.length());
        offset += fragment.length();
        for (const char32_t c : CodePoints(span)) {
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
    // One format a colour: the document finds a format it already holds at once when it
    // is the very same one, and art has few colours and many runs.
    std::unordered_map<std::uint32_t, QTextCharFormat> formats;
    std::u16string run;
    Colour runColour;
    auto flush = [&] {
        if (run.empty()) return;
        auto [it, added] = formats.try_emplace(runColour.value(), base);
        if (added) it->second.setForeground(runColour.toQColor());
        // As it is: fromUtf16 would take a leading U+FEFF or U+FFFE for a byte order mark.
        cursor.insertText(QString(reinterpret_cast<const QChar*>(run.data()), qsizetype(run.size())),
                          it->second);
        run.clear();
    };
    const int n = text.size();
    for (int p = 0; p < n; ++p) {
        const char32_t ch = text.charAt(p);
        if (ch == RichText::CR) continue;
        const Colour c = text.colourAt(p);
        if (!run.empty() && !(c == runColour)) flush();
        runColour = c;
        if (ch == RichText::LF) {
            run.push_back(QChar::ParagraphSeparator);
        } else if (isStructural(ch)) {
            run.push_back(QChar::ReplacementCharacter);
        } else {
            char16_t units[2];
            run.append(units, std::size_t(toUtf16(ch, units)));
        }
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

char32_t documentCharacter(char32_t ch) {
    return isStructural(ch) || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF
               ? char32_t(QChar::ReplacementCharacter)
               : ch;
}

RichText documentCharacters(RichText art) {
    const auto& positions = art.positions();
    if (std::none_of(positions.begin(), positions.end(),
                     [](const RichText::Position& p) { return documentCharacter(p.ch) != p.ch; }))
        return art;
    RichText kept(art.typingColour());
    kept.reserve(positions.size());
    for (const RichText::Position& p : positions)
        kept.appendCharacter(documentCharacter(p.ch), p.colour);
    return kept;
}

} // namespace torvo
