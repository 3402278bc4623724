#include "FormFixture.h"
#include "TestRegistry.h"
#include "WorkedExample.h"
#include "chat/ChatTarget.h"
#include "chat/DiscordArt.h"
#include "chat/IrcArt.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>

using namespace torvo;
using namespace torvo::chat;

namespace {
const Palette P;

void choose(const FormFixture& f, const char* action) {
    f.control<QAction>(action)->trigger();
}
QString clipboard() {
    return QGuiApplication::clipboard()->text();
}

// Records every line typed, shared with the test.
struct Lines {
    std::shared_ptr<std::vector<std::vector<KeyAction>>> typed =
        std::make_shared<std::vector<std::vector<KeyAction>>>();
    Form1::TypistFactory factory() {
        return [sink = typed]() -> Result<std::unique_ptr<Typist>> {
            struct Forward : Typist {
                std::shared_ptr<std::vector<std::vector<KeyAction>>> sink;
                Result<void> perform(const std::vector<KeyAction>& actions) override {
                    sink->push_back(actions);
                    return {};
                }
            };
            auto t = std::make_unique<Forward>();
            t->sink = sink;
            return t;
        };
    }
};
} // namespace

class ChatPanelTest : public QObject {
    Q_OBJECT
private slots:
    // Each target's text on the tab and on the clipboard, its name on the tab and in the
    // status bar, kept for the next start; back to the own codes, today's text byte for byte.
    void eachTargetOnTheTab() {
        const RichText art = test::workedExample(true);
        FormFixture f;
        f.form->show();
        f.setArt(art);
        f.chooseTab(3);
        const QString own = f.BoxCopy()->toPlainText();
        const struct {
            const char* action;
            const char16_t* caption;
            QString text, copied;
        } cases[] = {
            {"mnuDestinoIrc", u"IRC (mIRC)", ircLines(art, P).join(u'\n') + u'\n', {}},
            {"mnuDestinoTerminal", u"Terminal (ANSI)", terminalText(art, P), {}},
            {"mnuDestinoDiscord", u"Discord", discordBlocks(art, P).blocks.join(QStringLiteral("\n\n")),
             discordBlocks(art, P).blocks.front()},
            {"mnuDestinoPropios", u"Códigos propios", own, {}},
        };
        for (const auto& c : cases) {
            choose(f, c.action);
            QCOMPARE(f.BoxCopy()->toPlainText(), c.text);
            const QString name = QStringLiteral("Destino: ") + QString::fromUtf16(c.caption);
            QCOMPARE(f.control<QLabel>("destinoEstado")->text(), name);
            QVERIFY(name.endsWith(f.control<QLabel>("destinoPestana")->text()));
            QTest::mouseClick(f.control<QPushButton>("Copiar"), Qt::LeftButton);
            QCOMPARE(clipboard(), c.copied.isEmpty() ? c.text : c.copied);
            FormFixture next;
            QVERIFY(next.control<QAction>(c.action)->isChecked());
        }
    }

    // Copiar gives Discord's blocks in turn, and round again; the preview is the art in
    // Discord's colours; a line too long for a block is noted.
    void discordBlocksInTurn() {
        RichText art;
        for (int n : {1500, 1500, 2500}) {
            art.appendText(QString(n, u'x'), P[3]);
            art.appendLineBreak();
        }
        FormFixture f;
        f.form->show();
        f.setArt(art);
        choose(f, "mnuDestinoDiscord");
        f.chooseTab(3);
        const DiscordBlocks blocks = discordBlocks(art, P);
        QCOMPARE(blocks.blocks.size(), 4);
        for (int i : {0, 1, 2, 3, 0}) {
            QTest::mouseClick(f.control<QPushButton>("Copiar"), Qt::LeftButton);
            QCOMPARE(clipboard(), blocks.blocks[i]);
            QCOMPARE(f.status(), QStringLiteral("Bloque %1 de 4 copiado. Una línea no cabía en un bloque: va "
                                                "partida entre dos.")
                                     .arg(i + 1));
        }
        auto* preview = f.control<QPlainTextEdit>("DiscordPreview");
        QVERIFY(preview->isVisible());
        QCOMPARE(snapshotDocument(*preview->document(), colours::White, true), discordPreview(art, P));
        choose(f, "mnuDestinoIrc");
        QVERIFY(!preview->isVisible());
    }

    // IRC and terminal art is typed one line per call, the colour key as chosen; Escape calls
    // the rest off; Discord takes no keys at all.
    void sendingLineByLine() {
        RichText art = test::workedExample(true);
        art.appendText(u"third", P[4]);
        for (const char* key : {"mnuTeclaCtrlC", "mnuTeclaCtrlK"}) {
            FormFixture f;
            Lines lines;
            f.form->setTypistFactory(lines.factory());
            f.form->show();
            f.setArt(art);
            choose(f, "mnuDestinoIrc");
            choose(f, key);
            f.form->Enviar_Click();
            for (int tick = 0; tick < 6; ++tick)
                f.form->Timer1_Timer();
            const auto expected = lineKeys(
                ircLines(art, P), QByteArray(key).endsWith("CtrlC") ? ColourKey::CtrlC : ColourKey::CtrlK);
            QCOMPARE(*lines.typed, std::vector(expected.begin(), expected.begin() + 1));
            QTRY_COMPARE(f.status(), QStringLiteral("Enviado."));
            QCOMPARE(*lines.typed, expected);
        }
        FormFixture f;
        Lines lines;
        f.form->setTypistFactory(lines.factory());
        f.form->show();
        f.setArt(art);
        choose(f, "mnuDestinoTerminal");
        f.form->Enviar_Click();
        for (int tick = 0; tick < 6; ++tick)
            f.form->Timer1_Timer();
        f.keys(f.Mensaje(), QKeySequence(Qt::Key_Escape));
        QCOMPARE(f.status(), QStringLiteral("Envío cancelado."));
        QCOMPARE(*lines.typed, std::vector<std::vector<KeyAction>>{
                                   lineKeys(*typedLines(Target::Terminal, art, P)).front()});

        choose(f, "mnuDestinoDiscord");
        f.form->Enviar_Click();
        QCOMPARE(
            f.status(),
            QStringLiteral("Discord no deja escribir el carácter de escape: usa Copiar en «Copy & Paste»."));
        QCOMPARE(f.form->sendCounter(), 0);
        QVERIFY(f.control<QLabel>("Label1")->text().isEmpty());
    }

    // "Abrir" reads IRC art; "Guardar" with a .irc name writes it, and the art stays unsaved:
    // the file keeps the picture, not the colour of every space.
    void ircFiles() {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.irc"), out = dir.filePath("out.IRC");
        QVERIFY(writeBytes(in, "\x03"
                               "04,05ab\r\n\x03"
                               "09c\r\n"));
        FormFixture f;
        QVERIFY(f.form->openPath(in));
        QCOMPARE(f.status(),
                 QStringLiteral("Abierto «in.irc». Se quitó el fondo de color de 2 celdas: el texto "
                                "no lleva fondos."));
        RichText read;
        read.appendText(u"ab", P[2]);
        read.appendLineBreak();
        read.appendText(u"c", P[4]);
        read.appendLineBreak();
        QCOMPARE(f.form->BackBox(), read);
        f.setArt(test::workedExample(true));
        f.answerDialogs(out);
        f.form->mnuSave_Click();
        QCOMPARE(bytesOf(out), ircFile(test::workedExample(true), P));
        QCOMPARE(f.status(), QStringLiteral("Guardado «out.IRC»."));
        QVERIFY(f.form->isArtModified());
        QCOMPARE(f.form->artFile(), in);
    }
};
TORVO_TEST(ChatPanelTest)
#include "ChatPanelTest.moc"
