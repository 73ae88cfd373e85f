#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/AnsiText.h"
#include "platform/win32/FilePath.h"
#include "platform/win32/SystemError.h"

namespace pennora {
namespace {

class ScopedFile {
public:
    explicit ScopedFile(HANDLE handle) : handle_(handle) {}
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    ~ScopedFile() { Close(); }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!Valid()) return true;
        HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return ::CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

FileError Failure(const std::string& what, const std::string& path, DWORD code) {
    return what + " \"" + path + "\"：" + SystemReason(code);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// Writes `bytes` to `temp` and flushes it to the disk; the error code on failure.
DWORD WriteFlushed(const std::string& temp, const std::string& bytes) {
    ScopedFile file(::CreateFileW(FilePathW(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return ::GetLastError();
    if (!WriteAll(file.Get(), bytes) || !::FlushFileBuffers(file.Get()) || !file.Close()) {
        DWORD code = ::GetLastError();
        file.Close();
        ::DeleteFileW(FilePathW(temp).c_str());
        return code;
    }
    return ERROR_SUCCESS;
}

// Renames `temp` to `path` (replacing it when `replace`). A virus scanner or
// an indexer that opened the fresh file, or a reader of the old one, refuses
// the rename for a moment: it is tried again for about a second before it
// counts as failed.
bool MoveWithRetries(const std::string& temp, const std::string& path, bool replace = true) {
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 50;
    const std::wstring from = FilePathW(temp), to = FilePathW(path);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
        const DWORD code = ::GetLastError();
        const bool passing = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
        if (!passing || attempt == kAttempts) {
            ::SetLastError(code);
            return false;
        }
        ::Sleep(kPauseMs);
    }
}

}  // namespace

FileQuery Win32FileSystem::QueryFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExW(FilePathW(path).c_str(), GetFileExInfoStandard, &data)) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {FileState::Absent, {}};
        return {FileState::Present, {},
                std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime};
    }
    DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return {FileState::Absent, {}};
    return {FileState::Unknown, Failure("无法查看文件", path, code)};
}

FileError Win32FileSystem::ReadWholeFile(const std::string& path, std::string& bytes) {
    const std::string what = "无法读取文件";
    ScopedFile file(::CreateFileW(FilePathW(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Failure(what, path, ::GetLastError());
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size)) return Failure(what, path, ::GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxReadFileBytes)
        return what + " \"" + path + "\"：文件太大（" + std::to_string(size.QuadPart) + " 字节）。";

    std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file.Get(), content.data() + done, chunk, &read, nullptr))
            return Failure(what, path, ::GetLastError());
        if (read == 0) break;  // the file shrank while being read
        done += read;
    }
    content.resize(done);
    bytes = std::move(content);
    return {};
}

FileError Win32FileSystem::SaveWholeFile(const std::string& path, const std::string& bytes) {
    const std::string temp = SavingFileOf(path);
    if (DWORD code = WriteFlushed(temp, bytes); code != ERROR_SUCCESS)
        return Failure("无法保存文件 \"" + path + "\"：无法写入临时文件", temp, code);
    if (!MoveWithRetries(temp, path)) {
        DWORD code = ::GetLastError();
        ::DeleteFileW(FilePathW(temp).c_str());
        return Failure("无法保存文件", path, code);
    }
    return {};
}

FileError Win32FileSystem::SaveWholeFileKeepingOld(const std::string& path, const std::string& bytes,
                                                   const std::string& keepOldAs, FileError& notKept) {
    const std::string temp = SavingFileOf(path);
    if (DWORD code = WriteFlushed(temp, bytes); code != ERROR_SUCCESS)
        return Failure("无法保存文件 \"" + path + "\"：无法写入临时文件", temp, code);
    // A rename within the volume takes no space; the old file stays whole
    // under its new name.
    const bool kept = MoveWithRetries(path, keepOldAs, false);
    if (!kept) notKept = Failure("无法将文件 \"" + path + "\" 改名为", keepOldAs, ::GetLastError());
    if (MoveWithRetries(temp, path)) return {};
    const DWORD code = ::GetLastError();
    // The old file comes back; if it cannot, the new one stays under its
    // temporary name, which the next start recovers.
    if (!kept || ::MoveFileExW(FilePathW(keepOldAs).c_str(), FilePathW(path).c_str(), MOVEFILE_WRITE_THROUGH))
        ::DeleteFileW(FilePathW(temp).c_str());
    return Failure("无法保存文件", path, code);
}

FileError Win32FileSystem::MoveAside(const std::string& path, std::string& newPath) {
    for (int n = 1; n < 10000; ++n) {
        std::string candidate = path + ".unreadable-" + std::to_string(n);
        if (::MoveFileExW(FilePathW(path).c_str(), FilePathW(candidate).c_str(), 0)) {
            newPath = candidate;
            return {};
        }
        DWORD code = ::GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
            return Failure("无法将文件 \"" + path + "\" 改名为", candidate, code);
    }
    return "无法将文件 \"" + path + "\" 改名：已有太多同名的备份文件。";
}

FileError Win32FileSystem::RenameFile(const std::string& from, const std::string& to) {
    if (::MoveFileExW(FilePathW(from).c_str(), FilePathW(to).c_str(), MOVEFILE_WRITE_THROUGH)) return {};
    return Failure("无法将文件 \"" + from + "\" 改名为", to, ::GetLastError());
}

FileError Win32FileSystem::RemoveFile(const std::string& path) {
    if (::DeleteFileW(FilePathW(path).c_str())) return {};
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return {};
    return Failure("无法删除文件", path, code);
}

FileError Win32FolderFiles::MakeFolder(const std::string& path) {
    const std::wstring wide = FilePathW(path);
    if (::CreateDirectoryW(wide.c_str(), nullptr)) return {};
    const DWORD code = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return Failure("无法建立文件夹", path, code);
}

FileError Win32FolderFiles::ListFiles(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(FilePathW(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return {};
        return Failure("无法列出文件夹", folder, code);
    }
    // A name the code page cannot spell is left out: under a look-alike name
    // it could be read or deleted as another file.
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (std::optional<std::string> name = ToAnsiExactly(found.cFileName)) names.push_back(std::move(*name));
    } while (::FindNextFileW(search, &found));
    const DWORD code = ::GetLastError();
    ::FindClose(search);
    if (code != ERROR_NO_MORE_FILES) return Failure("无法列出文件夹", folder, code);
    return {};
}

}  // namespace pennora
