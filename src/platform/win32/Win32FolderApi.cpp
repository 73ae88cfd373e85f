#include "platform/win32/Win32FolderApi.h"

#include <windows.h>

#include "platform/win32/FilePath.h"

namespace pennora {

// The wide forms, so the script folder of a tool deep in a folder tree works too.
unsigned Win32FolderApi::GetFileAttributesA(const std::string& path) {
    return ::GetFileAttributesW(FilePathW(path).c_str());
}

bool Win32FolderApi::CreateDirectoryA(const std::string& path) {
    return ::CreateDirectoryW(FilePathW(path).c_str(), nullptr) != FALSE;
}

bool Win32FolderApi::DeleteFileA(const std::string& path) { return ::DeleteFileW(FilePathW(path).c_str()) != FALSE; }

}  // namespace pennora
