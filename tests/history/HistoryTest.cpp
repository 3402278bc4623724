#include "TestRegistry.h"
#include "history/ArtStep.h"
#include "history/GridStep.h"

#include <QTest>

using namespace torvo;

namespace {

const Colour Red{0x0000FF};
const Colour Green{0x00FF00};

RichText text(const QString& s, Colour c = Red) {
    RichText t;
    t.appendText(s, c);
    return t;
}

// A history over an art held as a value, recording edits the way the window does: the text
// as the view holds it, and the art with every line ended, whose changed lines are the steps.
struct Art {
    RichText view;
    RichText art;
    History history;
    explicit Art(int steps = History::DefaultSteps, qint64 bytes = History::DefaultBytes)
        : history(
              [this](const History::Step& s, bool undo) {
                  applyLineChanges(art, static_cast<const ArtStep&>(s).lines(), undo);
                  view = art;
              },
              steps, bytes) {}
    void edit(const RichText& after, ArtStep::Kind kind, qint64 time) {
        view = after;
        RichText ended = after;
        if (!ended.isEmpty() && !ended.endsWithLineBreak()) ended.appendLineBreak();
        auto lines = diffLines(art, ended);
        art = ended;
        if (!lines.empty()) history.record(std::make_shared<ArtStep>(std::move(lines), kind, time));
    }
    void type(int at, const QString& s, qint64 time, Colour c = Red) {
        RichText after = view;
        after.replace(at, 0, text(s, c));
        edit(after, ArtStep::Kind::Typing, time);
    }
    // A line break goes whole, as Backspace takes it.
    void erase(int at, qint64 time) {
        RichText after = view;
        const int n = at > 0 && view.charAt(at) == RichText::LF ? 2 : 1;
        after.replace(at - n + 1, n, RichText());
        edit(after, ArtStep::Kind::Typing, time);
    }
};

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
private slots:
    void typingMergesUntilAPauseALineBreakAJumpOrAColour_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("steps");
        // t<ms> type at the end of the text; j<ms> type at the start (a jump); n<ms> type a
        // line break; g<ms> type in green; b<ms> backspace at the end; d<ms> delete at the start.
        QTest::newRow("within the pause") << "t0 t300 t1299 t2298" << 1;
        QTest::newRow("a pause of one second") << "t0 t500 t1500" << 2;
        QTest::newRow("a line break ends the step") << "t0 n100 t200" << 2;
        QTest::newRow("a line break typed and taken back at the end") << "t0 n100 b200 t300" << 1;
        QTest::newRow("typing on a new last line") << "t0 n100 t200 t300 t400" << 2;
        QTest::newRow("a jump of the caret") << "t0 t100 j200" << 2;
        QTest::newRow("a change of colour") << "t0 g100 g200" << 2;
        QTest::newRow("backspaces") << "t0 t1 t2 b1000 b1100 b1200" << 2;
        QTest::newRow("deletes at one place") << "t0 t1 t2 d1000 d1100" << 2;
        QTest::newRow("typing then deleting") << "t0 t1 b2" << 2;
        QTest::newRow("typing on after a backspace") << "t0 t1 b1000 t1100" << 2;
        QTest::newRow("typing elsewhere after a backspace") << "t0 t1 t2 b1000 j1100" << 3;
    }
    void typingMergesUntilAPauseALineBreakAJumpOrAColour() {
        QFETCH(QString, script);
        QFETCH(int, steps);
        Art a;
        for (const QString& op : script.split(u' ')) {
            const qint64 time = op.mid(1).toLongLong();
            switch (op[0].unicode()) {
            case 't': // each letter another, so that a diff cannot take one for its neighbour
                a.type(a.view.size(), QString(QChar(u'a' + a.view.size() % 26)), time);
                break;
            case 'g':
                a.type(a.view.size(), QStringLiteral("x"), time, Green);
                break;
            case 'j':
                a.type(0, QStringLiteral("y"), time);
                break;
            case 'n':
                a.type(a.view.size(), QStringLiteral("\n"), time);
                break;
            case 'b':
                a.erase(a.view.size() - 1, time);
                break;
            case 'd':
                a.erase(0, time);
                break;
            }
        }
        QCOMPARE(a.history.stack()->count(), steps);
        // Undoing every step gives the empty art back, whatever was merged.
        while (a.history.stack()->canUndo())
            a.history.stack()->undo();
        QVERIFY(a.art.isEmpty());
    }
    void editsNeverMerge() {
        Art a;
        a.type(0, QStringLiteral("ab"), 0);
        RichText pasted = a.view;
        pasted.replace(2, 0, text(QStringLiteral("c")));
        a.edit(pasted, ArtStep::Kind::Edit, 1);
        a.type(3, QStringLiteral("d"), 2);
        QCOMPARE(a.history.stack()->count(), 3);
    }
    void savedStateFollowsUndoAndRedo() {
        Art a;
        a.type(0, QStringLiteral("ab"), 0);
        a.history.stack()->setClean();
        // Typing after a save starts a step of its own, so undo comes back to the saved art.
        a.type(2, QStringLiteral("c"), 1);
        QVERIFY(!a.history.stack()->isClean());
        a.history.stack()->undo();
        QVERIFY(a.history.stack()->isClean());
        QCOMPARE(a.view.plainText(), QStringLiteral("ab\r\n"));
        a.history.stack()->undo();
        QVERIFY(!a.history.stack()->isClean());
        a.history.stack()->redo();
        QVERIFY(a.history.stack()->isClean());
    }
    void oldestStepsGoByCountAndBySize() {
        Art few(3);
        for (int i = 0; i < 5; ++i)
            few.type(i, QString(QChar(u'a' + i)), i * 2000);
        QCOMPARE(few.history.stack()->count(), 3);

        // Steps of 80 kB (40 kB removed, 40 kB inserted) in a history of 300 kB: the
        // oldest go; the present place and the saved state stay, the oldest kept included.
        for (int back : {1, 2}) {
            Art a(500, 300000);
            for (int i = 0; i < 4; ++i)
                a.edit(text(QString(5000, QChar(u'a' + i))), ArtStep::Kind::Edit, i);
            QCOMPARE(a.history.stack()->count(), 4);
            for (int k = 0; k < back; ++k)
                a.history.stack()->undo();
            a.history.stack()->setClean();
            for (int k = 0; k < back; ++k)
                a.history.stack()->redo();
            const char16_t saved = a.view.plainText().at(0).unicode() - back;
            a.edit(text(QString(5000, u'z')), ArtStep::Kind::Edit, 9);
            QVERIFY(a.history.bytes() <= 300000);
            QCOMPARE(a.history.stack()->count(), 3);
            QCOMPARE(a.history.stack()->index(), 3);
            for (char16_t expected : {u'd', u'c', u'b'}) {
                a.history.stack()->undo();
                QCOMPARE(a.view.plainText(), QString(5000, expected) + "\r\n");
                QCOMPARE(a.history.stack()->isClean(), expected == saved);
            }
            QVERIFY(!a.history.stack()->canUndo());
        }
    }
    void gridStepsTakeBackEveryCell() {
        CharGrid before(2, 3);
        CharGrid after = before;
        after.setChar(0, 1, U'x');
        after.setColour(1, 2, Red);
        const GridStep step(diffGrids(before, after));
        QCOMPARE(step.cells().size(), std::size_t(2));
        CharGrid g = after;
        step.applyTo(g, true);
        QCOMPARE(g, before);
        step.applyTo(g, false);
        QCOMPARE(g, after);
    }
};
TORVO_TEST(HistoryTest)
#include "HistoryTest.moc"
