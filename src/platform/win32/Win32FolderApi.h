#pragma once
#include "platform/FolderApi.h"

namespace pennora {

class Win32FolderApi final : public FolderApi {
public:
    unsigned GetFileAttributesA(const std::string& path) override;
    bool CreateDirectoryA(const std::string& path) override;
    bool DeleteFileA(const std::string& path) override;
};

}  // namespace pennora
