#pragma once

// What the panel is doing now, as element code and the window ask it. The
// panel holds one (Panel::flags(), changed through Panel::editFlags()).
struct PanelFlags {
    // True while a panel is read or reset: element changes are no user changes then.
    bool loading = false;
    // True only while resetGUI runs; elements read it through
    // ElementHost::resetInProgress().
    bool guiResetInProgress = false;
    // True while a panel is read or the GUI is reset: a Tyk receive waiting
    // then gives up.
    bool readOrResetInProgress = false;
};
