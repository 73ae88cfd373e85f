#include "platform/win32/Win32TextCodec.h"

#include <windows.h>

#include <optional>
#include <string>

namespace pennora {
namespace {

std::optional<std::wstring> ToUtf16(UINT codePage, std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring out(std::size_t(size), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), out.data(), size);
    return out;
}

std::optional<std::string> FromUtf16(UINT codePage, std::wstring_view text) {
    if (text.empty()) return std::string();
    // CP_UTF8 takes neither flags nor the default-character arguments.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text.data(), int(text.size()), nullptr, 0, nullptr, usedDefaultArg);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), int(text.size()), out.data(), size, nullptr, usedDefaultArg);
    if (usedDefault) return std::nullopt;
    return out;
}

// `text` from code page `from` into code page `to`, when it comes back whole.
bool Convert(UINT from, UINT to, std::string_view text, std::string& out) {
    const std::optional<std::wstring> wide = ToUtf16(from, text);
    if (!wide) return false;
    const std::optional<std::string> converted = FromUtf16(to, *wide);
    if (!converted) return false;
    const std::optional<std::wstring> back = ToUtf16(to, *converted);
    if (!back || *back != *wide) return false;
    const std::optional<std::string> original = FromUtf16(from, *back);
    if (!original || *original != text) return false;
    out = *converted;
    return true;
}

}  // namespace

bool Win32TextCodec::AnsiToUtf8(std::string_view ansi, std::string& utf8) { return Convert(CP_ACP, CP_UTF8, ansi, utf8); }

bool Win32TextCodec::Utf8ToAnsi(std::string_view utf8, std::string& ansi) { return Convert(CP_UTF8, CP_ACP, utf8, ansi); }

}  // namespace pennora
