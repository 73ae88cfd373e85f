#pragma once
// Files in memory. A test scripts failures through the public members; each
// operation that changes a file is recorded in `calls`.
#include <map>
#include <string>

#include "fakes/CallLog.h"
#include "platform/FileSystem.h"

namespace pennora::fakes {

class FakeFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    // Non-empty texts make the operation fail with that error (and no effect).
    FileError readError;
    std::map<std::string, FileError> readErrors;  // by path
    FileError saveError;
    std::map<std::string, FileError> saveErrors;  // by path
    FileError moveAsideError;
    FileError renameError;
    std::map<std::string, FileError> lookupErrors;  // by path: the look-up fails with this reason

    CallLog calls;

    FileQuery QueryFile(const std::string& path) override {
        if (auto error = lookupErrors.find(path); error != lookupErrors.end()) return {FileState::Unknown, error->second};
        return {files.count(path) ? FileState::Present : FileState::Absent, {}};
    }

    FileError ReadWholeFile(const std::string& path, std::string& bytes) override {
        if (!readError.empty()) return readError;
        if (auto error = readErrors.find(path); error != readErrors.end()) return error->second;
        auto file = files.find(path);
        if (file == files.end()) return "无法读取文件 \"" + path + "\"：系统找不到指定的文件。";
        bytes = file->second;
        return {};
    }

    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override {
        calls.push_back("SaveWholeFile(" + Quoted(path) + ")");
        if (!saveError.empty()) return saveError;
        if (auto error = saveErrors.find(path); error != saveErrors.end()) return error->second;
        files[path] = bytes;
        return {};
    }

    FileError MoveAside(const std::string& path, std::string& newPath) override {
        calls.push_back("MoveAside(" + Quoted(path) + ")");
        if (!moveAsideError.empty()) return moveAsideError;
        for (int n = 1;; ++n) {
            std::string candidate = path + ".unreadable-" + std::to_string(n);
            if (files.count(candidate)) continue;
            files[candidate] = std::move(files[path]);
            files.erase(path);
            newPath = candidate;
            return {};
        }
    }

    FileError RenameFile(const std::string& from, const std::string& to) override {
        calls.push_back("RenameFile(" + Quoted(from) + ", " + Quoted(to) + ")");
        if (!renameError.empty()) return renameError;
        if (!files.count(from) || files.count(to)) return "cannot rename " + from;
        files[to] = std::move(files[from]);
        files.erase(from);
        return {};
    }

    FileError RemoveFile(const std::string& path) override {
        calls.push_back("RemoveFile(" + Quoted(path) + ")");
        files.erase(path);
        return {};
    }
};

}  // namespace pennora::fakes
