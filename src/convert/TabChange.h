#pragma once

#include <array>

namespace torvo {

// The four views on the tab strip.
enum Tabs { TextBox = 0, GridTab = 1, CambioColor = 2, CopyPaste = 3 };

// What choosing a tab does. The tabs are a hub: from "Text Box" any tab can be chosen,
// from the others only "Text Box". Leaving "Grid" writes the grid back into the text view
// and leaving "Cambio Color" applies the colour changes (with the other tabs disabled
// while it runs); coming back to "Text Box" rebuilds the other views from it.
struct TabChange {
    enum class WriteBack { None, Grid, Colours };
    WriteBack writeBack = WriteBack::None;
    std::array<bool, 4> enabled{}; // the tabs that can be chosen afterwards
    bool tools = false;            // the tool options can be used (on the grid only)
    bool waitForText = false;      // the grid shows once the text view has settled
    bool rebuild = false;          // the other views are rebuilt from the text view
};

TabChange changeTab(int to, int from);

} // namespace torvo
