#pragma once
// Answering the readers of a control's window text from a procedure put in
// front of the control's own, for a control that draws a text it does not
// hold (another process, a test or an automation tool, reads it this way).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/AnsiText.h"
#include "ui/GbkText.h"

namespace pennora {

// The answer to WM_GETTEXTLENGTH or WM_GETTEXT (the caller checks which)
// with `text`. The procedure is called as the control's own is: with UTF-16
// text where the system made the control a Unicode window.
inline LRESULT AnswerWindowText(HWND control, UINT message, WPARAM wParam, LPARAM lParam, const std::string& text) {
    if (IsWindowUnicode(control)) {
        const std::wstring wide = ToWide(text);
        if (message == WM_GETTEXTLENGTH) return LRESULT(wide.size());
        if (wParam == 0) return 0;
        const std::size_t length = std::min<std::size_t>(wide.size(), wParam - 1);
        std::memcpy(reinterpret_cast<wchar_t*>(lParam), wide.c_str(), length * sizeof(wchar_t));
        reinterpret_cast<wchar_t*>(lParam)[length] = L'\0';
        return LRESULT(length);
    }
    if (message == WM_GETTEXTLENGTH) return LRESULT(text.size());
    if (wParam == 0) return 0;
    const std::string fits = CutToWidth(text, wParam - 1);
    std::memcpy(reinterpret_cast<char*>(lParam), fits.c_str(), fits.size() + 1);
    return LRESULT(fits.size());
}

}  // namespace pennora
