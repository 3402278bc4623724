#pragma once

#include "send/Typist.h"
#include "send/TypistChoice.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace torvo {

// Types through the compositor's virtual keyboard (zwp_virtual_keyboard_v1, offered by
// the wlroots compositors), into whichever window has the focus, native Wayland or
// XWayland. It connects to the compositor itself (WAYLAND_DISPLAY), so it works whatever
// platform this window runs on. The keyboard map it uploads holds the characters sent.
class WaylandTypist : public Typist {
public:
    // Ready when the compositor gives a virtual keyboard; Absent without a compositor or
    // when it does not offer one; Broken when it refuses one.
    static Route route();
    // The typist of a Ready route, or the route's failure.
    static Result<std::unique_ptr<WaylandTypist>> open();
    ~WaylandTypist() override;
    WaylandTypist(const WaylandTypist&) = delete;
    WaylandTypist& operator=(const WaylandTypist&) = delete;

    Result<void> perform(const std::vector<KeyAction>& actions) override;

    // The most keys sent per second: windows are cut off by the compositor when they fall
    // behind, so the keys come no faster than a busy terminal reads them.
    void setKeysPerSecond(int keys) { keysPerSecond_ = qMax(1, keys); }
    int keysPerSecond() const { return keysPerSecond_; }

    // Room for distinct characters in one keyboard map; more are sent in several maps.
    static int charactersPerMap();

    // The keysyms of the seat's own keyboard map (its first layout), as the compositor
    // hands it to any client; nullopt without a compositor or a keyboard on the seat.
    static std::optional<std::vector<quint32>> seatKeysyms();

private:
    struct Connection;
    explicit WaylandTypist(std::unique_ptr<Connection> c);
    std::unique_ptr<Connection> c_;
    int keysPerSecond_ = 2000;
};

} // namespace torvo
