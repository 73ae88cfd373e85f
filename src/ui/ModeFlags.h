#pragma once

namespace pennora {

// The main window's mode flags, shared by the Parts of the tool.
struct ModeFlags {
    bool dragFillOn = false;       // the drag-fill window is open
    bool hotKeyOn = false;         // the global hot key is registered
    bool dataModified = false;     // entries changed since load or save
    bool ieWindowsHidden = false;  // all browser windows are hidden
};

}  // namespace pennora
