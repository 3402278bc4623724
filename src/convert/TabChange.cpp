#include "convert/TabChange.h"

namespace torvo {

TabChange changeTab(int to, int from) {
    TabChange change;
    // Between two side tabs only the system moves (the send chooses "Text Box").
    if (from == GridTab && (to == TextBox || to == CambioColor))
        change.writeBack = TabChange::WriteBack::Grid;
    if (from == CambioColor && (to == TextBox || to == GridTab))
        change.writeBack = TabChange::WriteBack::Colours;
    change.enabled = {true, to == TextBox || to == GridTab, to == TextBox || to == CambioColor,
                      to == TextBox || to == CopyPaste};
    change.tools = to == GridTab;
    change.waitForText = to == GridTab;
    change.rebuild = to == TextBox;
    return change;
}

} // namespace torvo
