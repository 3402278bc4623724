#include "TestRegistry.h"
#include "send/portal/PortalTypist.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
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

    uint availableDeviceTypes() const { return behaviour().deviceTypes; }
    uint version() const { return 2; }

    Behaviour behaviour() const {
        QMutexLocker lock(&mutex_);
        return behaviour_;
    }
    void setBehaviour(const Behaviour& b) {
        QMutexLocker lock(&mutex_);
        behaviour_ = b;
    }
    Record record() const {
        QMutexLocker lock(&mutex_);
        return record_;
    }
    void clearRecord() {
        QMutexLocker lock(&mutex_);
        record_ = {};
    }

    // Connects to the bus at `address` in a thread of its own and takes the portal's name.
    bool start(const QString& address) {
        moveToThread(&thread_);
        thread_.start();
        bool ok = false;
        QMetaObject::invokeMethod(
            this,
            [this, address, &ok] {
                bus_ = std::make_unique<QDBusConnection>(
                    QDBusConnection::connectToBus(address, QStringLiteral("portal-stand-in")));
                ok = bus_->isConnected() &&
                     bus_->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                          QDBusConnection::ExportAllSlots |
                                              QDBusConnection::ExportAllProperties) &&
                     bus_->registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
            },
            Qt::BlockingQueuedConnection);
        return ok;
    }
    void stop() {
        QMetaObject::invokeMethod(
            this,
            [this] {
                bus_.reset();
                QDBusConnection::disconnectFromBus(QStringLiteral("portal-stand-in"));
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options) {
        note(QStringLiteral("CreateSession"));
        const QString session =
            QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                .arg(sender(), options.value(QStringLiteral("session_handle_token")).toString());
        bus_->registerObject(session, QStringLiteral("org.freedesktop.portal.Session"), this,
                             QDBusConnection::ExportAllSlots);
        return answer(options, 0, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath SelectDevices(const QDBusObjectPath&, const QVariantMap& options) {
        note(QStringLiteral("SelectDevices"));
        {
            QMutexLocker lock(&mutex_);
            record_.selectOptions = options;
        }
        return answer(options, 0, {});
    }
    QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options) {
        note(QStringLiteral("Start"));
        const Behaviour b = behaviour();
        QVariantMap results{{QStringLiteral("devices"), b.grantedDevices}};
        if (!b.nextToken.isEmpty()) results.insert(QStringLiteral("restore_token"), b.nextToken);
        return answer(options, b.startResponse, results);
    }
    void NotifyKeyboardKeysym(const QDBusObjectPath&, const QVariantMap&, int keysym, uint state) {
        QMutexLocker lock(&mutex_);
        record_.keys.emplace_back(keysym, state);
    }
    void Close() {
        QMutexLocker lock(&mutex_);
        ++record_.closed;
    }

private:
    QString sender() const {
        QString s = message().service().mid(1);
        return s.replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    void note(const QString& call) {
        QMutexLocker lock(&mutex_);
        record_.calls << call;
    }
    // The Request object's path for this call, and its Response sent after the reply.
    QDBusObjectPath answer(const QVariantMap& options, uint response, const QVariantMap& results) {
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender(), options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(0, this, [this, path, response, results] {
            QDBusMessage signal = QDBusMessage::createSignal(
                path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            signal << response << results;
            bus_->send(signal);
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

namespace {
constexpr int Ctrl = 0xffe3;
} // namespace

class SendPortalTest : public QObject {
    Q_OBJECT
    QProcess busDaemon;
    QString address;
    test::PortalStandIn portal;
    std::unique_ptr<QDBusConnection> bus;

    std::unique_ptr<Typist> portalTypist(PortalTypist::KeysymProbe keysyms = {}) {
        Route r = PortalTypist::route(*bus, std::move(keysyms));
        return r.outcome == Route::Ready ? std::move(r.typist) : nullptr;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("not installed: dbus-daemon");
        // The restore token goes to the settings: the tests' own (test mode), never the user's.
        QCoreApplication::setOrganizationName(QStringLiteral("torvo"));
        QCoreApplication::setApplicationName(QStringLiteral("torvo"));
        QSettings().remove(PortalTypist::restoreTokenKey());

        busDaemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(busDaemon.waitForReadyRead(10000));
        address = QString::fromUtf8(busDaemon.readLine()).trimmed();
        QVERIFY(portal.start(address));
        bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("editor")));
        QVERIFY(bus->isConnected());
    }
    void cleanupTestCase() {
        if (!bus) return;
        bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("editor"));
        portal.stop();
        busDaemon.terminate();
        busDaemon.waitForFinished(5000);
    }
    void init() {
        portal.setBehaviour({});
        portal.clearRecord();
    }

    void firstSendAsksThenLaterSendsRestoreTheSession() {
        {
            auto typist = portalTypist();
            QVERIFY(typist);
            QVERIFY(portal.record().calls.isEmpty()); // no dialog before there is something to send
            const Result<void> sent = sendKeys(*typist, QStringLiteral("aé^c"));
            QVERIFY2(sent, qPrintable(sent.why()));
            QCOMPARE(typist->doneMessage(), QStringLiteral("Enviado."));
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
        QCOMPARE(QSettings().value(PortalTypist::restoreTokenKey()).toString(), QStringLiteral("token-1"));

        // The next send hands the token back, and keeps the new one it gets.
        portal.clearRecord();
        portal.setBehaviour({7, 0, 1, QStringLiteral("token-2")});
        auto again = portalTypist();
        QVERIFY(again);
        const Result<void> sent = sendKeys(*again, QStringLiteral("b"));
        QVERIFY2(sent, qPrintable(sent.why()));
        QCOMPARE(portal.record().selectOptions.value("restore_token").toString(), QStringLiteral("token-1"));
        QCOMPARE(QSettings().value(PortalTypist::restoreTokenKey()).toString(), QStringLiteral("token-2"));
    }
    void refusalsAreReportedAndNothingIsTyped_data() {
        QTest::addColumn<uint>("deviceTypes");
        QTest::addColumn<uint>("startResponse");
        QTest::addColumn<uint>("granted");
        QTest::addColumn<QString>("says"); // empty: the portal is not offered at all
        QTest::newRow("cancelled in the dialog") << 7u << 1u << 1u << QStringLiteral("cancelado");
        QTest::newRow("portal failed") << 7u << 2u << 1u << QStringLiteral("rechazado");
        QTest::newRow("keyboard not granted") << 7u << 0u << 2u << QStringLiteral("teclado");
        QTest::newRow("no keyboard offered") << 6u << 0u << 1u << QString();
    }
    void refusalsAreReportedAndNothingIsTyped() {
        QFETCH(uint, deviceTypes);
        QFETCH(uint, startResponse);
        QFETCH(uint, granted);
        QFETCH(QString, says);
        portal.setBehaviour({deviceTypes, startResponse, granted, QString()});
        auto typist = portalTypist();
        QCOMPARE(bool(typist), !says.isEmpty());
        if (typist) {
            const QString error = sendKeys(*typist, QStringLiteral("abc")).why();
            QVERIFY2(error.contains(says) && !error.contains(QLatin1Char('\n')), qPrintable(error));
        }
        QVERIFY(portal.record().keys.empty());
    }
    void noPortalOnTheBusIsNotOffered() {
        QDBusConnection empty = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                              QStringLiteral("nowhere"));
        QCOMPARE(PortalTypist::route(empty, {}).outcome, Route::Absent);
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
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
                 QStringLiteral("Enviado, salvo 3 caracteres que el teclado del escritorio no tiene."));
    }
};
TORVO_TEST(SendPortalTest)
#include "SendPortalTest.moc"
