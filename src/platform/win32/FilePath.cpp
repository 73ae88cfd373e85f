#include "platform/win32/FilePath.h"

#include <windows.h>

#include "platform/win32/AnsiText.h"

namespace pennora {
namespace {

// The shortest limit of the classic functions: CreateDirectory leaves room
// for an 8.3 file name inside the new folder.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

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
