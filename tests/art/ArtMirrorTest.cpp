#include "art/ArtMirror.h"
#include "TestRegistry.h"
#include "art/DocumentBridge.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace torvo;

namespace {

const Colour Colours[] = {colours::White, Colour{0x0000FF}, Colour{0x00FF00}, colours::Black};

// A document and its mirror, following every change the way the text view does.
struct Followed {
    QTextDocument doc;
    ArtMirror mirror;
    std::vector<ArtChange> changes;
    bool pending = false;
    bool writing = false; // the mirror follows its own writes
    int from = 0, to = 0;

    Followed() {
        doc.documentLayout(); // a document reports its changes once something lays it out
        mirror.reset(doc);
        QObject::connect(&doc, &QTextDocument::contentsChange, [this](int position, int removed, int added) {
            if (writing) return;
            if (pending && position <= to) to = std::max(to + added - removed, position + added);
            from = pending ? std::min(from, position) : position;
            to = pending ? std::max(to, position + added) : position + added;
            pending = true;
        });
        QObject::connect(&doc, &QTextDocument::contentsChanged, [this] {
            if (!pending) return;
            pending = false;
            changes.push_back(mirror.follow(doc, from, to - from));
        });
    }
};

QString randomText(QRandomGenerator& rng) {
    static const char32_t pool[] = {U'a', U'b', U' ', U'█', U'\n', U'\n', 0x1F600, U'é'};
    QString s;
    const int n = rng.bounded(1, 6);
    for (int i = 0; i < n; ++i)
        appendCodePoint(s, pool[rng.bounded(int(std::size(pool)))]);
    return s;
}

// A random edit of the kinds the view sees: typing, deleting, recolouring, several at once.
void randomEdit(QTextDocument& doc, QRandomGenerator& rng) {
    QTextCursor c(&doc);
    const int end = doc.characterCount() - 1;
    auto place = [&] {
        c.setPosition(rng.bounded(end + 1));
        c.setPosition(std::min(end, c.position() + rng.bounded(4)), QTextCursor::KeepAnchor);
        // Never half a surrogate pair.
        for (int p : {c.anchor(), c.position()})
            if (p > 0 && p < end && doc.characterAt(p).isLowSurrogate()) return false;
        return true;
    };
    if (!place()) return;
    QTextCharFormat format;
    format.setForeground(Colours[rng.bounded(4)].toQColor());
    switch (rng.bounded(5)) {
    case 0:
        c.insertText(randomText(rng), format);
        break;
    case 1:
        c.removeSelectedText();
        break;
    case 2:
        c.mergeCharFormat(format);
        break;
    case 3: // an edit block: two edits, one notification
        c.beginEditBlock();
        c.insertText(randomText(rng), format);
        c.setPosition(rng.bounded(doc.characterCount()));
        c.insertText(QStringLiteral("x"), QTextCharFormat()); // no colour of its own
        c.endEditBlock();
        break;
    default:
        c.movePosition(QTextCursor::End);
        c.insertText(randomText(rng), format);
    }
}

// Equal characters and colours; a line break's colour is derived, so it is not compared.
bool sameArt(const RichText& a, const RichText& b) {
    return std::equal(a.positions().begin(), a.positions().end(), b.positions().begin(), b.positions().end(),
                      sameCharacter);
}

} // namespace

class ArtMirrorTest : public QObject {
    Q_OBJECT
private slots:
    // The mirror is what a full snapshot gives after every change; each change's hunks
    // and lines account for exactly what differs; writing them back into the document,
    // in either direction, gives the art before and after.
    void followsRandomEditsAndWritesThemBack() {
        QRandomGenerator rng(7);
        for (int round = 0; round < 40; ++round) {
            Followed f;
            for (int step = 0; step < 60; ++step) {
                const RichText before = f.mirror.art();
                f.changes.clear();
                randomEdit(f.doc, rng);
                const RichText after = f.mirror.art();
                QCOMPARE(after, snapshotDocument(f.doc, colours::White, true));
                if (f.changes.empty()) continue;
                QCOMPARE(f.changes.size(), std::size_t(1));
                const ArtChange change = f.changes.front();
                QVERIFY(change.lines.size() <= 1);
                const LineSpan span = change.lines.empty() ? LineSpan{} : change.lines.front();
                RichText replayed = before;
                applyHunks(replayed, change.hunks, false);
                QVERIFY(sameArt(replayed, after));
                for (int line = 0; line < after.lineCount(); ++line) {
                    const bool outside = line < span.first || line >= span.first + span.newLines;
                    if (!outside) continue;
                    const int old = line < span.first ? line : line - span.newLines + span.oldLines;
                    const auto piece = [](const RichText& t, int l) {
                        const int end = l + 1 < t.lineCount() ? t.lineStart(l + 1) : t.size();
                        return t.mid(t.lineStart(l), end - t.lineStart(l));
                    };
                    QCOMPARE(piece(after, line), piece(before, old));
                }
                if (rng.bounded(4) != 0) continue;
                f.writing = true;
                f.mirror.write(f.doc, change.hunks, true, QTextCharFormat());
                QCOMPARE(f.mirror.art(), before);
                QCOMPARE(snapshotDocument(f.doc, colours::White, true), before);
                f.mirror.write(f.doc, change.hunks, false, QTextCharFormat());
                f.writing = false;
                QCOMPARE(f.mirror.art(), after);
            }
        }
    }
    // A few cells changed on far-apart lines cost a few positions, not the art between.
    void changedLinesAreHunksOfTheirOwn() {
        RichText before;
        for (int r = 0; r < 1000; ++r) {
            before.appendText(QString(400, u'o'), colours::White);
            before.appendLineBreak();
        }
        RichText after = before;
        for (int r : {3, 500, 998})
            after.setColour(after.lineStart(r) + 7, Colour{0x0000FF});
        const std::vector<ArtHunk> hunks = diffArt(before, after);
        QCOMPARE(hunks.size(), std::size_t(3));
        QCOMPARE(hunkPositions(hunks), qsizetype(6));
        QCOMPARE(hunks[1].at, after.lineStart(500) + 7);
        // A line break's colour follows what comes before it, so it is no difference.
        after = before;
        after.setColour(after.lineStart(1) - 1, Colour{0x0000FF});
        QVERIFY(diffArt(before, after).empty());
    }
    // A written character the document does not give back as itself is read back as the
    // document holds it.
    void writesOfCharactersTheDocumentChanges() {
        for (const char32_t ch : {0x110000u, 0x2028u, 0xFFFCu, 0xD800u}) {
            QTextDocument doc;
            QTextCursor(&doc).insertText(QStringLiteral("ab\ncd\nef\n"));
            ArtMirror mirror;
            mirror.reset(doc);
            const RichText with({{ch, Colour{0x0000FF}}}, colours::White);
            mirror.write(doc, {{1, mirror.art().mid(1, 1), with}}, false, QTextCharFormat());
            QCOMPARE(mirror.art(), snapshotDocument(doc, colours::White, true));
        }
    }
    void typingColourRecoloursLeadingBreaksOnly() {
        QTextDocument doc;
        QTextCharFormat red;
        red.setForeground(QColor(Qt::red));
        QTextCursor(&doc).insertText(QStringLiteral("\n\nab\n\ncd"), red);
        ArtMirror mirror;
        mirror.reset(doc);
        const ArtChange change = mirror.setTypingColour(Colour{0x00FF00});
        QCOMPARE(change.lines, (std::vector<LineSpan>{{0, 2, 2}}));
        QCOMPARE(mirror.art(), snapshotDocument(doc, Colour{0x00FF00}, true));
    }
};
TORVO_TEST(ArtMirrorTest)
#include "ArtMirrorTest.moc"
