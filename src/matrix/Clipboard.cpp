#include "matrix/Clipboard.h"

#include <cstring>

#include "platform/Error.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/SystemError.h"

namespace pennora {
namespace {

// Another program may hold the clipboard for a moment (a clipboard viewer
// reading the last change), so opening is tried a few times.
constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenRetryMs = 20;

[[noreturn]] void Fail(DWORD code) { throw Error("无法使用剪贴板：" + SystemReason(code)); }

class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            if (OpenClipboard(owner)) return;
            Sleep(kOpenRetryMs);
        }
        Fail(GetLastError());
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope() { CloseClipboard(); }
};

// Hands a copy of the bytes to the clipboard, which owns the memory once
// SetClipboardData succeeds.
void Put(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) Fail(GetLastError());
    void* target = GlobalLock(memory);
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        const DWORD code = GetLastError();
        GlobalFree(memory);
        Fail(code);
    }
}

}  // namespace

void CopyTextToClipboard(HWND owner, const std::string& text) {
    const std::wstring unicode = ToWide(text);
    const LCID locale = GetSystemDefaultLCID();  // the locale whose code page the ANSI bytes are in

    OpenClipboardScope open(owner);
    if (!EmptyClipboard()) Fail(GetLastError());
    Put(CF_UNICODETEXT, unicode.c_str(), (unicode.size() + 1) * sizeof(wchar_t));
    Put(CF_TEXT, text.c_str(), text.size() + 1);
    Put(CF_LOCALE, &locale, sizeof locale);
}

}  // namespace pennora
