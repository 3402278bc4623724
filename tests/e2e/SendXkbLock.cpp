#include "SendXkbLock.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace torvo::test {

bool setCapsLock(const QByteArray& display, bool on) {
    Display* d = XOpenDisplay(display.constData());
    if (!d) return false;
    XkbLockModifiers(d, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(d, False);
    XCloseDisplay(d);
    return true;
}

int capsLocked(const QByteArray& display) {
    Display* d = XOpenDisplay(display.constData());
    if (!d) return -1;
    XkbStateRec state{};
    const bool ok = XkbGetState(d, XkbUseCoreKbd, &state) == Success;
    XCloseDisplay(d);
    return ok ? ((state.locked_mods & LockMask) != 0 ? 1 : 0) : -1;
}

} // namespace torvo::test
