#pragma once

#include <QByteArray>

// Caps Lock of an X display, kept apart from the tests so that Xlib's macros stay out of them.
namespace torvo::test {
bool setCapsLock(const QByteArray& display, bool on);
// 1 locked, 0 not, -1 unknown.
int capsLocked(const QByteArray& display);
} // namespace torvo::test
