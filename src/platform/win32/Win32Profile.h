#pragma once
#include "platform/ProfileApi.h"

namespace pennora {

// Forwards each call of the seam to the kernel32 profile function.
class Win32Profile final : public ProfileApi {
public:
    std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, const std::string& fileName) override;
    bool WritePrivateProfileStringA(const std::string& section, const std::string& key, const std::string& value,
                                    const std::string& fileName) override;
    void FlushPrivateProfile(const std::string& fileName) override;
};

}  // namespace pennora
