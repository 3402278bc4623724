#include "art/DocumentBridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>
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

void reachNextBlock(QTextCursor& cursor, const QTextBlock& block) {
    if (!block.next().isValid()) return;
    const int lineBreak = block.position() + block.length() - 1;
    cursor.setPosition(lineBreak);
    cursor.setPosition(lineBreak + 1, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(QTextCharFormat());
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

bool keptAsItself(char32_t ch) {
    return !isStructural(ch) && !(ch >= 0xD800 && ch <= 0xDFFF) && ch <= 0x10FFFF && ch != LineSeparator &&
           ch != QChar::ParagraphSeparator;
}

bool needsShaping(char32_t ch) {
    if (ch < 0x0300) return false; // Latin-1 and its extensions, before the combining marks
    if ((ch >= 0x1F1E6 && ch <= 0x1F1FF) || (ch >= 0x1F3FB && ch <= 0x1F3FF)) return true;
    switch (QChar::category(ch)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        break;
    }
    switch (QChar::script(ch)) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return false;
    default:
        return true;
    }
}

bool needsShaping(const RichText& text) {
    const auto& positions = text.positions();
    return std::any_of(positions.begin(), positions.end(),
                       [](const RichText::Position& p) { return needsShaping(p.ch); });
}

namespace {

// Whether the document gives the art back as it is: characters it keeps, whole line breaks in
// the colour before them, and a last line ended.
bool readsBackAsIs(const RichText& art, Colour typing) {
    const int n = art.size();
    if (n > 0 && !art.endsWithLineBreak()) return false;
    for (int p = 0; p < n; ++p) {
        const char32_t ch = art.charAt(p);
        if (ch == RichText::CR) {
            const Colour before = p > 0 ? art.colourAt(p - 1) : typing;
            if (p + 1 == n || art.charAt(p + 1) != RichText::LF || !(art.colourAt(p) == before) ||
                !(art.colourAt(p + 1) == before))
                return false;
            ++p;
        } else if (ch == RichText::LF || !keptAsItself(ch)) {
            return false;
        }
    }
    return true;
}

} // namespace

RichText loadedArt(const RichText& art, Colour typing) {
    // Most art comes back as it is, and is known without the walk below.
    if (readsBackAsIs(art, typing)) {
        RichText same = art;
        same.setTypingColour(typing);
        return same;
    }
    // Each character as insertRichText writes it, read back as appendBlock reads it: halves
    // of a surrogate pair meet only within one run of one colour (one fragment).
    std::vector<RichText::Position> out;
    out.reserve(std::size_t(art.size()) + 2);
    bool lineHasChars = false;
    std::optional<RichText::Position> high; // a high surrogate waiting for its low half
    auto character = [&](char32_t ch, Colour c) {
        out.push_back({ch, c});
        lineHasChars = true;
    };
    auto settleHigh = [&] {
        if (high) character(high->ch, high->colour);
        high.reset();
    };
    auto lineBreak = [&] {
        settleHigh();
        const Colour c = out.empty() ? typing : out.back().colour;
        out.push_back({RichText::CR, c});
        out.push_back({RichText::LF, c});
        lineHasChars = false;
    };
    auto unit = [&](char16_t u, Colour c) {
        if (high && QChar::isLowSurrogate(u) && high->colour == c) {
            character(QChar::surrogateToUcs4(char16_t(high->ch), u), c);
            high.reset();
            return;
        }
        settleHigh();
        if (u == LineSeparator || u == QChar::ParagraphSeparator)
            lineBreak();
        else if (QChar::isHighSurrogate(u))
            high = RichText::Position{u, c};
        else if (!isFrameMarker(u))
            character(u, c);
    };
    const int n = art.size();
    for (int p = 0; p < n; ++p) {
        const char32_t ch = art.charAt(p);
        if (ch == RichText::LF) lineBreak();
        if (art.isLineBreak(p)) continue;
        char16_t units[2];
        const int count = isStructural(ch) ? (units[0] = QChar::ReplacementCharacter, 1) : toUtf16(ch, units);
        for (int i = 0; i < count; ++i)
            unit(units[i], art.colourAt(p));
    }
    settleHigh();
    if (lineHasChars) lineBreak();
    return RichText(std::move(out), typing);
}

} // namespace torvo
