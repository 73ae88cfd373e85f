#pragma once
// A folder whose path has a chosen length, as when the tool is copied deep
// into a folder tree. It is made and removed through the wide functions with
// the "\\?\" prefix, which take paths past the classic limit.
#include <windows.h>

#include <algorithm>
#include <string>

namespace pennora::testing {

inline std::wstring Widened(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

class LongFolder {
public:
    // A new folder under the temporary folder whose path, without its
    // trailing backslash, has `length` characters.
    explicit LongFolder(std::size_t length) {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "pennora-deep-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        root_ = path_;
        CreateDirectoryW(Prefixed(path_).c_str(), nullptr);
        // Folders of up to 60 characters each, none left empty.
        for (std::size_t remaining; (remaining = length - path_.size()) >= 2;) {
            std::size_t segment = remaining - 1 <= 60 ? remaining - 1 : std::min<std::size_t>(60, remaining - 3);
            path_ += '\\';
            path_.append(segment, 'd');
            CreateDirectoryW(Prefixed(path_).c_str(), nullptr);
        }
        path_ += "\\";
    }
    LongFolder(const LongFolder&) = delete;
    LongFolder& operator=(const LongFolder&) = delete;
    ~LongFolder() { RemoveTree(Prefixed(root_)); }

    // With its trailing backslash.
    const std::string& path() const { return path_; }

    static std::wstring Prefixed(const std::string& path) {
        std::wstring prefixed = L"\\\\?\\";
        prefixed += Widened(path);
        return prefixed;
    }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring item = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(item);
                } else {
                    SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(item.c_str());
                }
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::string root_;
    std::string path_;
};

}  // namespace pennora::testing
