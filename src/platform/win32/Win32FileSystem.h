#pragma once
#include "platform/FileSystem.h"

namespace pennora {

// Files through kernel32 (GetFileAttributes, CreateFile, WriteFile,
// FlushFileBuffers, MoveFileEx, DeleteFile), in their wide forms so a path
// past the classic limit works too (see FilePath.h).
class Win32FileSystem final : public FileSystem {
public:
    FileQuery QueryFile(const std::string& path) override;
    FileError ReadWholeFile(const std::string& path, std::string& bytes) override;
    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override;
    FileError MoveAside(const std::string& path, std::string& newPath) override;
    FileError RenameFile(const std::string& from, const std::string& to) override;
    FileError RemoveFile(const std::string& path) override;
};

}  // namespace pennora
