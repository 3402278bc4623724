#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

namespace torvo::test {

// The two-line art every encoder is checked against: "Hi " bright white and "^" light red,
// then "ok" dark green; the line break takes the colour of the caret before it.
inline RichText workedExample(bool finalBreak) {
    const Palette p;
    RichText t;
    t.appendText(u"Hi ", p[0]);
    t.append(U'^', p[2]);
    t.appendLineBreak();
    t.appendText(u"ok", p[12]);
    if (finalBreak) t.appendLineBreak();
    return t;
}

} // namespace torvo::test
