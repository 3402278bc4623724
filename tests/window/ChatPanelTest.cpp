#include "ArtText.h"
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
#include <QSettings>
#include <QTemporaryDir>

using namespace torvo;
using namespace torvo::chat;

namespace {
const Palette P;
void choose(const FormFixture& f, const char* action) {
    f.control<QAction>(action)->trigger();
}
QString copy(const FormFixture& f) {
    QTest::mouseClick(f.control<QPushButton>("Copiar"), Qt::LeftButton);
    return QGuiApplication::clipboard()->text();
}
// The countdown run through.
void send(const FormFixture& f) {
    f.form->Enviar_Click();
    for (int tick = 0; tick < 6; ++tick)
        f.form->Timer1_Timer();
}
} // namespace

class ChatPanelTest : public QObject {
    Q_OBJECT
private slots:
    // The target chosen here would be the next window's, in the programs the other tests run.
    void cleanup() { QSettings().clear(); }
    // Each target's text on the tab and the clipboard, its name on the tab and in the status
    // bar, kept for the next start; back to the own codes, today's text byte for byte.
    void eachTargetOnTheTab() {
        const RichText art = test::workedExample(true);
        FormFixture f;
        f.form->show();
        f.setArt(art);
        f.chooseTab(3);
        const QString own = f.BoxCopy()->toPlainText();
        const QStringList discord = discordBlocks(art, P).blocks;
        const struct {
            const char* action;
            QString name, text, copied;
        } cases[] = {
            {"mnuDestinoIrc", "IRC (mIRC)", ircLines(art, P).join('\n') + '\n', {}},
            {"mnuDestinoTerminal", "Terminal (ANSI)", terminalText(art, P), {}},
            {"mnuDestinoDiscord", "Discord", discord.join("\n\n"), discord.front()},
            {"mnuDestinoPropios", "Códigos propios", own, {}},
        };
        for (const auto& c : cases) {
            choose(f, c.action);
            QCOMPARE(f.BoxCopy()->toPlainText(), c.text);
            QCOMPARE(copy(f), c.copied.isEmpty() ? c.text : c.copied);
            QCOMPARE(f.control<QLabel>("destinoEstado")->text(), "Destino: " + c.name);
            QVERIFY(("Destino: " + c.name).endsWith(f.control<QLabel>("destinoPestana")->text()));
            QVERIFY(FormFixture().control<QAction>(c.action)->isChecked());
        }
    }

    // Copiar gives Discord's blocks in turn, and round again, noting a line split between two;
    // the preview shows the art in Discord's colours, with Discord only.
    void discordBlocksInTurn() {
        const RichText art = test::artText(QString(1500, u'x') + '\n' + QString(1500, u'y') + '\n' +
                                           QString(2500, u'z') + '\n');
        FormFixture f;
        f.form->show();
        f.setArt(art);
        choose(f, "mnuDestinoDiscord");
        f.chooseTab(3);
        const QStringList blocks = discordBlocks(art, P).blocks;
        QCOMPARE(blocks.size(), 4);
        for (int i : {0, 1, 2, 3, 0}) {
            QCOMPARE(copy(f), blocks[i]);
            QCOMPARE(f.status(),
                     QStringLiteral("Bloque %1 de 4 copiado. Una línea no cabía en un bloque: va partida "
                                    "entre dos.")
                         .arg(i + 1));
        }
        auto* preview = f.control<QPlainTextEdit>("DiscordPreview");
        QCOMPARE(snapshotDocument(*preview->document(), colours::White, true), discordPreview(art, P));
        QVERIFY(preview->isVisible());
        choose(f, "mnuDestinoIrc");
        QVERIFY(!preview->isVisible());
    }

    // IRC art is typed one line a call with the colour key chosen; Escape calls the rest off;
    // Discord takes no keys at all.
    void sendingLineByLine() {
        const RichText art = test::artText(u"Hi {2}^\n{12}ok\nthird\n");
        FormFixture f;
        Recorder rec;
        f.form->setTypistFactory(rec.factory());
        f.setArt(art);
        choose(f, "mnuDestinoIrc");
        for (const auto& [action, key] :
             {std::pair{"mnuTeclaCtrlC", ColourKey::CtrlC}, {"mnuTeclaCtrlK", ColourKey::CtrlK}}) {
            rec.calls->clear();
            f.form->statusBar()->clearMessage();
            choose(f, action);
            send(f);
            const auto expected = lineKeys(ircLines(art, P), key);
            QCOMPARE(*rec.calls, std::vector(expected.begin(), expected.begin() + 1));
            QTRY_COMPARE(f.status(), QStringLiteral("Enviado."));
            QCOMPARE(*rec.calls, expected);
        }
        rec.calls->clear();
        choose(f, "mnuDestinoTerminal");
        send(f);
        f.keys(f.Mensaje(), QKeySequence(Qt::Key_Escape));
        QCOMPARE(f.status(), QStringLiteral("Envío cancelado."));
        QCOMPARE(rec.calls->size(), std::size_t(1));
        choose(f, "mnuDestinoDiscord");
        f.form->Enviar_Click();
        QVERIFY(f.status().startsWith("Discord no deja escribir el carácter de escape: usa Copiar"));
        QVERIFY(f.control<QLabel>("Label1")->text().isEmpty());
    }

    // "Abrir" reads IRC art; "Guardar" with a .irc name writes it and leaves the art unsaved:
    // the file keeps the picture, not the colour of every space.
    void ircFiles() {
        QTemporaryDir dir;
        const QString in = dir.filePath("in.irc"), out = dir.filePath("out.IRC");
        QVERIFY(writeBytes(in, test::ircText("^C04,05ab\r\n^C09c\r\n").toUtf8()));
        FormFixture f;
        QVERIFY(f.form->openPath(in));
        QCOMPARE(f.form->BackBox(), test::artText(u"{2}ab\n{4}c\n"));
        QVERIFY(f.status().endsWith("Se quitó el fondo de color de 2 celdas: el texto no lleva fondos."));
        f.setArt(test::workedExample(true));
        f.answerDialogs(out);
        f.form->mnuSave_Click();
        QCOMPARE(bytesOf(out), ircFile(test::workedExample(true), P));
        QVERIFY(f.form->isArtModified() && f.form->artFile() == in);
    }
};
TORVO_TEST(ChatPanelTest)
#include "ChatPanelTest.moc"
