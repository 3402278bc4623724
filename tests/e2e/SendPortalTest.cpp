#include "TestRegistry.h"
#include "send/portal/PortalTypist.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMutex>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <utility>
#include <vector>

// A stand-in for the desktop portal's remote desktop, on a private D-Bus bus: it answers
// as the portal does (a Request object per call, answered by its Response signal) and
// keeps what it was asked. It runs in a thread of its own, as the real one runs in a
// process of its own, so that the caller may block on its answers.

namespace torvo::test {

class PortalStandIn : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes)
    Q_PROPERTY(uint version READ version)

public:
    // What the stand-in answers; set before a test sends.
    struct Behaviour {
        uint deviceTypes = 7;
        uint startResponse = 0; // 0 allowed, 1 cancelled by the user, 2 failed
        uint grantedDevices = 1;
        QString nextToken = QStringLiteral("token-1");
    };
    // What it was asked.
    struct Record {
        QStringList calls;
        QVariantMap selectOptions;
        std::vector<std::pair<int, uint>> keys; // keysym, pressed
        int closed = 0;
    };

    // Runs `f` under the lock: the bus calls come on the stand-in's own thread.
    template <class F> auto locked(F f) const {
        QMutexLocker lock(&mutex_);
        return f();
    }
    uint availableDeviceTypes() const { return behaviour().deviceTypes; }
    uint version() const { return 2; }
    Behaviour behaviour() const {
        return locked([this] { return behaviour_; });
    }
    Record record() const {
        return locked([this] { return record_; });
    }
    // Answers as `b` from now on, with nothing asked yet.
    void reset(const Behaviour& b) {
        locked([&] {
            behaviour_ = b;
            record_ = {};
        });
    }

    // Connects to the bus at `address` and takes the portal's name; the calls come on a
    // thread of the stand-in's own.
    bool start(const QString& address) {
        moveToThread(&thread_);
        thread_.start();
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "stand-in"));
        return bus_->registerObject("/org/freedesktop/portal/desktop", this,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
               bus_->registerService("org.freedesktop.portal.Desktop");
    }
    void stop() {
        thread_.quit();
        thread_.wait();
        bus_.reset();
        QDBusConnection::disconnectFromBus("stand-in");
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options) {
        const QString session = "/org/freedesktop/portal/desktop/session/" + sender() + "/" +
                                options.value("session_handle_token").toString();
        bus_->registerObject(session, "org.freedesktop.portal.Session", this,
                             QDBusConnection::ExportAllSlots);
        return answer(options, 0, {{"session_handle", session}});
    }
    QDBusObjectPath SelectDevices(const QDBusObjectPath&, const QVariantMap& options) {
        locked([&] { record_.selectOptions = options; });
        return answer(options, 0, {});
    }
    QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options) {
        const Behaviour b = behaviour();
        QVariantMap results{{"devices", b.grantedDevices}};
        if (!b.nextToken.isEmpty()) results.insert("restore_token", b.nextToken);
        return answer(options, b.startResponse, results);
    }
    void NotifyKeyboardKeysym(const QDBusObjectPath&, const QVariantMap&, int keysym, uint state) {
        locked([&] { record_.keys.emplace_back(keysym, state); });
    }
    void Close() {
        locked([this] { ++record_.closed; });
    }

private:
    QString sender() const { return message().service().mid(1).replace('.', '_'); }
    // Notes the call; the Request object's path for it, and its Response sent after the reply.
    QDBusObjectPath answer(const QVariantMap& options, uint response, const QVariantMap& results) {
        locked([&] { record_.calls << message().member(); });
        const QString path = "/org/freedesktop/portal/desktop/request/" + sender() + "/" +
                             options.value("handle_token").toString();
        QTimer::singleShot(0, this, [this, path, response, results] {
            QDBusMessage signal =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            bus_->send(signal << response << results);
        });
        return QDBusObjectPath(path);
    }

    mutable QMutex mutex_;
    Behaviour behaviour_;
    Record record_;
    QThread thread_;
    std::unique_ptr<QDBusConnection> bus_;
};

} // namespace torvo::test

using namespace torvo;

class SendPortalTest : public QObject {
    Q_OBJECT
    static constexpr int Ctrl = 0xffe3; // its keysym
    QProcess busDaemon;
    test::PortalStandIn portal;
    std::unique_ptr<QDBusConnection> bus;

    std::unique_ptr<Typist> portalTypist(PortalTypist::KeysymProbe keysyms = {}) {
        Route r = PortalTypist::route(*bus, std::move(keysyms));
        return r.outcome == Route::Ready ? std::move(r.typist) : nullptr;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) QSKIP("not installed: dbus-daemon");
        // The restore token goes to the settings: the tests' own (test mode), never the user's.
        QCoreApplication::setOrganizationName("torvo");
        QCoreApplication::setApplicationName("torvo");
        QSettings().remove(PortalTypist::restoreTokenKey());
        busDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY(busDaemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(busDaemon.readLine()).trimmed();
        QVERIFY(portal.start(address));
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "editor"));
        QVERIFY(bus->isConnected());
    }
    void cleanupTestCase() {
        if (!bus) return;
        bus.reset();
        QDBusConnection::disconnectFromBus("editor");
        portal.stop();
        busDaemon.terminate();
        busDaemon.waitForFinished(5000);
    }
    void init() { portal.reset({}); }

    void firstSendAsksThenLaterSendsRestoreTheSession() {
        {
            auto typist = portalTypist();
            QVERIFY(typist);
            QVERIFY(portal.record().calls.isEmpty()); // no dialog before there is something to send
            const Result<void> sent = sendKeys(*typist, u"aé^c"_qs);
            QVERIFY2(sent, qPrintable(sent.why()));
            QCOMPARE(typist->doneMessage(), u"Enviado."_qs);
        }
        test::PortalStandIn::Record r = portal.record();
        QCOMPARE(r.calls, (QStringList{"CreateSession", "SelectDevices", "Start"}));
        QCOMPARE(r.selectOptions.value("types").toUInt(), 1u);
        QCOMPARE(r.selectOptions.value("persist_mode").toUInt(), 2u);
        QVERIFY(!r.selectOptions.contains("restore_token"));
        const std::vector<std::pair<int, uint>> keys{{'a', 1},  {'a', 0}, {0xe9, 1}, {0xe9, 0},
                                                     {Ctrl, 1}, {'c', 1}, {'c', 0},  {Ctrl, 0}};
        QCOMPARE(r.keys, keys);
        QCOMPARE(r.closed, 1);
        // Kept in the settings, inside the test's own configuration folder.
        QCOMPARE(QSettings().value(PortalTypist::restoreTokenKey()).toString(), u"token-1"_qs);

        // The next send hands the token back, and keeps the new one it gets.
        portal.reset({7, 0, 1, QStringLiteral("token-2")});
        auto again = portalTypist();
        QVERIFY(again);
        const Result<void> sent = sendKeys(*again, "b");
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(portal.record().selectOptions.value("restore_token").toString(), u"token-1"_qs);
        QCOMPARE(QSettings().value(PortalTypist::restoreTokenKey()).toString(), u"token-2"_qs);
    }
    void refusalsAreReportedAndNothingIsTyped() {
        const struct {
            test::PortalStandIn::Behaviour portal;
            const char* says;                      // null: the portal is not offered at all
        } cases[] = {{{7, 1, 1, {}}, "cancelado"}, // in the dialog
                     {{7, 2, 1, {}}, "rechazado"}, // the portal failed
                     {{7, 0, 2, {}}, "teclado"},   // the keyboard was not granted
                     {{6, 0, 1, {}}, nullptr}};    // no keyboard offered
        for (const auto& c : cases) {
            portal.reset(c.portal);
            auto typist = portalTypist();
            QCOMPARE(bool(typist), c.says != nullptr);
            const QString error = typist ? sendKeys(*typist, "abc").why() : QString();
            QVERIFY2(!typist || (error.contains(c.says) && !error.contains('\n')), qPrintable(error));
            QVERIFY(portal.record().keys.empty());
        }
        QDBusConnection empty = QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "nowhere");
        QCOMPARE(PortalTypist::route(empty, {}).outcome, Route::Absent); // no portal on the bus
        QDBusConnection::disconnectFromBus("nowhere");
    }
    void charactersTheDesktopLacksAreCountedNotTyped() {
        auto typist = portalTypist([] {
            return std::optional<std::vector<quint32>>({'a', 'b', 'v', 0xff0d});
        });
        QVERIFY(typist);
        const Result<void> sent = sendKeys(*typist, QStringLiteral("a\u263Ab{ENTER}\u263A\U0001F600"));
        QVERIFY2(sent, qPrintable(sent.why()));
        const std::vector<std::pair<int, uint>> keys{{'a', 1}, {'a', 0},    {'b', 1},
                                                     {'b', 0}, {0xff0d, 1}, {0xff0d, 0}};
        QCOMPARE(portal.record().keys, keys);
        QCOMPARE(typist->doneMessage(),
                 u"Enviado, salvo 3 caracteres que el teclado del escritorio no tiene."_qs);
    }
};
TORVO_TEST(SendPortalTest)
#include "SendPortalTest.moc"
