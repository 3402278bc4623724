#pragma once

#include "send/Typist.h"
#include "send/TypistChoice.h"

#include <QString>
#include <memory>

struct _XDisplay;

namespace torvo {

// Types into the window that has the keyboard focus through the X server's XTEST
// extension. Characters the keyboard map lacks are bound for the call to keycodes that
// carry no symbols, then the map is put back.
class X11Typist : public Typist {
public:
    // Connects to the display named by DISPLAY; fails when there is no X11 display or it
    // lacks XTEST.
    static Result<std::unique_ptr<X11Typist>> open();
    // Ready when an X11 window has the focus; Absent without DISPLAY.
    static Route route();
    ~X11Typist() override;
    X11Typist(const X11Typist&) = delete;
    X11Typist& operator=(const X11Typist&) = delete;

    // Refuses, typing nothing, when no X11 window has the focus.
    Result<void> perform(const std::vector<KeyAction>& actions) override;

    // Whether an X11 window has the keyboard focus (or it follows the pointer): false when
    // the focus is nowhere, or the window manager says no X11 window is active.
    bool focusIsX11Window() const;

    // Keycodes without symbols in the current map: each one carries two characters
    // (plain and Shift level) per batch.
    int spareKeycodeCount() const;
    // The pause given to the receiving client to read its events before the map changes
    // and before perform returns, in milliseconds; a tenth of a millisecond per key sent
    // since the last pause comes on top.
    void setSettleMs(int ms) { settleMs_ = ms; }
    int settleMs() const { return settleMs_; }

private:
    explicit X11Typist(_XDisplay* display) : display_(display) {}
    _XDisplay* display_;
    int settleMs_ = 60;
};

} // namespace torvo
