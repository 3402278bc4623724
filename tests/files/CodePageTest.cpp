#include "files/CodePage.h"
#include "TestRegistry.h"

#include <QTest>

using namespace torvo;

class CodePageTest : public QObject {
    Q_OBJECT
private slots:
    void everyByteIsOneCharacterAndComesBack() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        for (const CodePage* page : {&CodePage::windows1252(), &CodePage::ibm437()}) {
            const QString text = page->decode(all);
            QCOMPARE(text.size(), 256);
            qsizetype missing = -1;
            QCOMPARE(page->encode(text, &missing), all);
            QCOMPARE(missing, 0);
        }
        QCOMPARE(CodePage::windows1252().decode("\x80\x81\x9F\xA0\xFF"), u"€\u0081Ÿ\u00A0ÿ"_qs);
        QCOMPARE(CodePage::ibm437().decode("\x1B\x80\xA4\xB0\xDB\xFF"), u"\x1BÇñ░█\u00A0"_qs);
    }
    void lackingCharactersBecomeOneQuestionMarkEach() {
        qsizetype missing = 0;
        QCOMPARE(CodePage::ibm437().encode(u"a€😀\xD800"
                                           u"b",
                                           &missing),
                 QByteArray("a???b"));
        QCOMPARE(missing, 3);
        QCOMPARE(CodePage::windows1252().encode(u"€░", &missing), QByteArray("\x80?"));
        QCOMPARE(missing, 1);
    }
};
TORVO_TEST(CodePageTest)
#include "CodePageTest.moc"
