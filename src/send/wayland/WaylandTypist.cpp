#include "send/wayland/WaylandTypist.h"

#include "send/Keysyms.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace torvo {
namespace {

// Keycodes as XKB numbers them (the evdev code plus 8), kept within X11's range so that
// XWayland can take the same map.
constexpr int FirstKeycode = 9;
constexpr int LastKeycode = 255;

// The keys every map holds, in keycode order from FirstKeycode: the three modifiers, then
// the named keys.
constexpr auto FixedKeysyms = [] {
    std::array<quint32, 3 + NamedKeys.size()> keys{keysyms::ShiftL, keysyms::ControlL, keysyms::AltL};
    for (std::size_t i = 0; i < NamedKeys.size(); ++i)
        keys[3 + i] = NamedKeys[i].keysym;
    return keys;
}();
constexpr int FirstCharKeycode = FirstKeycode + int(FixedKeysyms.size());
// Keys sent between round trips to the compositor.
constexpr int SyncEvery = 16;
// Time the windows get to take up a keyboard that has just appeared on the seat.
constexpr int FirstKeyboardPauseMs = 250;

void fixedKeycodes(std::unordered_map<quint32, int>& codes) {
    for (std::size_t i = 0; i < FixedKeysyms.size(); ++i)
        codes.emplace(FixedKeysyms[i], FirstKeycode + int(i));
}

QByteArray keysymName(quint32 sym) {
    char name[64];
    if (xkb_keysym_get_name(sym, name, sizeof name) < 0) return "NoSymbol";
    return name;
}

// A keyboard map in XKB's text form: the fixed keys and one key per character keysym
// (plain level the keysym, Shift level its capital), in keycode order.
QByteArray keymapSource(const std::vector<quint32>& chars) {
    QByteArray keycodes, symbols;
    auto key = [&](int code, const QByteArray& body) {
        keycodes += "<K" + QByteArray::number(code) + "> = " + QByteArray::number(code) + ";\n";
        symbols += "key <K" + QByteArray::number(code) + "> { " + body + " };\n";
    };
    for (std::size_t i = 0; i < FixedKeysyms.size(); ++i)
        key(FirstKeycode + int(i), "[ " + keysymName(FixedKeysyms[i]) + " ]");
    for (std::size_t i = 0; i < chars.size(); ++i)
        key(FirstCharKeycode + int(i), "type = \"TWO_LEVEL\", [ " + keysymName(chars[i]) + ", " +
                                           keysymName(xkb_keysym_to_upper(chars[i])) + " ]");
    symbols +=
        "modifier_map Shift { <K9> };\nmodifier_map Control { <K10> };\nmodifier_map Mod1 { <K11> };\n";
    return "xkb_keymap {\nxkb_keycodes \"torvo\" {\nminimum = 8;\nmaximum = 255;\n" + keycodes +
           "};\nxkb_types \"torvo\" { include \"complete\" };\n"
           "xkb_compatibility \"torvo\" { include \"complete\" };\nxkb_symbols \"torvo\" {\n" +
           symbols + "};\n};\n";
}

struct XkbContext {
    xkb_context* ctx = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    ~XkbContext() {
        if (ctx) xkb_context_unref(ctx);
    }
};

struct Keymap {
    xkb_keymap* map = nullptr;
    ~Keymap() {
        if (map) xkb_keymap_unref(map);
    }
};

// Hands the map to the compositor through a sealed memory file.
bool uploadKeymap(zwp_virtual_keyboard_v1* keyboard, const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("torvo-keymap", MFD_CLOEXEC);
    if (fd < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < size;) {
        const ssize_t n = write(fd, text + done, size - done);
        ok = n > 0;
        if (ok) done += std::size_t(n);
    }
    if (ok) zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    close(fd);
    return ok;
}

quint32 nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return quint32(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

struct Globals {
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    bool keyboard = false; // the seat has a keyboard
};

void capabilities(void* data, wl_seat*, uint32_t caps) {
    static_cast<Globals*>(data)->keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener SeatListener{capabilities, seatName};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (!g->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        wl_seat_add_listener(g->seat, &SeatListener, g);
    } else if (!g->manager && std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener RegistryListener{global, globalRemove};

} // namespace

struct WaylandTypist::Connection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Globals globals;
    zwp_virtual_keyboard_v1* keyboard = nullptr;

    ~Connection() {
        if (keyboard) zwp_virtual_keyboard_v1_destroy(keyboard);
        if (globals.manager) zwp_virtual_keyboard_manager_v1_destroy(globals.manager);
        if (globals.seat) wl_seat_destroy(globals.seat);
        if (registry) wl_registry_destroy(registry);
        if (display) {
            wl_display_roundtrip(display);
            wl_display_disconnect(display);
        }
    }
    // Connects and lists the globals; false without a compositor.
    bool connect() {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return false;
        display = wl_display_connect(nullptr);
        if (!display) return false;
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &RegistryListener, &globals);
        // The second round trip brings the seat's capabilities.
        return wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0;
    }
};

WaylandTypist::WaylandTypist(std::unique_ptr<Connection> c) : c_(std::move(c)) {}
WaylandTypist::~WaylandTypist() = default;

int WaylandTypist::charactersPerMap() {
    return LastKeycode - FirstCharKeycode + 1;
}

Route WaylandTypist::route() {
    auto unusable = [](Route::Outcome outcome, const QString& why) { return Route{outcome, nullptr, why}; };
    auto c = std::make_unique<Connection>();
    if (!c->connect())
        return unusable(Route::Absent, QStringLiteral("No hay compositor Wayland al que enviar las teclas: "
                                                      "no se ha enviado nada."));
    if (!c->globals.manager || !c->globals.seat)
        return unusable(Route::Absent, QStringLiteral("El compositor Wayland no ofrece teclado virtual: "
                                                      "no se ha enviado nada."));
    const bool seatHadKeyboard = c->globals.keyboard;
    c->keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(c->globals.manager, c->globals.seat);
    // A compositor that does not trust us ends the connection here.
    if (wl_display_roundtrip(c->display) < 0) {
        c->keyboard = nullptr;
        return unusable(Route::Broken,
                        QStringLiteral("El compositor Wayland no deja usar su teclado virtual: "
                                       "no se ha enviado nada."));
    }
    // On a seat that had no keyboard, ours is the first: the windows (XWayland too) only now
    // ask for their keyboards, and keys sent before they have them are lost.
    if (!seatHadKeyboard) {
        std::this_thread::sleep_for(std::chrono::milliseconds(FirstKeyboardPauseMs));
        wl_display_roundtrip(c->display);
    }
    return Route{Route::Ready, std::unique_ptr<WaylandTypist>(new WaylandTypist(std::move(c))), QString()};
}

Result<std::unique_ptr<WaylandTypist>> WaylandTypist::open() {
    Route r = route();
    if (r.outcome != Route::Ready) return Failure{r.error};
    return std::unique_ptr<WaylandTypist>(static_cast<WaylandTypist*>(r.typist.release()));
}

Result<void> WaylandTypist::perform(const std::vector<KeyAction>& actions) {
    if (actions.empty()) return {};
    const Result<std::vector<Stroke>> named = strokesOf(actions);
    if (!named) return named.failure();
    const std::vector<Stroke>& strokes = *named;

    XkbContext xkb;
    if (!xkb.ctx)
        return Failure{
            QStringLiteral("No se ha podido preparar el mapa del teclado: no se ha enviado nada.")};
    wl_display* d = c_->display;
    zwp_virtual_keyboard_v1* kb = c_->keyboard;
    const std::size_t room = std::size_t(charactersPerMap());
    quint32 time = nowMs();
    std::size_t next = 0;
    int sinceSync = 0;
    auto chunkStart = std::chrono::steady_clock::now();
    while (next < strokes.size()) {
        // One map: the longest run of strokes whose characters fit its keys.
        std::unordered_map<quint32, int> codes;
        fixedKeycodes(codes);
        std::vector<quint32> chars;
        std::size_t end = next;
        for (; end < strokes.size(); ++end) {
            const quint32 sym = strokes[end].keysym;
            if (codes.count(sym)) continue;
            if (chars.size() == room) break;
            codes.emplace(sym, FirstCharKeycode + int(chars.size()));
            chars.push_back(sym);
        }
        // Compiled here first: the compositor gets the map whole, with its includes resolved.
        Keymap keymap;
        keymap.map = xkb_keymap_new_from_string(xkb.ctx, keymapSource(chars).constData(),
                                                XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        char* text = keymap.map ? xkb_keymap_get_as_string(keymap.map, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
        const bool uploaded = text && uploadKeymap(kb, text);
        free(text);
        if (!uploaded)
            return Failure{
                next == 0
                    ? QStringLiteral("No se ha podido preparar el mapa del teclado: no se ha enviado nada.")
                    : QStringLiteral(
                          "No se ha podido preparar el mapa del teclado: el envío quedó a medias.")};
        auto mask = [&](const char* name) {
            const xkb_mod_index_t i = xkb_keymap_mod_get_index(keymap.map, name);
            return i == XKB_MOD_INVALID ? 0u : 1u << i;
        };
        const quint32 shift = mask(XKB_MOD_NAME_SHIFT), ctrl = mask(XKB_MOD_NAME_CTRL),
                      alt = mask(XKB_MOD_NAME_ALT);

        quint32 held = 0;
        for (std::size_t i = next; i < end; ++i) {
            const Stroke& s = strokes[i];
            const quint32 mods = (s.modifiers & KeyAction::Shift ? shift : 0) |
                                 (s.modifiers & KeyAction::Ctrl ? ctrl : 0) |
                                 (s.modifiers & KeyAction::Alt ? alt : 0);
            if (mods != held) zwp_virtual_keyboard_v1_modifiers(kb, mods, 0, 0, 0);
            held = mods;
            const uint32_t key = uint32_t(codes.at(s.keysym) - 8);
            zwp_virtual_keyboard_v1_key(kb, time, key, WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(kb, ++time, key, WL_KEYBOARD_KEY_STATE_RELEASED);
            // The compositor passes keys on at once; a window that reads them slower than they
            // come is cut off by it when its queue overflows. So a round trip every few keys
            // (the compositor has them), and a pace the windows keep up with.
            if (++sinceSync == SyncEvery) {
                if (wl_display_roundtrip(d) < 0)
                    return Failure{
                        QStringLiteral("El compositor Wayland cortó la conexión: el envío quedó a medias.")};
                sinceSync = 0;
                const auto due = chunkStart + std::chrono::microseconds(SyncEvery * 1000000 / keysPerSecond_);
                std::this_thread::sleep_until(due);
                chunkStart = std::max(due, std::chrono::steady_clock::now() - std::chrono::milliseconds(5));
            }
        }
        if (held) zwp_virtual_keyboard_v1_modifiers(kb, 0, 0, 0, 0);
        next = end;
    }
    if (wl_display_roundtrip(d) < 0)
        return Failure{
            QStringLiteral("El compositor Wayland cortó la conexión: puede que el envío quedara a medias.")};
    return {};
}

namespace {

struct SeatKeymap {
    std::optional<std::vector<quint32>> keysyms;
};

void keymapEvent(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    auto* out = static_cast<SeatKeymap*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* mem = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mem != MAP_FAILED) {
            XkbContext xkb;
            Keymap keymap;
            if (xkb.ctx)
                keymap.map = xkb_keymap_new_from_buffer(
                    xkb.ctx, static_cast<const char*>(mem), strnlen(static_cast<const char*>(mem), size),
                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(mem, size);
            if (keymap.map) {
                std::vector<quint32> syms;
                const xkb_keycode_t last = xkb_keymap_max_keycode(keymap.map);
                for (xkb_keycode_t k = xkb_keymap_min_keycode(keymap.map); k <= last; ++k)
                    for (xkb_level_index_t l = 0; l < xkb_keymap_num_levels_for_key(keymap.map, k, 0); ++l) {
                        const xkb_keysym_t* s = nullptr;
                        const int n = xkb_keymap_key_get_syms_by_level(keymap.map, k, 0, l, &s);
                        syms.insert(syms.end(), s, s + n);
                    }
                out->keysyms = std::move(syms);
            }
        }
    }
    close(fd);
}
void enterEvent(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void leaveEvent(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void keyEvent(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void modifiersEvent(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void repeatEvent(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener KeyboardListener{keymapEvent, enterEvent,     leaveEvent,
                                            keyEvent,    modifiersEvent, repeatEvent};

} // namespace

std::optional<std::vector<quint32>> WaylandTypist::seatKeysyms() {
    Connection c;
    if (!c.connect() || !c.globals.seat) return std::nullopt;
    if (!c.globals.keyboard) return std::nullopt;
    SeatKeymap out;
    wl_keyboard* keyboard = wl_seat_get_keyboard(c.globals.seat);
    wl_keyboard_add_listener(keyboard, &KeyboardListener, &out);
    wl_display_roundtrip(c.display);
    wl_keyboard_destroy(keyboard);
    return out.keysyms;
}

} // namespace torvo
