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

bool PortalTypist::request(const QString& method, QList<QVariant> args, QVariantMap options, int timeoutMs,
                           QVariantMap* results, QString* error) {
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
        if (error) *error = portalFailure(reply.errorMessage().isEmpty() ? method : reply.errorMessage());
        return false;
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
    if (!waiter.arrived) {
        if (error) *error = portalFailure(QStringLiteral("no ha respondido a tiempo"));
        return false;
    }
    if (waiter.response != 0) {
        if (error)
            *error =
                waiter.response == 1
                    ? QStringLiteral("Envío cancelado en el diálogo del escritorio: no se ha enviado nada.")
                    : portalFailure(QStringLiteral("ha rechazado la petición"));
        return false;
    }
    if (results) *results = waiter.results;
    return true;
}

bool PortalTypist::startSession(QString* error) {
    QVariantMap results;
    const QString sessionToken = QStringLiteral("torvo%1").arg(QCoreApplication::applicationPid());
    if (!request(QStringLiteral("CreateSession"), {},
                 {{QStringLiteral("session_handle_token"), sessionToken}}, CallTimeoutMs, &results, error))
        return false;
    session_ = results.value(QStringLiteral("session_handle")).toString();
    if (session_.isEmpty()) {
        if (error) *error = portalFailure(QStringLiteral("no ha dado sesión"));
        return false;
    }
    const QVariant session = QVariant::fromValue(QDBusObjectPath(session_));
    QSettings settings;
    QVariantMap devices{{QStringLiteral("types"), KeyboardDevice},
                        {QStringLiteral("persist_mode"), PersistUntilRevoked}};
    const QString saved = settings.value(restoreTokenKey()).toString();
    if (!saved.isEmpty()) devices.insert(QStringLiteral("restore_token"), saved);
    if (!request(QStringLiteral("SelectDevices"), {session}, devices, CallTimeoutMs, nullptr, error))
        return false;
    if (!request(QStringLiteral("Start"), {session, QString()}, {}, dialogTimeoutMs_, &results, error))
        return false;
    // Each start hands out a new token and spends the old one.
    const QString token = results.value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty()) settings.setValue(restoreTokenKey(), token);
    settings.sync();
    if (!(results.value(QStringLiteral("devices")).toUInt() & KeyboardDevice)) {
        if (error) *error = portalFailure(QStringLiteral("no ha dado el teclado"));
        return false;
    }
    return true;
}

bool PortalTypist::perform(const std::vector<KeyAction>& actions, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    skipped_ = 0;
    if (actions.empty()) return true;
    std::vector<Stroke> strokes;
    strokes.reserve(actions.size());
    for (const KeyAction& a : actions) {
        const std::optional<Stroke> s = strokeOf(a);
        if (!s) return fail(QStringLiteral("Tecla desconocida «%1»: no se ha enviado nada.").arg(a.key));
        strokes.push_back(*s);
    }
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
    if (session_.isEmpty() && !startSession(error)) {
        skipped_ = 0;
        return false;
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
            return fail(QStringLiteral("El portal del escritorio rechazó parte del envío (%1).")
                            .arg(p.error().message()));
    }
    return true;
}

QString PortalTypist::doneMessage() const {
    if (skipped_ == 0) return Typist::doneMessage();
    return QStringLiteral("Enviado, salvo %1 caracteres que el teclado del escritorio no tiene.")
        .arg(skipped_);
}

} // namespace torvo

#include "PortalTypist.moc"
