#include "SendXkbLock.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace torvo::test {

std::optional<bool> capsLock(const QByteArray& display, std::optional<bool> set) {
    Display* d = XOpenDisplay(display.constData());
    if (!d) return std::nullopt;
    if (set) XkbLockModifiers(d, XkbUseCoreKbd, LockMask, *set ? LockMask : 0);
    XkbStateRec state{};
    const bool ok = XkbGetState(d, XkbUseCoreKbd, &state) == Success;
    XCloseDisplay(d);
    return ok ? std::optional((state.locked_mods & LockMask) != 0) : std::nullopt;
}

} // namespace torvo::test
