#pragma once
// Showing a popup menu of the tool, from the tray or for another program's
// field.
#include <windows.h>

namespace pennora {

// Shows `menu` at a screen point with its owner as the foreground window:
// without that, the menu would neither take the keyboard nor close when the
// user clicks elsewhere. A WM_NULL after it lets the next click go through.
// Returns what TrackPopupMenu returns.
UINT TrackMenuInFront(HMENU menu, UINT flags, POINT at, HWND owner);

}  // namespace pennora
