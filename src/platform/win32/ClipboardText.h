#pragma once
// Reading the clipboard's Unicode text.
#include <windows.h>

#include <cwchar>
#include <string>

namespace pennora {

// The text of a CF_UNICODETEXT memory block, up to its first zero and never
// past the end of the block: another program may leave out the zero.
inline std::wstring TextOfUnicodeBlock(HGLOBAL block) {
    std::wstring text;
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(block))) {
        text.assign(chars, wcsnlen(chars, GlobalSize(block) / sizeof(wchar_t)));
        GlobalUnlock(block);
    }
    return text;
}

// The clipboard's Unicode text: empty when it holds none or cannot be opened.
inline std::wstring ClipboardUnicodeText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) text = TextOfUnicodeBlock(block);
    CloseClipboard();
    return text;
}

}  // namespace pennora
