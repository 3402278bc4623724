#include "FormFixture.h"
#include "TestRegistry.h"
#include "convert/ColourChange.h"
#include "convert/TaggedText.h"
#include "convert/TextGrid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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

// An edit of the text view as the user makes it: typed keys, Enter and Backspace, a
// paste of rich or plain text over a selection, a cut, a colouring of a stretch.
void editText(FormFixture& f, QRandomGenerator& rng) {
    QTextDocument* doc = f.Mensaje()->document();
    QTextCursor c(doc);
    c.setPosition(rng.bounded(doc->characterCount()));
    c.setPosition(std::min(doc->characterCount() - 1, c.position() + rng.bounded(6)),
                  QTextCursor::KeepAnchor);
    f.Mensaje()->setTextCursor(c);
    auto* mime = new QMimeData;
    switch (rng.bounded(6)) {
    case 0:
        QTest::keyClicks(f.Mensaje(), QStringLiteral("xy"));
        break;
    case 1:
        QTest::keyClick(f.Mensaje(), rng.bounded(2) ? Qt::Key_Return : Qt::Key_Backspace);
        break;
    case 2:
        mime->setHtml(QStringLiteral("<span style='color:#%1'>%2</span>")
                          .arg(rng.bounded(0x1000000), 6, 16, QLatin1Char('0'))
                          .arg(randomText(rng).toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"))));
        QGuiApplication::clipboard()->setMimeData(mime);
        mime = nullptr;
        f.Mensaje()->paste();
        break;
    case 3:
        mime->setText(randomText(rng));
        QGuiApplication::clipboard()->setMimeData(mime);
        mime = nullptr;
        f.Mensaje()->paste();
        break;
    case 4:
        f.Mensaje()->cut();
        break;
    default:
        f.pressSwatch(rng.bounded(16));
    }
    delete mime;
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

// The text view draws the model: through typing, pastes, cuts, colourings, grid visits,
// undo and redo, the document holds the model's characters, each drawn in the model's colour,
// and the side views built when shown equal their rebuilds from the model.
class ModelViewTest : public QObject {
    Q_OBJECT
private slots:
    void viewDrawsTheModelThroughRandomUse_data() {
        QTest::addColumn<int>("seed");
        for (int seed : {3, 7, 11, 19})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void viewDrawsTheModelThroughRandomUse() {
        QFETCH(int, seed);
        QRandomGenerator rng{quint32(seed)};
        FormFixture f;
        f.form->show();
        RichText start;
        for (int r = 0; r < 30; ++r) {
            for (int c = 0; c < r % 9; ++c)
                start.append(U"#@ o"[(r + c) % 4], P[(r * 7 + c) % 16]);
            start.appendLineBreak();
        }
        f.setArt(start);
        for (int step = 0; step < 200; ++step) {
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
            case 3: // a side tab, built from the model when shown
                f.chooseTab(2 + rng.bounded(2));
                if (f.SSTab1()->Tab() == 2) {
                    std::vector<Colour> listed;
                    for (const Grid2Model::Row& row : f.colourRows())
                        listed.push_back(row.from);
                    QCOMPARE(listed, *distinctColours(f.form->BackBox()));
                } else {
                    QTextDocument tagged;
                    tagged.setPlainText(*taggedText(f.form->BackBox(), f.form->palette(), true));
                    QCOMPARE(f.BoxCopy()->toPlainText(), tagged.toPlainText());
                }
                f.chooseTab(0);
                break;
            default:
                editText(f, rng);
            }
            const RichText view = f.form->art().viewArt();
            const RichText drawn = f.viewArt();
            QCOMPARE(drawn.plainText(), view.plainText());
            for (int p = 0; p < drawn.size(); ++p)
                if (!drawn.isLineBreak(p)) QCOMPARE(drawn.colourAt(p), view.colourAt(p));
        }
    }
};
TORVO_TEST(ModelViewTest)
#include "ModelViewTest.moc"
