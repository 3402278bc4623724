#pragma once

#include "base/Result.h"
#include "send/KeyInterpreter.h"

#include <QString>
#include <vector>

namespace torvo {

// Something that performs key actions in the window that has the keyboard focus.
class Typist {
public:
    virtual ~Typist();
    // Performs every action and returns after the target has been given them.
    virtual Result<void> perform(const std::vector<KeyAction>& actions) = 0;
    // The status line after a successful perform: a back end that had to leave some
    // characters out says so here.
    virtual QString doneMessage() const;
};

// Reads `keys` in the keystroke language and performs it in one call. A malformed
// string is rejected whole: nothing is performed.
Result<void> sendKeys(Typist& typist, const QString& keys);

} // namespace torvo
