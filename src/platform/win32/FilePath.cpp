#include "platform/win32/FilePath.h"

#include <windows.h>

#include "platform/win32/AnsiText.h"

namespace pennora {
namespace {

// The shortest limit of the classic functions: CreateDirectory leaves room
// for an 8.3 file name inside the new folder.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// `full` with the long-path prefix when the classic functions cannot take it.
std::wstring Prefixed(const std::wstring& full) {
    if (full.size() < kClassicLimit || StartsWith(full, L"\\\\?\\")) return full;
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring Unprefixed(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (StartsWith(path, L"\\\\?\\")) return path.substr(4);
    return path;
}

// The long name of an existing file or folder; empty when there is none.
std::wstring LongNameOf(const std::wstring& full) {
    const std::wstring asked = Prefixed(full);
    DWORD size = ::GetLongPathNameW(asked.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring out(size, L'\0');
    size = ::GetLongPathNameW(asked.c_str(), out.data(), size);
    if (size == 0 || size >= out.size()) return {};
    out.resize(size);
    return Unprefixed(out);
}

}  // namespace

std::string FileIdentityOf(const std::string& path) {
    std::wstring wide = Unprefixed(ToWide(path));
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full;
    if (size != 0) {
        full.assign(size, L'\0');
        size = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        full.resize(size != 0 && size < full.size() ? size : 0);
    }
    if (full.empty()) return path;
    // The deepest part that exists gets its long name; the names after it,
    // of no file yet, stay as written.
    std::wstring head = full;
    std::wstring rest;
    for (;;) {
        if (std::wstring found = LongNameOf(head); !found.empty()) return ToAnsi(found + rest);
        const std::size_t slash = head.find_last_of(L"\\/");
        // Stop at the root: "C:\x" has no folder to look up but "C:\", nor
        // "\\server\share" one above the share.
        const bool unc = StartsWith(head, L"\\\\");
        const std::size_t shareSlash = unc ? head.find(L'\\', 2) : std::wstring::npos;
        if (slash == std::wstring::npos || slash <= 2 || (unc && slash <= shareSlash)) return ToAnsi(full);
        rest = head.substr(slash) + rest;
        head.resize(slash);
    }
}

std::wstring FilePathW(const std::string& path) {
    std::wstring wide = ToWide(path);
    if (wide.size() < kClassicLimit || StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    // The prefix turns off the system's clean-up of the path ("..", "/"), so
    // the full path is made first.
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    size = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (size == 0 || size >= full.size()) return wide;
    full.resize(size);
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace pennora
