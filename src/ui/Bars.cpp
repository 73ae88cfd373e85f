#include "ui/Bars.h"

#include <commctrl.h>

namespace pennora {

HWND CreateTextToolBar(HWND parent, int id, HFONT font) {
    HWND toolBar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER | CCS_NORESIZE |
                                       CCS_NOPARENTALIGN,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, 0);
    return toolBar;
}

int ToolBarHeight(HWND toolBar) { return HIWORD(DWORD(SendMessageA(toolBar, TB_GETBUTTONSIZE, 0, 0))) + 2; }

int StatusBarHeight(HWND statusBar) {
    SendMessageA(statusBar, WM_SIZE, 0, 0);
    RECT status;
    GetWindowRect(statusBar, &status);
    return status.bottom - status.top;
}

}  // namespace pennora
