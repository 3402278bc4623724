#pragma once

#include "send/Typist.h"
#include "send/TypistChoice.h"

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace torvo {

// Types through the desktop portal's remote desktop (xdg-desktop-portal, on GNOME and
// KDE): a session with the keyboard, allowed once in the desktop's own dialog and then
// restored from the token kept in the settings, typing keysyms the desktop maps itself.
class PortalTypist : public Typist {
public:
    // The keysyms the desktop's keyboard map holds; nullopt when it cannot be read.
    using KeysymProbe = std::function<std::optional<std::vector<quint32>>()>;

    // Ready when the portal on `bus` offers a remote desktop with a keyboard; the session
    // itself (and the dialog, the first time) waits for the first perform.
    static Route route(const QDBusConnection& bus, KeysymProbe desktopKeysyms);
    ~PortalTypist() override;
    PortalTypist(const PortalTypist&) = delete;
    PortalTypist& operator=(const PortalTypist&) = delete;

    // Characters the desktop's map lacks are left out and counted (see doneMessage).
    Result<void> perform(const std::vector<KeyAction>& actions) override;
    QString doneMessage() const override;

    // Where the restore token is kept in the default QSettings.
    static QString restoreTokenKey() { return QStringLiteral("send/portalRestoreToken"); }
    // How long the desktop's permission dialog may wait for the user, in milliseconds.
    void setDialogTimeoutMs(int ms) { dialogTimeoutMs_ = ms; }

private:
    PortalTypist(const QDBusConnection& bus, KeysymProbe desktopKeysyms);
    Result<void> startSession();
    // Calls a portal method that answers through a Request object: its results.
    Result<QVariantMap> request(const QString& method, QList<QVariant> args, QVariantMap options,
                                int timeoutMs);

    QDBusConnection bus_;
    KeysymProbe desktopKeysyms_;
    QString session_;
    int tokens_ = 0;
    int skipped_ = 0;
    int dialogTimeoutMs_ = 120000;
};

} // namespace torvo
