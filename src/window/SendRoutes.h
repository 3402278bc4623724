#pragma once

#include "send/TypistChoice.h"

#include <vector>

namespace torvo {

// The typing back ends of this desktop, in the order they are tried: X11, the
// compositor's virtual keyboard, the desktop portal; before them, whether the focused
// window is one of the editor's own.
std::vector<RouteProbe> desktopRoutes();

} // namespace torvo
