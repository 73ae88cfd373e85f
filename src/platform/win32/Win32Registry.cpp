#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

namespace pennora {
namespace {

HKEY ToHkey(HKey key) { return reinterpret_cast<HKEY>(key); }
HKey FromHkey(HKEY key) { return reinterpret_cast<HKey>(key); }

}  // namespace

long Win32Registry::RegOpenKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) {
    HKEY result = nullptr;
    LONG code = ::RegOpenKeyExA(ToHkey(key), subKey.c_str(), 0, access, &result);
    opened = code == ERROR_SUCCESS ? FromHkey(result) : 0;
    return code;
}

long Win32Registry::RegCreateKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) {
    HKEY result = nullptr;
    LONG code = ::RegCreateKeyExA(ToHkey(key), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &result, nullptr);
    opened = code == ERROR_SUCCESS ? FromHkey(result) : 0;
    return code;
}

long Win32Registry::RegEnumKeyExA(HKey key, unsigned index, std::string& name) {
    char buffer[256];  // a key name has at most 255 characters
    DWORD length = sizeof buffer;
    LONG code = ::RegEnumKeyExA(ToHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (code == ERROR_SUCCESS) name.assign(buffer, length);
    return code;
}

long Win32Registry::RegEnumValueA(HKey key, unsigned index, std::string& name) {
    DWORD longest = 0;
    LONG code = ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &longest, nullptr, nullptr, nullptr);
    if (code != ERROR_SUCCESS) return code;
    // The longest name counts characters; a GBK character takes up to two bytes.
    std::vector<char> buffer(2 * std::size_t(longest) + 2);
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
    return ::RegDeleteKeyA(ToHkey(key), subKey.c_str());
}

long Win32Registry::RegCloseKey(HKey key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace pennora
