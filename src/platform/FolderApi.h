#pragma once
// The seam to the few kernel32 file-system calls that the script folder needs
// beyond FileSystem: whether a folder is there, making it, removing a file.
#include <string>

namespace pennora {

inline constexpr unsigned kInvalidFileAttributes = 0xFFFFFFFF;
inline constexpr unsigned kFileAttributeDirectory = 0x10;

class FolderApi {
public:
    virtual ~FolderApi() = default;
    // The attributes of `path`, kInvalidFileAttributes when nothing is there.
    virtual unsigned GetFileAttributesA(const std::string& path) = 0;
    // With default security; false on failure.
    virtual bool CreateDirectoryA(const std::string& path) = 0;
    virtual bool DeleteFileA(const std::string& path) = 0;
};

inline bool IsDirectory(FolderApi& folders, const std::string& path) {
    unsigned attributes = folders.GetFileAttributesA(path);
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

}  // namespace pennora
