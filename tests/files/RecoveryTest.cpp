#include "TestRegistry.h"
#include "files/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace torvo;

namespace {

RichText sample() {
    RichText art(Colour{0x00FF00});
    art.appendLineBreak();
    art.appendText(QString::fromUtf8("Ñ▒ \xF0\x9F\x98\x80\"{"), Colour{0x0000FF});
    art.appendLineBreak();
    art.append(U'x', colours::Black);
    return art;
}

QStringList recoveryFiles(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*") + QLatin1String(RecoveryStore::Suffix)}, QDir::Files);
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripAndDamage() {
        const QString file = QStringLiteral("/tmp/dibujo ñ.qcg");
        const QByteArray bytes = encodeRecovery(sample(), file);
        const Result<RecoveredArt> back = decodeRecovery(bytes);
        QVERIFY2(back, qPrintable(back.why()));
        QCOMPARE(back->art, sample());
        QCOMPARE(back->art.typingColour(), Colour{0x00FF00});
        QCOMPARE(back->file, file);
        // Every cut and every flipped byte is noticed, never read as art.
        for (qsizetype n = 0; n < bytes.size(); ++n) {
            QVERIFY(!decodeRecovery(bytes.first(n)));
            QByteArray flipped = bytes;
            flipped[n] = char(flipped[n] ^ 0x20);
            QVERIFY(!decodeRecovery(flipped).why().isEmpty());
        }
    }
    void oneFilePerWindowAndTakenOverOnlyWhenLeft() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("recovery"));
        auto first = std::make_unique<RecoveryStore>(folder);
        RecoveryStore second(folder);
        QVERIFY(first->write(sample(), QStringLiteral("a.qcg")));
        QVERIFY(second.write(RichText(), QString()));
        first->flush();
        second.flush();
        QCOMPARE(recoveryFiles(folder).size(), 2);
        // Both are held by running windows.
        QVERIFY(!RecoveryStore(folder).takeOver().found);
        first.reset(); // the window ends, its file stays
        RecoveryStore third(folder);
        const Recovery recovery = third.takeOver();
        QVERIFY(recovery.found && recovery.problem.isEmpty());
        QCOMPARE(recovery.found->art, sample());
        QCOMPARE(recovery.found->file, QStringLiteral("a.qcg"));
        // Now it is the third window's: nobody else takes it, and saving removes it.
        QVERIFY(!RecoveryStore(folder).takeOver().found);
        third.discard();
        third.flush();
        QCOMPARE(recoveryFiles(folder).size(), 1);
    }
    void unreadableFileIsKeptAsideAndReported() {
        QTemporaryDir dir;
        QFile bad(dir.filePath(QStringLiteral("old") + QLatin1String(RecoveryStore::Suffix)));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(encodeRecovery(sample(), QString()).chopped(3));
        bad.close();
        const Recovery recovery = RecoveryStore(dir.path()).takeOver();
        QVERIFY(!recovery.found);
        QVERIFY(recovery.problem.contains(QStringLiteral("se guardó aparte")));
        QVERIFY(recoveryFiles(dir.path()).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.ilegible")}).size(), 1);
    }
};
TORVO_TEST(RecoveryTest)
#include "RecoveryTest.moc"
