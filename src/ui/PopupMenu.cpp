#include "ui/PopupMenu.h"

namespace pennora {

UINT TrackMenuInFront(HMENU menu, UINT flags, POINT at, HWND owner) {
    SetForegroundWindow(owner);
    const UINT result = UINT(TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    return result;
}

}  // namespace pennora
