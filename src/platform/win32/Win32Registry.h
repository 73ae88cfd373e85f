#pragma once
#include "platform/Registry.h"

namespace pennora {

// The ANSI registry functions of advapi32, one call each.
class Win32Registry final : public Registry {
public:
    long RegOpenKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) override;
    long RegCreateKeyExA(HKey key, const std::string& subKey, unsigned access, HKey& opened) override;
    long RegQueryInfoKeyA(HKey key, unsigned& subKeys) override;
    long RegEnumKeyExA(HKey key, unsigned index, std::string& name) override;
    long RegEnumValueA(HKey key, unsigned index, std::string& name) override;
    long RegQueryValueExA(HKey key, const std::string& valueName, unsigned& type, std::string& data) override;
    long RegSetValueExA(HKey key, const std::string& valueName, unsigned type, const std::string& data) override;
    long RegDeleteKeyA(HKey key, const std::string& subKey) override;
    long RegCloseKey(HKey key) override;
    long RegDeleteValueA(HKey key, const std::string& valueName) override;
    int CompareStringOrdinal(const std::string& a, const std::string& b) override;
};

}  // namespace pennora
