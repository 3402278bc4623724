#include "palette/Palette.h"
#include "TestRegistry.h"
#include "palette/Vocabulary.h"

#include <QTest>

using namespace torvo;

class PaletteTest : public QObject {
    Q_OBJECT
private slots:
    void lookupFindsFirstCodedEntryExactly() {
        Palette p;
        QCOMPARE(p.lookup(Colour{0xFFFFFF}), std::optional<int>(0));
        QCOMPARE(p.lookup(Colour{0xFFFFFE}), std::nullopt); // one bit off
        QCOMPARE(p.lookup(colours::Black), std::nullopt);   // entry 8 has no code
        QCOMPARE(p.lookup(Colour{0x000080}), std::optional<int>(10));
        p.toggleEntry2();
        QCOMPARE(p[2], Palette::DarkRed);
        QCOMPARE(p.lookup(Colour{0x000080}), std::optional<int>(2)); // entry 2 wins over 10
        QCOMPARE(p.lookup(Palette::LightRed), std::nullopt);
        p.toggleEntry2();
        QCOMPARE(p[2], Palette::LightRed);
        QCOMPARE(p, Palette{});
    }
    void swatchOneLooksBlack() {
        Palette p;
        QCOMPARE(p[1], Colour{0x808080});
        QCOMPARE(p.displayColour(1), colours::Black);
        QCOMPARE(p.displayColour(8), colours::Black);
    }
    void vocabularyColumns() {
        using namespace vocabulary;
        QCOMPARE(tagWord(1), QStringLiteral("<black>"));
        QCOMPARE(tagWord(9), QStringLiteral("<lwhite>"));
        QCOMPARE(letterCode(12), QString(QChar(0x16)) + u'G');
        QCOMPARE(sendCode(0), QStringLiteral("{^}W"));
        QCOMPARE(sendCode(1), QStringLiteral("{^}Z"));
        QCOMPARE(sendCode(15), QStringLiteral("^vM"));
        QVERIFY(tagWord(8).isEmpty() && letterCode(8).isEmpty() && sendCode(8).isEmpty());
        for (int i = 0; i < 16; ++i)
            for (int j = i + 1; j < 16; ++j)
                if (i != 8 && j != 8)
                    QVERIFY(tagWord(i) != tagWord(j) && sendCode(i) != sendCode(j) &&
                            letterCode(i) != letterCode(j));
    }
};
TORVO_TEST(PaletteTest)
#include "PaletteTest.moc"
