#include "FormFixture.h"
#include "TestRegistry.h"
#include "send/TypistChoice.h"

#include <QPushButton>

using namespace torvo;

namespace {
const Palette P;

// A typist that records what would have been typed, shared with the test.
struct Recorder {
    std::shared_ptr<std::vector<std::vector<KeyAction>>> calls =
        std::make_shared<std::vector<std::vector<KeyAction>>>();
    Form1::TypistFactory factory() {
        auto sink = calls;
        return [sink]() -> Result<std::unique_ptr<Typist>> {
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

QString typed(const std::vector<KeyAction>& actions) {
    QString s;
    for (const KeyAction& a : actions) {
        if (a.kind == KeyAction::Press)
            s += "<" + a.key + ">";
        else {
            if (a.modifiers & 1) s += "C-";
            appendCodePoint(s, a.ch);
        }
    }
    return s;
}
} // namespace

class SendTest : public QObject {
    Q_OBJECT
private slots:
    void countdownThenOneSend() {
        FormFixture f;
        Recorder rec;
        f.form->setTypistFactory(rec.factory());
        f.form->show();
        f.setArt(art({{u"Hi "_qs, P[0]}, {u"^"_qs, P[2]}, {u"\r\nok"_qs, P[12]}}));
        f.chooseTab(3);
        auto* label = f.control<QLabel>("Label1");
        f.form->Enviar_Click();
        QCOMPARE(f.SSTab1()->Tab(), 0);
        const char* digits[] = {"5", "4", "3", "2", "1"};
        const Colour colours[] = {P[6], P[6], P[6], P[2], P[2]};
        for (int tick = 0; tick < 5; ++tick) {
            f.form->Timer1_Timer();
            QCOMPARE(label->text(), QString::fromLatin1(digits[tick]));
            QCOMPARE(Colour::fromQColor(label->palette().color(QPalette::WindowText)), colours[tick]);
        }
        QVERIFY(rec.calls->empty());
        f.form->Timer1_Timer();
        QCOMPARE(label->text(), QString());
        QCOMPARE(f.form->sendCounter(), 0);
        QCOMPARE(int(rec.calls->size()), 1);
        // caret W H i space caret R caret Enter caret R Ctrl+V G o k Enter Ctrl+V G
        QCOMPARE(typed(rec.calls->front()), QStringLiteral("^WHi ^R^<ENTER>^RC-vGok<ENTER>C-vG"));
    }
    void secondClickOrEscapeCancels() {
        for (bool escape : {false, true}) {
            FormFixture f;
            Recorder rec;
            f.form->setTypistFactory(rec.factory());
            f.form->show();
            f.setArt(art({{u"a"_qs, P[0]}}));
            f.form->Enviar_Click();
            f.form->Timer1_Timer();
            if (escape)
                f.keys(f.Mensaje(), QKeySequence(Qt::Key_Escape));
            else
                QTest::mouseClick(f.control<QPushButton>("Enviar"), Qt::LeftButton);
            QCOMPARE(f.control<QLabel>("Label1")->text(), QString());
            QCOMPARE(f.status(), u"Envío cancelado."_qs);
            QTest::qWait(1200); // the timer is stopped: nothing is ever typed
            QVERIFY(rec.calls->empty());
            QCOMPARE(f.form->sendCounter(), 0);
        }
    }
    void emptyArtSendsTheEmptyString() {
        FormFixture f;
        Recorder rec;
        f.form->setTypistFactory(rec.factory());
        f.form->show();
        f.form->Enviar_Click();
        for (int i = 0; i < 6; ++i)
            f.form->Timer1_Timer();
        QCOMPARE(int(rec.calls->size()), 1);
        QVERIFY(rec.calls->front().empty());
    }
    // Left to the desktop, a send with the editor itself in front types nothing and says so.
    void theEditorInFrontIsNotTypedInto() {
        FormFixture f;
        f.form->show();
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.setArt(art({{u"a"_qs, P[0]}}));
        f.form->Enviar_Click();
        for (int i = 0; i < 6; ++i)
            f.form->Timer1_Timer();
        QCOMPARE(f.status(), u"Envío: la ventana enfocada es Torvo; no se envió nada."_qs);
        QCOMPARE(f.viewArt().plainText(), u"a\r\n"_qs);
    }
    void statusLineSaysWhatHappened_data() {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("failure"); // of the typing itself
        QTest::addColumn<QString>("status");
        QTest::newRow("typed") << int(Route::Ready) << QString() << QStringLiteral("Enviado.");
        QTest::newRow("typing failed")
            << int(Route::Ready) << QStringLiteral("falló") << QStringLiteral("falló");
        QTest::newRow("no back end reaches the window")
            << int(Route::OtherWindow) << QString()
            << QStringLiteral("No se puede enviar: la ventana activa es de Wayland y este escritorio no deja "
                              "escribir en ella.");
    }
    void statusLineSaysWhatHappened() {
        QFETCH(int, outcome);
        QFETCH(QString, failure);
        QFETCH(QString, status);
        FormFixture f;
        f.form->setTypistFactory([&] {
            const RouteProbe probe = [&] {
                Route r;
                r.outcome = Route::Outcome(outcome);
                if (r.outcome == Route::Ready) {
                    auto t = std::make_unique<RecordingTypist>();
                    if (!failure.isEmpty()) t->setFailure(failure);
                    r.typist = std::move(t);
                }
                return r;
            };
            return chooseTypist({probe}, true);
        });
        f.form->show();
        f.setArt(art({{u"a"_qs, P[0]}}));
        f.form->Enviar_Click();
        for (int i = 0; i < 6; ++i)
            f.form->Timer1_Timer();
        QCOMPARE(f.status(), status);
    }
};
TORVO_TEST(SendTest)
#include "SendTest.moc"
