#include "send/TypistChoice.h"
#include "TestRegistry.h"
#include "send/RecordingTypist.h"

#include <QTest>

using namespace torvo;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// A fake back end: the outcome it reports, and a count of the times it was asked.
struct FakeBackEnd {
    Route::Outcome outcome;
    QString error;
    std::shared_ptr<int> asked = std::make_shared<int>(0);
    RouteProbe probe() const {
        return [*this] {
            ++*asked;
            Route r;
            r.outcome = outcome;
            r.error = error;
            if (outcome == Route::Ready) r.typist = std::make_unique<RecordingTypist>();
            return r;
        };
    }
};

const QString WaylandRefusal = QStringLiteral(
    "No se puede enviar: la ventana activa es de Wayland y este escritorio no deja escribir en ella.");

} // namespace

class TypistChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void firstReadyBackEndTypesAndLaterOnesAreNotAsked_data() {
        QTest::addColumn<std::vector<int>>("outcomes"); // X11, virtual keyboard, portal
        QTest::addColumn<int>("chosen");                // index, or -1
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<QString>("message");
        const int R = Route::Ready, O = Route::OtherWindow, A = Route::Absent, B = Route::Broken;
        QTest::newRow("X11 window focused") << std::vector{R, R, R} << 0 << true << QString();
        QTest::newRow("Wayland window focused, virtual keyboard")
            << std::vector{O, R, R} << 1 << true << QString();
        QTest::newRow("Wayland window focused, only the portal")
            << std::vector{O, A, R} << 2 << true << QString();
        QTest::newRow("native window, no X11 at all") << std::vector{A, R, A} << 1 << true << QString();
        QTest::newRow("refused virtual keyboard, the portal types")
            << std::vector{O, B, R} << 2 << true << QString();
        QTest::newRow("Wayland window, nothing offered")
            << std::vector{O, A, A} << -1 << true << WaylandRefusal;
        QTest::newRow("X11 desktop, no window focused")
            << std::vector{O, A, A} << -1 << false
            << QStringLiteral("No se puede enviar: ninguna ventana tiene el foco del teclado.");
        QTest::newRow("no desktop at all")
            << std::vector{A, A, A} << -1 << false
            << QStringLiteral("No se puede enviar: esta sesión no tiene una pantalla donde escribir.");
        QTest::newRow("a failure says why") << std::vector{O, B, A} << -1 << true << QStringLiteral("roto 1");
        QTest::newRow("the editor focused: nothing more is asked")
            << std::vector{int(Route::OwnWindow), R, R} << -1 << false
            << QStringLiteral("Envío: la ventana enfocada es Torvo; no se envió nada.");
    }
    void firstReadyBackEndTypesAndLaterOnesAreNotAsked() {
        QFETCH(std::vector<int>, outcomes);
        QFETCH(int, chosen);
        QFETCH(bool, wayland);
        QFETCH(QString, message);
        std::vector<FakeBackEnd> backEnds;
        std::vector<RouteProbe> probes;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            backEnds.push_back({Route::Outcome(outcomes[i]), QStringLiteral("roto %1").arg(i)});
            probes.push_back(backEnds.back().probe());
        }
        const Result<std::unique_ptr<Typist>> typist = chooseTypist(probes, wayland);
        QCOMPARE(typist.ok() && *typist, chosen >= 0);
        QCOMPARE(typist.why(), message);
        const auto own = std::find(outcomes.begin(), outcomes.end(), int(Route::OwnWindow));
        const int lastAsked = chosen >= 0             ? chosen
                              : own != outcomes.end() ? int(own - outcomes.begin())
                                                      : int(outcomes.size()) - 1;
        for (int i = 0; i < int(backEnds.size()); ++i)
            QCOMPARE(*backEnds[std::size_t(i)].asked, i <= lastAsked ? 1 : 0);
    }
    // Which refusal the user reads depends on it.
    void waylandSessionFromTheEnvironment() {
        const QByteArray display = qgetenv("WAYLAND_DISPLAY"), type = qgetenv("XDG_SESSION_TYPE");
        const struct {
            const char* display;
            const char* type;
            bool wayland;
        } cases[] = {{"", "", false}, {"", "x11", false}, {"", "wayland", true}, {"wayland-0", "x11", true}};
        for (const auto& c : cases) {
            qputenv("WAYLAND_DISPLAY", c.display);
            qputenv("XDG_SESSION_TYPE", c.type);
            QCOMPARE(isWaylandSession(), c.wayland);
        }
        qputenv("WAYLAND_DISPLAY", display);
        qputenv("XDG_SESSION_TYPE", type);
    }
};
TORVO_TEST(TypistChoiceTest)
#include "TypistChoiceTest.moc"
