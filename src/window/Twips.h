#pragma once

#include <QRect>
#include <cmath>

namespace torvo {

// The window is laid out in twips: 15 twips are one device-independent pixel.
constexpr int tw(int twips) {
    return int(std::lround(twips / 15.0));
}
constexpr int toTwips(int pixels) {
    return pixels * 15;
}
inline QRect twRect(int left, int top, int width, int height) {
    return QRect(tw(left), tw(top), tw(width), tw(height));
}

} // namespace torvo
