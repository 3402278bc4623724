#include "FormFixture.h"
#include "TestRegistry.h"
#include "convert/ColourChange.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"

#include <QAction>
#include <QRandomGenerator>
#include <QUndoStack>

using namespace torvo;

namespace {
const Palette P;

QString randomText(QRandomGenerator& rng) {
    static const char* const pool[] = {"a", "b", " ", "\n", "##", "\n\n"};
    QString s;
    for (int i = rng.bounded(1, 4); i > 0; --i)
        s += QLatin1String(pool[rng.bounded(int(std::size(pool)))]);
    return s;
}

// An edit of the text view as the user makes it: typed keys, or a paste, a deletion or
// a recolouring of a stretch.
void editText(FormFixture& f, QRandomGenerator& rng) {
    QTextDocument* doc = f.Mensaje()->document();
    QTextCursor c(doc);
    c.setPosition(rng.bounded(doc->characterCount()));
    c.setPosition(std::min(doc->characterCount() - 1, c.position() + rng.bounded(6)),
                  QTextCursor::KeepAnchor);
    QTextCharFormat colour;
    colour.setForeground(P[rng.bounded(16)].toQColor());
    switch (rng.bounded(4)) {
    case 0:
        f.Mensaje()->setTextCursor(c);
        QTest::keyClicks(f.Mensaje(), QStringLiteral("xy"));
        break;
    case 1:
        c.insertText(randomText(rng), colour);
        break;
    case 2:
        c.removeSelectedText();
        break;
    default:
        c.mergeCharFormat(colour);
    }
}

// A visit to the grid: cells typed into, coloured and painted, sometimes a step undone;
// leaving writes it back, which must give what writing the whole grid gives.
void visitGrid(FormFixture& f, QRandomGenerator& rng) {
    f.chooseTab(1);
    const CharGrid& g = f.grid();
    for (int k = rng.bounded(1, 6); k > 0 && g.cols() > 0; --k) {
        const int r = rng.bounded(g.rows()), c = rng.bounded(g.cols());
        f.Grid1()->setCurrentCell(r, c);
        const QModelIndex cell = f.Grid1()->model()->index(r, c);
        switch (rng.bounded(3)) {
        case 0:
            QTest::keyClick(f.Grid1(), char('k' + k));
            break;
        case 1:
            f.pressSwatch(rng.bounded(16));
            break;
        default:
            f.Grid1()->scrollTo(cell);
            QTest::mouseClick(f.Grid1()->viewport(), Qt::RightButton, {},
                              f.Grid1()->visualRect(cell).center());
        }
    }
    if (rng.bounded(3) == 0) f.form->gridHistory().stack()->undo();
    const RichText whole = *RestaurarMensaje(g, P[0]);
    f.chooseTab(0);
    QCOMPARE(f.form->BackBox().plainText(), whole.plainText());
    for (int p = 0; p < whole.size(); ++p)
        if (!whole.isLineBreak(p)) QCOMPARE(f.form->BackBox().colourAt(p), whole.colourAt(p));
}
} // namespace

// The views the window keeps change by change equal what rebuilding them whole from its
// working copy gives, through typing, edits, undo and redo, grid visits and the palette.
class ViewFollowingTest : public QObject {
    Q_OBJECT
private slots:
    void viewsEqualWholeRebuildsThroughRandomUse() {
        QRandomGenerator rng(3);
        FormFixture f;
        f.form->show();
        RichText start;
        for (int r = 0; r < 30; ++r) {
            for (int c = 0; c < r % 9; ++c)
                start.append(U"#@ o"[(r + c) % 4], P[(r * 7 + c) % 16]);
            start.appendLineBreak();
        }
        f.setArt(start);
        auto* useTags = f.control<QAction>("mnuUseTags");
        for (int step = 0; step < 150; ++step) {
            switch (rng.bounded(10)) {
            case 0:
                visitGrid(f, rng);
                break;
            case 1:
                f.form->textHistory().stack()->undo();
                break;
            case 2:
                f.form->textHistory().stack()->redo();
                break;
            case 3: // the palette changes the codes from the next rebuild on
                QTest::mouseClick(f.control<QWidget>("Picture1"), Qt::LeftButton);
                QTest::keyClick(f.Mensaje(), Qt::Key_Z);
                break;
            case 4:
                useTags->trigger();
                break;
            default:
                editText(f, rng);
            }
            const RichText& art = f.form->BackBox();
            QCOMPARE(art, snapshotDocument(*f.Mensaje()->document(), art.typingColour(), true));
            QCOMPARE(f.grid(), *RestaurarGrid(art));
            std::vector<Colour> listed;
            for (const Grid2Model::Row& row : f.colourRows())
                listed.push_back(row.from);
            QCOMPARE(listed, *distinctColours(art));
            QTextDocument tagged;
            tagged.setPlainText(*taggedText(art, f.form->Palette, useTags->isChecked()));
            QCOMPARE(f.BoxCopy()->document()->toRawText(), tagged.toRawText());
        }
    }
};
TORVO_TEST(ViewFollowingTest)
#include "ViewFollowingTest.moc"
