#include "TestRegistry.h"
#include "convert/ColourChange.h"
#include "convert/ColourFollower.h"
#include "convert/GridFollower.h"
#include "convert/TaggedFollower.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextDocument>

using namespace torvo;

namespace {

const Palette P;
// Coded palette colours and two without a code, so codes stay in force across lines.
const Colour Colours[] = {P[0], P[2], P[4], P[10], Colour{0x123456}, Colour{0x654321}};

RichText randomLines(QRandomGenerator& rng, int lines) {
    // U+FDD0 is a character of the art that a document would take for a frame.
    static const char32_t pool[] = {U'a', U'b', U' ', U' ', U'█', 0x1F600, 0xFDD0};
    RichText t;
    for (int l = 0; l < lines; ++l) {
        const int n = rng.bounded(0, 7);
        for (int i = 0; i < n; ++i)
            t.append(pool[rng.bounded(int(std::size(pool)))], Colours[rng.bounded(int(std::size(Colours)))]);
        t.appendLineBreak();
    }
    return t;
}

// A random change: lines replaced, inserted or deleted, characters recoloured, a last
// line left without its break, or everything deleted.
RichText randomChange(const RichText& art, QRandomGenerator& rng) {
    RichText next = art;
    const int lines = art.lineCount();
    switch (rng.bounded(6)) {
    case 0: { // some lines replaced by others
        const int from = rng.bounded(lines);
        const int count = std::min(lines - from, rng.bounded(0, 4));
        const int to = from + count < lines ? art.lineStart(from + count) : art.size();
        next.replace(art.lineStart(from), to - art.lineStart(from), randomLines(rng, rng.bounded(0, 4)));
        break;
    }
    case 1: // a colour in the middle of a line
        if (!art.isEmpty()) {
            const int p = rng.bounded(art.size());
            if (!art.isLineBreak(p)) next.setColour(p, Colours[rng.bounded(int(std::size(Colours)))]);
        }
        break;
    case 2: { // typing at the end of the last line with characters
        RichText typed;
        typed.append(U'x', Colours[rng.bounded(int(std::size(Colours)))]);
        next.replace(next.size() - (next.endsWithLineBreak() ? 2 : 0), 0, typed);
        break;
    }
    case 3:
        if (rng.bounded(8) == 0) next = RichText();
        break;
    case 4: // the last line break goes
        if (next.endsWithLineBreak() && rng.bounded(3) == 0) next.replace(next.size() - 2, 2, RichText());
        break;
    default:
        next.replace(art.lineStart(rng.bounded(lines)), 0, randomLines(rng, rng.bounded(1, 3)));
    }
    return next;
}

QString rawText(const QTextDocument& d) {
    return d.toRawText();
}

} // namespace

// The views built change by change equal, cell for cell and byte for byte, what the full
// rebuilds give, whatever the changes and however many pile up between two looks.
class FollowerTest : public QObject {
    Q_OBJECT
private slots:
    void followersEqualFullRebuildsOverRandomChanges() {
        QRandomGenerator rng(11);
        for (int round = 0; round < 30; ++round) {
            RichText art = randomLines(rng, rng.bounded(0, 12));
            GridFollower grid;
            ColourFollower colours;
            TaggedFollower tagged;
            CharGrid shown;
            QTextDocument box;
            Palette palette;
            bool tags = true;
            for (int step = 0; step < 80; ++step) {
                LineEdits changed;
                for (int k = rng.bounded(1, 4); k > 0; --k) {
                    const RichText next = randomChange(art, rng);
                    if (const auto span = differingLines(art, next)) changed.add(*span);
                    art = next;
                }
                // Cells edited in the grid itself are drawn from the art again.
                if (shown.rows() > 0 && shown.cols() > 0 && rng.bounded(4) == 0) {
                    const int r = rng.bounded(shown.rows());
                    shown.at(r, rng.bounded(shown.cols())) = Cell{U'Z', true, P[6]};
                    grid.edited({r});
                }
                if (rng.bounded(10) == 0) palette.toggleEntry2();
                if (rng.bounded(15) == 0) tags = !tags;
                grid.note(changed);
                colours.note(changed);
                tagged.note(changed);

                grid.update(art, shown)->applyTo(shown);
                QCOMPARE(shown, *RestaurarGrid(art));
                QCOMPARE(*colours.update(art), *distinctColours(art));
                const TaggedPatch patch = *tagged.update(art, palette, tags);
                if (patch.whole)
                    box.setPlainText(*patch.whole);
                else
                    applyBlockSplices(box, patch.splices);
                QTextDocument full;
                full.setPlainText(*taggedText(art, palette, tags));
                QCOMPARE(rawText(box), rawText(full));
            }
        }
    }

    // Edited rows written back give what writing the whole grid gives.
    void writeBackOfEditedRowsEqualsTheWholeGrid() {
        QRandomGenerator rng(5);
        for (int round = 0; round < 200; ++round) {
            const RichText art = randomLines(rng, rng.bounded(1, 30));
            GridFollower follower;
            CharGrid grid;
            follower.update(art, grid)->applyTo(grid);
            std::vector<int> rows;
            for (int k = rng.bounded(0, 6); k > 0 && grid.cols() > 0; --k) {
                const int r = rng.bounded(grid.rows()), c = rng.bounded(grid.cols());
                Cell& cell = grid.at(r, c);
                switch (rng.bounded(3)) {
                case 0:
                    cell = Cell{U'Q', true, cell.colour};
                    break;
                case 1:
                    cell.colour = Colours[rng.bounded(int(std::size(Colours)))];
                    break;
                default:
                    cell = Cell{};
                }
                rows.push_back(r);
            }
            follower.edited(rows);
            const auto hunks = follower.writeBack(grid, art, P[0]);
            RichText whole = *RestaurarMensaje(grid, P[0]);
            if (!hunks) {
                // Only when most rows were edited.
                QVERIFY(int(rows.size()) * 2 > grid.rows());
                continue;
            }
            RichText written = art;
            applyHunks(written, *hunks, false);
            QCOMPARE(written.plainText(), whole.plainText());
            for (int p = 0; p < whole.size(); ++p)
                if (!whole.isLineBreak(p)) QCOMPARE(written.colourAt(p), whole.colourAt(p));
        }
    }
};
TORVO_TEST(FollowerTest)
#include "FollowerTest.moc"
