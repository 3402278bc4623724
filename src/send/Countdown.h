#pragma once

#include <QString>

namespace torvo {

// The countdown before a send: one tick a second shows 5, 4, 3, 2, 1 (the first three in
// palette entry 6, blue, the last two in entry 2, red), and the sixth tick sends.
class Countdown {
public:
    struct Tick {
        QString label;    // what the countdown label shows; empty on the tick that sends
        int paletteIndex; // the label's colour
        bool send;        // the art is typed now
    };

    Tick tick();
    // Back to the start, as after a send or when the send is called off.
    void reset() { count_ = 0; }
    int count() const { return count_; }

private:
    int count_ = 0;
};

} // namespace torvo
