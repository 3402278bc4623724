#include "window/SendRoutes.h"

#include "send/portal/PortalTypist.h"
#include "send/wayland/WaylandTypist.h"
#include "send/x11/X11Typist.h"

#include <QApplication>

namespace torvo {

std::vector<RouteProbe> desktopRoutes() {
    const RouteProbe ownWindow = [] {
        Route r;
        r.outcome = QApplication::activeWindow() ? Route::OwnWindow : Route::Absent;
        return r;
    };
    return {ownWindow, &X11Typist::route, &WaylandTypist::route,
            [] { return PortalTypist::route(QDBusConnection::sessionBus(), &WaylandTypist::seatKeysyms); }};
}

} // namespace torvo
