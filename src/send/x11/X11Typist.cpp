#include "send/x11/X11Typist.h"

#include "send/Keysyms.h"

#include <chrono>
#include <thread>
#include <unordered_map>
#include <vector>

// Xlib last: its macros (None, Bool, Status...) would clash with the headers above.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace torvo {
namespace {

// Xlib's default error handler ends the process; count errors instead.
int g_errors = 0;
int countError(Display*, XErrorEvent*) {
    ++g_errors;
    return 0;
}

struct ErrorScope {
    XErrorHandler previous;
    ErrorScope() : previous(XSetErrorHandler(countError)) { g_errors = 0; }
    ~ErrorScope() { XSetErrorHandler(previous); }
};

// The core keyboard map of group 1, as read at the start of a call.
struct KeyMap {
    int minCode = 0;
    int maxCode = 0;
    int perCode = 0;
    std::vector<KeySym> syms;

    bool read(Display* d) {
        XDisplayKeycodes(d, &minCode, &maxCode);
        const int count = maxCode - minCode + 1;
        KeySym* raw = XGetKeyboardMapping(d, KeyCode(minCode), count, &perCode);
        if (!raw) return false;
        syms.assign(raw, raw + std::size_t(count) * std::size_t(perCode));
        XFree(raw);
        return perCode > 0;
    }
    KeySym at(int code, int column) const {
        return column < perCode
                   ? syms[std::size_t(code - minCode) * std::size_t(perCode) + std::size_t(column)]
                   : NoSymbol;
    }
    bool blank(int code) const {
        for (int c = 0; c < perCode; ++c)
            if (at(code, c) != NoSymbol) return false;
        return true;
    }
    std::vector<int> spares() const {
        std::vector<int> out;
        for (int code = minCode; code <= maxCode; ++code)
            if (blank(code)) out.push_back(code);
        return out;
    }
};

struct Slot {
    int code = 0;
    bool shift = false;
};

// Where each keysym of the map sits: plain level first, then the Shift level, read
// with the core rule that a key with one symbol K means (lower K, upper K).
std::unordered_map<KeySym, Slot> slotsOf(const KeyMap& map) {
    std::unordered_map<KeySym, Slot> found;
    auto levels = [&map](int code, KeySym& plain, KeySym& shifted) {
        plain = map.at(code, 0);
        shifted = map.at(code, 1);
        if (shifted == NoSymbol && plain != NoSymbol) {
            KeySym lower = NoSymbol, upper = NoSymbol;
            XConvertCase(plain, &lower, &upper);
            plain = lower;
            shifted = upper;
        }
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (int code = map.minCode; code <= map.maxCode; ++code) {
            KeySym plain = NoSymbol, shifted = NoSymbol;
            levels(code, plain, shifted);
            const KeySym s = pass == 0 ? plain : shifted;
            if (s != NoSymbol) found.try_emplace(s, Slot{code, pass == 1});
        }
    }
    return found;
}

struct XStroke {
    KeySym sym;
    int modifiers;
};

void pause(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

Result<std::unique_ptr<X11Typist>> X11Typist::open() {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return Failure{
            QStringLiteral("No hay pantalla X11 a la que enviar las teclas: no se ha enviado nada.")};
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(d);
        return Failure{
            QStringLiteral("El servidor X11 no admite la extensión XTEST: no se ha enviado nada.")};
    }
    // The events go out even while another client grabs the server.
    XTestGrabControl(d, True);
    return std::unique_ptr<X11Typist>(new X11Typist(d));
}

X11Typist::~X11Typist() {
    XCloseDisplay(display_);
}

Route X11Typist::route() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return {};
    Result<std::unique_ptr<X11Typist>> typist = open();
    if (!typist) return Route{Route::Broken, nullptr, typist.why()};
    if (!(*typist)->focusIsX11Window()) return Route{Route::OtherWindow, nullptr, QString()};
    return Route{Route::Ready, std::move(*typist), QString()};
}

bool X11Typist::focusIsX11Window() const {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (focus == None) return false;
    // A window manager that publishes the active window (XWayland's, GNOME's, KDE's) says
    // None there while a native Wayland window is active, even if it parks the X focus on
    // a window of its own.
    const Window root = DefaultRootWindow(display_);
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", True);
    const Atom active = XInternAtom(display_, "_NET_ACTIVE_WINDOW", True);
    if (check == None || active == None) return true;
    auto windowProperty = [&](Atom name, Window* value) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        ErrorScope errors;
        const bool ok = XGetWindowProperty(display_, root, name, 0, 1, False, XA_WINDOW, &type, &format,
                                           &count, &after, &data) == Success &&
                        type == XA_WINDOW && format == 32 && count == 1;
        if (ok) *value = Window(reinterpret_cast<unsigned long*>(data)[0]);
        if (data) XFree(data);
        return ok;
    };
    Window wm = None, activeWindow = None;
    if (!windowProperty(check, &wm) || wm == None) return true;
    if (!windowProperty(active, &activeWindow)) return true;
    return activeWindow != None;
}

int X11Typist::spareKeycodeCount() const {
    KeyMap map;
    if (!map.read(display_)) return 0;
    // Less the lowest keycode, kept blank for perform's first key.
    return int(map.spares().size()) - (map.blank(map.minCode) ? 1 : 0);
}

Result<void> X11Typist::perform(const std::vector<KeyAction>& actions) {
    if (actions.empty()) return {};
    // Under XWayland a native Wayland window may have the focus: the keys would go nowhere.
    if (!focusIsX11Window())
        return Failure{
            QStringLiteral("No se ha enviado nada: ninguna ventana X11 tiene el foco del teclado.")};

    Display* d = display_;
    ErrorScope errors;
    KeyMap map;
    // The core keyboard map is that of the device that sent the last key. Under XWayland,
    // after keys of the compositor's keyboard (a virtual keyboard, say), it is that keyboard's
    // map, not XTest's, with which our keys are read: a key without symbols sent through XTest
    // first makes XTest's map the core one. The lowest keycode has no symbols in the evdev maps;
    // it is never bound below, so a client still reading an older map never sees it as a character.
    int primeCode = 0;
    if (map.read(d) && map.blank(map.minCode)) {
        primeCode = map.minCode;
        XTestFakeKeyEvent(d, unsigned(primeCode), True, CurrentTime);
        XTestFakeKeyEvent(d, unsigned(primeCode), False, CurrentTime);
        XSync(d, False);
    }
    if (!map.read(d))
        return Failure{
            QStringLiteral("No se ha podido leer el mapa del teclado X11: no se ha enviado nada.")};
    const std::unordered_map<KeySym, Slot> known = slotsOf(map);
    std::vector<int> spares = map.spares();
    std::erase(spares, primeCode);

    const Result<std::vector<Stroke>> named = strokesOf(actions);
    if (!named) return named.failure();
    std::vector<XStroke> strokes;
    strokes.reserve(named->size());
    bool needsSpare = false;
    for (const Stroke& stroke : *named) {
        const KeySym sym = KeySym(stroke.keysym);
        if (!known.count(sym)) needsSpare = true;
        strokes.push_back({sym, stroke.modifiers});
    }
    if (needsSpare && spares.empty())
        return Failure{
            QStringLiteral("El teclado X11 no tiene teclas libres para los caracteres que le faltan: "
                           "no se ha enviado nada.")};

    const int shiftCode = XKeysymToKeycode(d, XK_Shift_L);
    const int ctrlCode = XKeysymToKeycode(d, XK_Control_L);
    const int altCode = XKeysymToKeycode(d, XK_Alt_L);
    {
        bool wantShift = false, wantCtrl = false, wantAlt = false;
        for (const XStroke& s : strokes) {
            const auto it = known.find(s.sym);
            wantShift |= (s.modifiers & KeyAction::Shift) || (it != known.end() && it->second.shift) ||
                         it == known.end();
            wantCtrl |= (s.modifiers & KeyAction::Ctrl) != 0;
            wantAlt |= (s.modifiers & KeyAction::Alt) != 0;
        }
        if ((wantShift && !shiftCode) || (wantCtrl && !ctrlCode) || (wantAlt && !altCode))
            return Failure{QStringLiteral("El teclado X11 no tiene la tecla modificadora necesaria: "
                                          "no se ha enviado nada.")};
    }

    // The range of keycodes rewritten for a batch (spares in use and what lies between).
    const int spareLow = spares.empty() ? 0 : spares.front();
    const int spareHigh = spares.empty() ? 0 : spares.back();
    // Batches take turns on the two halves of the spare keys. A client reads the keyboard
    // map as soon as the change reaches it, maybe before the keys sent ahead of the change:
    // keys of the half in use are never rebound until a whole batch later, so a busy client
    // that is a batch behind still reads them as they were sent.
    std::vector<int> halves[2];
    for (std::size_t i = 0; i < spares.size(); ++i)
        halves[spares.size() > 1 && i >= spares.size() / 2].push_back(spares[i]);
    std::unordered_map<int, std::pair<KeySym, KeySym>> bound;
    int turn = 0;
    auto writeRange = [&](const std::unordered_map<int, std::pair<KeySym, KeySym>>& keysNow) {
        const int count = spareHigh - spareLow + 1;
        std::vector<KeySym> syms(std::size_t(count) * std::size_t(map.perCode));
        for (int code = spareLow; code <= spareHigh; ++code) {
            for (int c = 0; c < map.perCode; ++c)
                syms[std::size_t(code - spareLow) * std::size_t(map.perCode) + std::size_t(c)] =
                    map.at(code, c);
            const auto it = keysNow.find(code);
            if (it != keysNow.end()) {
                syms[std::size_t(code - spareLow) * std::size_t(map.perCode)] = it->second.first;
                if (map.perCode > 1)
                    syms[std::size_t(code - spareLow) * std::size_t(map.perCode) + 1] = it->second.second;
            }
        }
        XChangeKeyboardMapping(d, spareLow, map.perCode, syms.data(), count);
        XSync(d, False);
    };

    // The map read above is group 1 without Caps Lock: type under that state, then give
    // the user's locks back.
    XkbStateRec state{};
    const bool haveState = XkbGetState(d, XkbUseCoreKbd, &state) == Success;
    const bool capsLocked = haveState && (state.locked_mods & LockMask) != 0;
    const int lockedGroup = haveState ? state.locked_group : 0;
    if (capsLocked) XkbLockModifiers(d, XkbUseCoreKbd, LockMask, 0);
    if (lockedGroup != 0) XkbLockGroup(d, XkbUseCoreKbd, 0);

    bool remapped = false;
    int sinceSync = 0;
    // Strokes sent since the last pause: a client reads them at some thousands a second,
    // so a long run gets a longer pause (a tenth of a millisecond each) on top of the settle.
    int sinceSettle = 0;
    auto settle = [&] {
        XSync(d, False);
        pause(settleMs_ + sinceSettle / 10);
        sinceSettle = 0;
    };
    std::size_t next = 0;
    while (next < strokes.size()) {
        // One batch: the longest run of strokes whose missing keysyms fit this turn's keys.
        const std::vector<int>& keys = halves[turn];
        const std::size_t capacity = keys.size() * (map.perCode > 1 ? 2 : 1);
        std::unordered_map<KeySym, Slot> extra;
        std::vector<KeySym> order;
        std::size_t end = next;
        for (; end < strokes.size(); ++end) {
            const KeySym sym = strokes[end].sym;
            if (known.count(sym) || extra.count(sym)) continue;
            if (order.size() == capacity) break;
            order.push_back(sym);
            extra.emplace(sym, Slot{});
        }
        if (!order.empty()) {
            // Two symbols per key; a lone last symbol fills both levels so that the key
            // never reads as a letter pair with a case of its own.
            const bool twoLevels = map.perCode > 1;
            for (const int code : keys)
                bound.erase(code);
            for (std::size_t i = 0; i < order.size();) {
                const int code = keys[twoLevels ? i / 2 : i];
                const KeySym plain = order[i];
                const KeySym shifted = twoLevels && i + 1 < order.size() ? order[i + 1] : plain;
                bound[code] = {plain, shifted};
                extra[plain] = Slot{code, false};
                if (shifted != plain) extra[shifted] = Slot{code, true};
                i += twoLevels ? 2 : 1;
            }
            if (remapped) {
                // The client must have read the previous batch's events before their keys change.
                settle();
            }
            writeRange(bound);
            remapped = true;
            if (!halves[1].empty()) turn = 1 - turn;
        }

        for (std::size_t i = next; i < end; ++i) {
            const XStroke& s = strokes[i];
            const auto k = known.find(s.sym);
            const Slot slot = k != known.end() ? k->second : extra.at(s.sym);
            const bool shift = slot.shift || (s.modifiers & KeyAction::Shift);
            const bool ctrl = s.modifiers & KeyAction::Ctrl;
            const bool alt = s.modifiers & KeyAction::Alt;
            if (ctrl) XTestFakeKeyEvent(d, unsigned(ctrlCode), True, CurrentTime);
            if (alt) XTestFakeKeyEvent(d, unsigned(altCode), True, CurrentTime);
            if (shift) XTestFakeKeyEvent(d, unsigned(shiftCode), True, CurrentTime);
            XTestFakeKeyEvent(d, unsigned(slot.code), True, CurrentTime);
            XTestFakeKeyEvent(d, unsigned(slot.code), False, CurrentTime);
            if (shift) XTestFakeKeyEvent(d, unsigned(shiftCode), False, CurrentTime);
            if (alt) XTestFakeKeyEvent(d, unsigned(altCode), False, CurrentTime);
            if (ctrl) XTestFakeKeyEvent(d, unsigned(ctrlCode), False, CurrentTime);
            // Keep the server's queue short rather than flooding it.
            ++sinceSettle;
            if (++sinceSync == 64) {
                XSync(d, False);
                sinceSync = 0;
            }
        }
        next = end;
    }

    settle();
    if (remapped) writeRange({});
    if (capsLocked) XkbLockModifiers(d, XkbUseCoreKbd, LockMask, LockMask);
    if (lockedGroup != 0) XkbLockGroup(d, XkbUseCoreKbd, unsigned(lockedGroup));
    XSync(d, False);
    if (g_errors > 0) return Failure{QStringLiteral("El servidor X11 rechazó parte del envío.")};
    return {};
}

} // namespace torvo
