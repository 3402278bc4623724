#pragma once

#include <QByteArray>
#include <optional>

// Caps Lock of an X display, kept apart from the tests so that Xlib's macros stay out of them.
namespace torvo::test {
// Locks or unlocks it when `set` is given; whether it is locked (nothing when unknown).
std::optional<bool> capsLock(const QByteArray& display, std::optional<bool> set = {});
} // namespace torvo::test
