#pragma once
#include "platform/FileSystem.h"
#include "platform/FolderFiles.h"

namespace pennora {

// Files through kernel32 (GetFileAttributes, CreateFile, WriteFile,
// FlushFileBuffers, MoveFileEx, DeleteFile), in their wide forms so a path
// past the classic limit works too (see FilePath.h).
class Win32FileSystem final : public FileSystem {
public:
    FileQuery QueryFile(const std::string& path) override;
    FileError ReadWholeFile(const std::string& path, std::string& bytes) override;
    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override;
    FileError SaveWholeFileKeepingOld(const std::string& path, const std::string& bytes, const std::string& keepOldAs,
                                      FileError& notKept) override;
    FileError MoveAside(const std::string& path, std::string& newPath) override;
    FileError RenameFile(const std::string& from, const std::string& to) override;
    FileError RemoveFile(const std::string& path) override;
};

// A folder's files through kernel32 (CreateDirectory, FindFirstFile, FindNextFile), in
// their wide forms as the files are.
class Win32FolderFiles final : public FolderFiles {
public:
    FileError MakeFolder(const std::string& path) override;
    FileError ListFiles(const std::string& folder, std::vector<std::string>& names) override;
};

}  // namespace pennora
