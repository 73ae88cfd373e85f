#include "platform/win32/Win32Profile.h"

#include <windows.h>

namespace pennora {

std::string Win32Profile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                   const std::string& defaultValue, const std::string& fileName) {
    char buffer[kReadBufferSize];
    DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                              sizeof buffer, fileName.c_str());
    return std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1);
}

bool Win32Profile::WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                              const std::string& value, const std::string& fileName) {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName.c_str()) != FALSE;
}

void Win32Profile::FlushPrivateProfile(const std::string& fileName) {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName.c_str());
}

}  // namespace pennora
