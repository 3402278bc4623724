// The conversions between the views fed with arbitrary characters and colours: text to
// grid and back, the tagged text, the colour list and its replacements, and the text
// document bridge.
#include "art/DocumentBridge.h"
#include "convert/ColourChange.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

using namespace torvo;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Three bytes a position: a character (a line break, a space, ASCII, or any scalar value)
// and a colour (a palette entry or any 24-bit value).
RichText artOf(const uint8_t* data, size_t size) {
    const Palette palette;
    RichText t(Colour{0xFFFFFF});
    for (size_t i = 0; i + 3 <= size; i += 3) {
        const uint8_t a = data[i], b = data[i + 1], c = data[i + 2];
        char32_t ch;
        switch (a >> 6) {
        case 0:
            ch = RichText::LF;
            break;
        case 1:
            ch = U' ';
            break;
        case 2:
            ch = 0x21 + b % 94;
            break;
        default:
            ch = (char32_t(b) << 8 | c) % 0x110000;
            if ((ch >= 0xD800 && ch <= 0xDFFF) || ch < 0x20 || ch == 0x7F) ch = U'?';
            // Line and paragraph separators are line breaks in a document; the object
            // placeholder and frame markers are written as U+FFFD (tested elsewhere).
            if (ch == 0x2028 || ch == 0x2029 || ch == 0xFFFC || (ch >= 0xFDD0 && ch <= 0xFDEF)) ch = U'?';
        }
        const Colour colour =
            (a & 0x20) ? Colour((uint32_t(a) << 16) | (uint32_t(b) << 8) | c) : palette[a & 15];
        t.append(ch, colour);
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 30000) return 0;
    const RichText art = artOf(data, size);

    // Text to grid and back: the grid holds every character; a second round changes nothing.
    const CharGrid grid = *RestaurarGrid(art);
    check(grid.rows() >= 1);
    const RichText back = *RestaurarMensaje(grid, Colour{0xFFFFFF});
    check(back.endsWithLineBreak() || back.isEmpty());
    const RichText again = *RestaurarMensaje(*RestaurarGrid(back), Colour{0xFFFFFF});
    check(again == back);
    for (int p = 0; p < again.size(); ++p)
        check(again.colourAt(p) == back.colourAt(p));

    // Every colour of the art is listed once; replacing each by itself changes nothing.
    const auto colours = *distinctColours(art);
    std::vector<ColourReplacement> same;
    for (Colour c : colours)
        same.push_back({c, c});
    RichText copy = art;
    check(applyColourChanges(copy, same));
    for (int p = 0; p < art.size(); ++p)
        check(copy.colourAt(p) == art.colourAt(p));

    // The tagged text keeps every character in order.
    const QString tagged = *taggedText(art, Palette{}, true);
    check(tagged.size() >= art.plainText().size() - art.size());

    // Through a text document and back: the same characters and colours.
    QTextDocument document;
    loadDocument(document, art, QTextCharFormat());
    const RichText read = snapshotDocument(document, Colour{0xFFFFFF}, false);
    check(read.plainText() == art.plainText());
    for (int p = 0; p < art.size(); ++p)
        if (!art.isLineBreak(p)) check(read.colourAt(p) == art.colourAt(p));
    return 0;
}
