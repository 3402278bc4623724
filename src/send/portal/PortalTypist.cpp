#include "send/portal/PortalTypist.h"

#include "send/Keysyms.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>
#include <unordered_set>

namespace torvo {
namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString RemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr uint KeyboardDevice = 1;
constexpr uint PersistUntilRevoked = 2;
constexpr int CallTimeoutMs = 10000;

// Waits for one Request object's Response signal.
class ResponseWaiter : public QObject {
    Q_OBJECT
public:
    bool arrived = false;
    uint response = 2;
    QVariantMap results;
    QEventLoop loop;

public slots:
    void onResponse(uint code, const QVariantMap& values) {
        arrived = true;
        response = code;
        results = values;
        loop.quit();
    }
};

QString portalFailure(const QString& why) {
    return QStringLiteral("El portal del escritorio no deja escribir (%1): no se ha enviado nada.").arg(why);
}

} // namespace

PortalTypist::PortalTypist(const QDBusConnection& bus, KeysymProbe desktopKeysyms)
    : bus_(bus), desktopKeysyms_(std::move(desktopKeysyms)) {}

PortalTypist::~PortalTypist() {
    if (!session_.isEmpty())
        bus_.call(QDBusMessage::createMethodCall(Service, session_,
                                                 QStringLiteral("org.freedesktop.portal.Session"),
                                                 QStringLiteral("Close")),
                  QDBus::BlockWithGui, CallTimeoutMs);
}

Route PortalTypist::route(const QDBusConnection& bus, KeysymProbe desktopKeysyms) {
    if (!bus.isConnected()) return {};
    QDBusMessage get = QDBusMessage::createMethodCall(
        Service, DesktopPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << RemoteDesktop << QStringLiteral("AvailableDeviceTypes");
    const QDBusMessage reply = bus.call(get, QDBus::BlockWithGui, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    const uint types = reply.arguments().front().value<QDBusVariant>().variant().toUInt();
    if (!(types & KeyboardDevice)) return {};
    Route r;
    r.outcome = Route::Ready;
    r.typist.reset(new PortalTypist(bus, std::move(desktopKeysyms)));
    return r;
}

Result<QVariantMap> PortalTypist::request(const QString& method, QList<QVariant> args, QVariantMap options,
                                          int timeoutMs) {
    // The answer comes as a signal on a path made of our bus name and a token of ours:
    // listen there before asking, so that a quick answer is not missed.
    const QString token = QStringLiteral("torvo%1_%2").arg(QCoreApplication::applicationPid()).arg(++tokens_);
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    QString path = DesktopPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    ResponseWaiter waiter;
    const QString iface = QStringLiteral("org.freedesktop.portal.Request");
    const char* slot = SLOT(onResponse(uint, QVariantMap));
    bus_.connect(QString(), path, iface, QStringLiteral("Response"), &waiter, slot);

    options.insert(QStringLiteral("handle_token"), token);
    args << options;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, DesktopPath, RemoteDesktop, method);
    call.setArguments(args);
    const QDBusMessage reply = bus_.call(call, QDBus::BlockWithGui, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        bus_.disconnect(QString(), path, iface, QStringLiteral("Response"), &waiter, slot);
        return Failure{portalFailure(reply.errorMessage().isEmpty() ? method : reply.errorMessage())};
    }
    // An older portal may answer on a path of its own.
    const QString handle = reply.arguments().front().value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != path) {
        bus_.disconnect(QString(), path, iface, QStringLiteral("Response"), &waiter, slot);
        path = handle;
        bus_.connect(QString(), path, iface, QStringLiteral("Response"), &waiter, slot);
    }
    if (!waiter.arrived) {
        QTimer::singleShot(timeoutMs, &waiter.loop, &QEventLoop::quit);
        waiter.loop.exec();
    }
    bus_.disconnect(QString(), path, iface, QStringLiteral("Response"), &waiter, slot);
    if (!waiter.arrived) return Failure{portalFailure(QStringLiteral("no ha respondido a tiempo"))};
    if (waiter.response == 1)
        return Failure{
            QStringLiteral("Envío cancelado en el diálogo del escritorio: no se ha enviado nada.")};
    if (waiter.response != 0) return Failure{portalFailure(QStringLiteral("ha rechazado la petición"))};
    return waiter.results;
}

Result<void> PortalTypist::startSession() {
    const QString sessionToken = QStringLiteral("torvo%1").arg(QCoreApplication::applicationPid());
    const Result<QVariantMap> created =
        request(QStringLiteral("CreateSession"), {}, {{QStringLiteral("session_handle_token"), sessionToken}},
                CallTimeoutMs);
    if (!created) return created.failure();
    session_ = created->value(QStringLiteral("session_handle")).toString();
    if (session_.isEmpty()) return Failure{portalFailure(QStringLiteral("no ha dado sesión"))};
    const QVariant session = QVariant::fromValue(QDBusObjectPath(session_));
    QSettings settings;
    QVariantMap devices{{QStringLiteral("types"), KeyboardDevice},
                        {QStringLiteral("persist_mode"), PersistUntilRevoked}};
    const QString saved = settings.value(restoreTokenKey()).toString();
    if (!saved.isEmpty()) devices.insert(QStringLiteral("restore_token"), saved);
    const Result<QVariantMap> selected =
        request(QStringLiteral("SelectDevices"), {session}, devices, CallTimeoutMs);
    if (!selected) return selected.failure();
    const Result<QVariantMap> started =
        request(QStringLiteral("Start"), {session, QString()}, {}, dialogTimeoutMs_);
    if (!started) return started.failure();
    // Each start hands out a new token and spends the old one.
    const QString token = started->value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty()) settings.setValue(restoreTokenKey(), token);
    settings.sync();
    if (!(started->value(QStringLiteral("devices")).toUInt() & KeyboardDevice))
        return Failure{portalFailure(QStringLiteral("no ha dado el teclado"))};
    return {};
}

Result<void> PortalTypist::perform(const std::vector<KeyAction>& actions) {
    skipped_ = 0;
    if (actions.empty()) return {};
    Result<std::vector<Stroke>> named = strokesOf(actions);
    if (!named) return named.failure();
    std::vector<Stroke>& strokes = *named;
    // A keysym the desktop's map lacks would be dropped by the desktop without a word:
    // leave it out here and count it.
    if (const auto known = desktopKeysyms_ ? desktopKeysyms_() : std::nullopt) {
        const std::unordered_set<quint32> have(known->begin(), known->end());
        std::erase_if(strokes, [&](const Stroke& s) {
            const bool missing = !have.count(s.keysym);
            skipped_ += missing;
            return missing;
        });
    }
    if (session_.isEmpty()) {
        if (const Result<void> started = startSession(); !started) {
            skipped_ = 0;
            return started;
        }
    }

    const QVariant session = QVariant::fromValue(QDBusObjectPath(session_));
    QList<QDBusPendingCall> pending;
    auto key = [&](quint32 keysym, uint pressed) {
        QDBusMessage m = QDBusMessage::createMethodCall(Service, DesktopPath, RemoteDesktop,
                                                        QStringLiteral("NotifyKeyboardKeysym"));
        m << session << QVariantMap() << int(keysym) << pressed;
        pending << bus_.asyncCall(m, CallTimeoutMs);
    };
    const std::pair<int, quint32> modifierKeys[] = {{KeyAction::Ctrl, keysyms::ControlL},
                                                    {KeyAction::Alt, keysyms::AltL},
                                                    {KeyAction::Shift, keysyms::ShiftL}};
    for (const Stroke& s : strokes) {
        for (const auto& [flag, sym] : modifierKeys)
            if (s.modifiers & flag) key(sym, 1);
        key(s.keysym, 1);
        key(s.keysym, 0);
        for (const auto& [flag, sym] : modifierKeys)
            if (s.modifiers & flag) key(sym, 0);
    }
    // The portal answers in order: the last answer means all came, and any refusal shows.
    for (QDBusPendingCall& p : pending) {
        p.waitForFinished();
        if (p.isError())
            return Failure{QStringLiteral("El portal del escritorio rechazó parte del envío (%1).")
                               .arg(p.error().message())};
    }
    return {};
}

QString PortalTypist::doneMessage() const {
    if (skipped_ == 0) return Typist::doneMessage();
    return QStringLiteral("Enviado, salvo %1 caracteres que el teclado del escritorio no tiene.")
        .arg(skipped_);
}

} // namespace torvo

#include "PortalTypist.moc"
