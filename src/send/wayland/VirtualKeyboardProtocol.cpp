// The protocol's glue that wayland-scanner generates from our XML, built as C++ so that this
// library needs no C compiler (and sanitizer builds instrument it with the same one). The
// header comes first so that the interface tables keep external C linkage; the scanner's
// hidden-visibility mark on their definitions is then moot, and so is the warning about it.
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" {
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "virtual-keyboard-unstable-v1-protocol.c"
}
