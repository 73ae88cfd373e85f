#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/AnsiText.h"

namespace pennora {
namespace {

HKEY ToHkey(HKey key) { return reinterpret_cast<HKEY>(key); }
HKey FromHkey(HKEY key) { return reinterpret_cast<HKey>(key); }

// The registry takes key names of up to 256 UTF-16 units.
constexpr std::size_t kLongestKeyName = 256;

// Bytes for a name of `units` UTF-16 units in the ANSI code page, with its
// terminating zero: a unit may take up to MaxCharSize bytes (2 in GBK).
std::size_t AnsiNameBytes(std::size_t units) {
    CPINFO info{};
    const std::size_t perUnit = ::GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 4;
    return units * perUnit + 1;
}

}  // namespace

// Key paths go to the wide functions, converted as the ANSI ones convert
// them: under Wine the ANSI functions convert into a buffer of MAX_PATH
// characters and refuse a longer path with ERROR_MORE_DATA, and an entry key
// under MenuExt with a name of 255 characters is longer than that.
long Win32Registry::RegOpenKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) {
    HKEY result = nullptr;
    LONG code = ::RegOpenKeyExW(ToHkey(key), ToWide(subKey).c_str(), 0, access, &result);
    opened = code == ERROR_SUCCESS ? FromHkey(result) : 0;
    return code;
}

long Win32Registry::RegCreateKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) {
    HKEY result = nullptr;
    LONG code = ::RegCreateKeyExW(ToHkey(key), ToWide(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                  nullptr, &result, nullptr);
    opened = code == ERROR_SUCCESS ? FromHkey(result) : 0;
    return code;
}

long Win32Registry::RegQueryInfoKeyA(HKey key, unsigned& subKeys) {
    DWORD count = 0;
    LONG code = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    subKeys = code == ERROR_SUCCESS ? count : 0;
    return code;
}

long Win32Registry::RegEnumKeyExA(HKey key, unsigned index, std::string& name) {
    std::vector<char> buffer(AnsiNameBytes(kLongestKeyName));
    DWORD length = DWORD(buffer.size());
    LONG code = ::RegEnumKeyExA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return code;
}

long Win32Registry::RegEnumValueA(HKey key, unsigned index, std::string& name) {
    DWORD longest = 0;
    LONG code = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &longest, nullptr, nullptr, nullptr);
    if (code != ERROR_SUCCESS) return code;
    // The longest name counts UTF-16 units.
    std::vector<char> buffer(AnsiNameBytes(longest));
    DWORD length = DWORD(buffer.size());
    code = ::RegEnumValueA(ToHkey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return code;
}

long Win32Registry::RegQueryValueExA(HKey key, const std::string& valueName, unsigned& type, std::string& data) {
    DWORD valueType = 0, size = 0;
    LONG code = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType, nullptr, &size);
    if (code != ERROR_SUCCESS) return code;
    std::vector<BYTE> buffer(std::size_t(size) + 1);
    size = DWORD(buffer.size());
    code = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType, buffer.data(), &size);
    if (code != ERROR_SUCCESS) return code;
    type = valueType;
    data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    return code;
}

long Win32Registry::RegSetValueExA(HKey key, const std::string& valueName, unsigned type, const std::string& data) {
    bool text = type == REG_SZ || type == REG_EXPAND_SZ;
    DWORD size = DWORD(data.size() + (text ? 1 : 0));  // with the terminating zero
    return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()), size);
}

long Win32Registry::RegDeleteKeyA(HKey key, const std::string& subKey) {
    return ::RegDeleteKeyW(ToHkey(key), ToWide(subKey).c_str());
}

long Win32Registry::RegCloseKey(HKey key) { return ::RegCloseKey(ToHkey(key)); }

long Win32Registry::RegDeleteValueA(HKey key, const std::string& valueName) {
    return ::RegDeleteValueA(ToHkey(key), valueName.c_str());
}

int Win32Registry::CompareStringOrdinal(const std::string& a, const std::string& b) {
    const std::wstring wideA = ToWide(a), wideB = ToWide(b);
    int order = ::CompareStringOrdinal(wideA.data(), int(wideA.size()), wideB.data(), int(wideB.size()), TRUE);
    if (order == 0) return a.compare(b);  // not a comparison the system makes; stays a consistent order
    return order - CSTR_EQUAL;
}

}  // namespace pennora
