#include "ui/ByteLimitedEdit.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/AnsiText.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

constexpr UINT_PTR kSubclassId = 0xB17E;

std::wstring WindowTextW(HWND edit) {
    std::wstring text(size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
    return text;
}

// The part of `insertion` (ANSI bytes) that fits in place of the selection.
std::string Fitting(HWND edit, const std::string& insertion, std::size_t limit) {
    const std::wstring text = WindowTextW(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, DWORD(text.size()));
    end = std::min<DWORD>(std::max(start, end), DWORD(text.size()));
    return FitInsertion(ToAnsi(text).size(), ToAnsi(text.substr(start, end - start)).size(), insertion, limit);
}

bool IsSingleLine(HWND edit) { return !(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE); }

std::string ClipboardText(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = ToAnsi(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

LRESULT CALLBACK LimitedEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR limit) {
    switch (message) {
    case WM_CHAR: {
        // Editing keys (backspace, Ctrl+letters) pass; Enter in a multi-line
        // box adds a line break of two bytes.
        const bool lineBreak = wParam == L'\r' && !IsSingleLine(edit);
        if (wParam < 0x20 && !lineBreak) break;
        wchar_t typed[2] = {wchar_t(wParam), 0};
        const std::string bytes = lineBreak ? std::string("\r\n") : ToAnsi(typed);
        if (Fitting(edit, bytes, limit).size() < bytes.size()) {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    }
    case WM_PASTE: {
        std::string text = ClipboardText(edit);
        // A one-line box takes the first line of what is pasted.
        if (IsSingleLine(edit)) text = text.substr(0, text.find_first_of("\r\n"));
        const std::string fitting = Fitting(edit, text, limit);
        if (fitting.size() < text.size()) MessageBeep(MB_OK);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fitting.c_str()));
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, LimitedEditProcedure, kSubclassId);
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void LimitEditToBytes(HWND edit, std::size_t limit) {
    SetWindowSubclass(edit, LimitedEditProcedure, kSubclassId, limit);
}

}  // namespace pennora
