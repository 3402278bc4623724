#pragma once

#include "send/Typist.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace torvo {

// What one back end found when asked, just before typing, whether it reaches the window
// that has the keyboard focus.
struct Route {
    enum Outcome {
        Ready,       // it reaches the focused window: `typist` types there
        OtherWindow, // it is here, but the focused window is out of its reach
        Absent,      // this desktop does not offer it
        Broken,      // it is offered but failed
        OwnWindow,   // the focused window is the editor's own: nothing is typed at all
    } outcome = Absent;
    std::unique_ptr<Typist> typist;
    QString error; // why it is not Ready, one Spanish line: always for Broken
};
using RouteProbe = std::function<Route()>;

// The back end that types: the first Ready one of `inOrder` (X11 when an X11 window has
// the focus, then the compositor's virtual keyboard, then the desktop portal). Later back
// ends are not asked once one is Ready, so none starts a session it does not need.
// Without one, a failure that says why; a probe that finds the editor's own window
// focused ends the choice with its failure.
Result<std::unique_ptr<Typist>> chooseTypist(const std::vector<RouteProbe>& inOrder, bool waylandSession);

// Whether the user's desktop is a Wayland one, whatever platform this window runs on.
bool isWaylandSession();

} // namespace torvo
