#pragma once
// The seam to the ANSI registry functions of advapi32. Member functions carry
// the Win32 names and results (a Win32 error code, 0 on success); the Win32
// face forwards each call, and tests/fakes holds an in-memory registry.
#include <cstdint>
#include <string>

namespace pennora {

using HKey = std::uintptr_t;

inline constexpr HKey kHkeyCurrentUser = 0x80000001;

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorNoMoreItems = 259;

inline constexpr unsigned kRegSz = 1;
inline constexpr unsigned kRegExpandSz = 2;
inline constexpr unsigned kRegDword = 4;

inline constexpr unsigned kKeyRead = 0x20019;
inline constexpr unsigned kKeyAllAccess = 0xF003F;
inline constexpr unsigned kKeyQueryValue = 0x0001;
inline constexpr unsigned kKeySetValue = 0x0002;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key; kErrorFileNotFound when there is none.
    virtual long RegOpenKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) = 0;
    // Opens the key, creating it (and any missing parent) first.
    virtual long RegCreateKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) = 0;
    // The number of subkeys of `key`.
    virtual long RegQueryInfoKeyA(HKey key, unsigned& subKeys) = 0;
    // The name of subkey `index` (0 upwards), of any length a key name can
    // have; kErrorNoMoreItems past the last.
    virtual long RegEnumKeyExA(HKey key, unsigned index, std::string& name) = 0;
    // The name of value `index` (0 upwards; "" is the default value).
    virtual long RegEnumValueA(HKey key, unsigned index, std::string& name) = 0;
    // Type and raw data of a value ("" for the default value); string data
    // arrives as stored, with its terminating zero if it has one.
    virtual long RegQueryValueExA(HKey key, const std::string& valueName, unsigned& type, std::string& data) = 0;
    // Writes a value; for kRegSz `data` is the text without its terminating
    // zero (the forwarder adds it), for kRegDword the four bytes, low first.
    virtual long RegSetValueExA(HKey key, const std::string& valueName, unsigned type, const std::string& data) = 0;
    // Deletes a subkey that has no subkeys of its own.
    virtual long RegDeleteKeyA(HKey key, const std::string& subKey) = 0;
    virtual long RegCloseKey(HKey key) = 0;
    // Deletes one value of `key`; kErrorFileNotFound when it has none of that name.
    virtual long RegDeleteValueA(HKey key, const std::string& valueName) = 0;

    // Orders two key names as the registry tells them apart: by their UTF-16
    // code units with letter case ignored over all of Unicode, so "Ａ" and
    // "ａ", "Σ" and "σ", "Д" and "д" name one key. Negative, zero or positive,
    // as CompareStringOrdinal with bIgnoreCase.
    virtual int CompareStringOrdinal(const std::string& a, const std::string& b) = 0;
};

// A key opened through the seam, closed when the scope ends.
class ScopedKey {
public:
    explicit ScopedKey(Registry& registry) : registry_(registry) {}
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey() {
        if (handle) registry_.RegCloseKey(handle);
    }
    HKey handle = 0;

private:
    Registry& registry_;
};

}  // namespace pennora
