#include "window/SendRoutes.h"

#include "send/portal/PortalTypist.h"
#include "send/wayland/WaylandTypist.h"
#include "send/x11/X11Typist.h"

namespace torvo {

std::vector<RouteProbe> desktopRoutes() {
    return {&X11Typist::route, &WaylandTypist::route,
            [] { return PortalTypist::route(QDBusConnection::sessionBus(), &WaylandTypist::seatKeysyms); }};
}

} // namespace torvo
