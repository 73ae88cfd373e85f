#include "ui/Hints.h"

#include <commctrl.h>

namespace pennora {

HWND CreateHintWindow(HWND owner) {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, owner,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

void AddHint(HWND hints, HWND owner, HWND control, const char* text) {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(hints, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace pennora
