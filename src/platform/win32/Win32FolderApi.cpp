#include "platform/win32/Win32FolderApi.h"

#include <windows.h>

namespace pennora {

unsigned Win32FolderApi::GetFileAttributesA(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool Win32FolderApi::CreateDirectoryA(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32FolderApi::DeleteFileA(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

}  // namespace pennora
