#pragma once
#include <windows.h>

#include <commctrl.h>

namespace pennora {

// The content box inserts a Tab character (Ctrl+I) itself: a multi-line
// edit inside a dialog drops every Tab character, as the Tab key's own one
// comes with the move to the next control. That one (the Tab key is down)
// is still left to the edit. The insertion can be undone, as a typed
// character can.
inline LRESULT CALLBACK ContentBoxProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR) {
    if (message == WM_CHAR && wParam == '\t' && GetKeyState(VK_TAB) >= 0) {
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\t"));
        return 0;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace pennora
