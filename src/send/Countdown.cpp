#include "send/Countdown.h"

namespace torvo {

Countdown::Tick Countdown::tick() {
    const int colour = count_ > 2 ? 2 : 6;
    if (++count_ < 6) return {QString::number(6 - count_), colour, false};
    count_ = 0;
    return {QString(), colour, true};
}

} // namespace torvo
