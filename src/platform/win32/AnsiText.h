#pragma once
// Texts between the product's ANSI (GBK) bytes and the Unicode form that
// Unicode controls and the clipboard hold.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace pennora {

inline std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The text in the code page, or nothing when it holds a character the code
// page does not have: ToAnsi would make that a "?" or a look-alike letter,
// which would then match or name something else.
inline std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    if (text.empty()) return std::string();
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()), out.data(), size, nullptr,
                        &usedDefault);
    if (usedDefault) return std::nullopt;
    return out;
}

inline std::wstring ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

// The whole text of a window as Unicode controls hold it.
inline std::wstring WindowTextW(HWND window) {
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

}  // namespace pennora
