// The views built line by line against their full rebuilds: an art and a script of changes
// (lines replaced, colours changed, typing, grid cells edited, palette and tags switched),
// with looks in between; at every look the grid, the colour list and the tagged text must
// equal what rebuilding them whole gives, and edited rows written back must give what
// writing the whole grid gives.
#include "art/ArtChange.h"
#include "convert/ColourChange.h"
#include "convert/ColourFollower.h"
#include "convert/GridFollower.h"
#include "convert/TaggedFollower.h"
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

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

const Palette P;

Colour colourOf(int b) {
    // Mostly palette colours (coded or not), sometimes any colour.
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4000) return 0;
    Bytes in{data, size};
    RichText art = linesOf(in, in.next() % 12);
    GridFollower grid;
    ColourFollower colours;
    TaggedFollower tagged;
    CharGrid shown;
    QTextDocument box;
    Palette palette;
    bool tags = true;
    LineEdits changed;

    auto look = [&] {
        grid.note(changed);
        colours.note(changed);
        tagged.note(changed);
        changed.clear();
        grid.update(art, shown)->applyTo(shown);
        check(shown == *RestaurarGrid(art));
        check(*colours.update(art) == *distinctColours(art));
        const TaggedPatch patch = *tagged.update(art, palette, tags);
        if (patch.whole)
            box.setPlainText(*patch.whole);
        else
            applyBlockSplices(box, patch.splices);
        QTextDocument full;
        full.setPlainText(*taggedText(art, palette, tags));
        check(box.toRawText() == full.toRawText());
    };

    while (!in.done()) {
        RichText next = art;
        const int op = in.next();
        const int lines = art.lineCount();
        switch (op % 9) {
        case 0: { // lines replaced by others
            const int from = in.next() % lines;
            const int count = std::min(lines - from, in.next() % 4);
            const int to = from + count < lines ? art.lineStart(from + count) : art.size();
            next.replace(art.lineStart(from), to - art.lineStart(from), linesOf(in, in.next() % 4));
            break;
        }
        case 1: // a colour changed
            if (!art.isEmpty()) {
                const int p = (in.next() << 8 | in.next()) % art.size();
                if (!art.isLineBreak(p)) next.setColour(p, colourOf(in.next()));
            }
            break;
        case 2: { // a character typed at the end of the last line
            RichText typed;
            const int b = in.next();
            typed.append(characterOf(b, in.next()), colourOf(in.next()));
            next.replace(next.size() - (next.endsWithLineBreak() ? 2 : 0), 0, typed);
            break;
        }
        case 3:
            next = RichText();
            break;
        case 4: // the last line break goes
            if (next.endsWithLineBreak()) next.replace(next.size() - 2, 2, RichText());
            break;
        case 5: // a cell edited in the grid, which is drawn from the art again
            if (shown.rows() > 0 && shown.cols() > 0) {
                const int r = in.next() % shown.rows();
                shown.at(r, in.next() % shown.cols()) = Cell{U'Z', true, colourOf(in.next())};
                grid.edited({r});
            }
            break;
        case 6:
            palette.toggleEntry2();
            tags = op & 0x10 ? !tags : tags;
            break;
        case 7: { // rows edited and written back
            look();
            std::vector<int> rows;
            CharGrid edited = shown;
            for (int k = in.next() % 4; k > 0 && edited.cols() > 0; --k) {
                const int r = in.next() % edited.rows();
                edited.at(r, in.next() % edited.cols()) = Cell{U'Q', in.next() % 2 == 0, colourOf(in.next())};
                rows.push_back(r);
            }
            GridFollower copy = grid;
            copy.edited(rows);
            if (const auto hunks = copy.writeBack(edited, art, P[0])) {
                RichText written = art;
                applyHunks(written, *hunks, false);
                const RichText whole = *RestaurarMensaje(edited, P[0]);
                check(written.plainText() == whole.plainText());
                for (int p = 0; p < whole.size(); ++p)
                    check(whole.isLineBreak(p) || written.colourAt(p) == whole.colourAt(p));
            }
            break;
        }
        default:
            look();
        }
        if (const auto span = differingLines(art, next)) changed.add(*span);
        art = std::move(next);
    }
    look();
    return 0;
}
