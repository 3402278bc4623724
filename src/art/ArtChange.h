#pragma once

#include "art/Colour.h"
#include "art/LineChange.h"

#include <optional>
#include <vector>

namespace torvo {

// One change of the art, as the model makes it: lines replaced, and what else changed with
// them.
struct ArtChange {
    // Who made it.
    enum class Source {
        Typing,  // keys typed or deleting in the text view
        User,    // anything else the user did in the text view: paste, drop, colouring
        System,  // the window's own writes: opening, write-backs, the typing colour
        History, // undo and redo
    };

    std::vector<LineChange> lines;
    // The colour characters take where nothing gives them one (a new typing colour).
    std::optional<Colour> typing;
    // Whether the text view shows an empty line after the art's last line of characters:
    // the line a key typed at the end of the text goes to. Filled in by the model as it
    // stands after the change.
    std::optional<bool> trailingLine;
    Source source = Source::System;
};

} // namespace torvo
