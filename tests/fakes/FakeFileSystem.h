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
    FileError saveError;
    FileError moveAsideError;

    CallLog calls;

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }

    FileError ReadWholeFile(const std::string& path, std::string& bytes) override {
        if (!readError.empty()) return readError;
        auto file = files.find(path);
        if (file == files.end()) return "无法读取文件 \"" + path + "\"：系统找不到指定的文件。";
        bytes = file->second;
        return {};
    }

    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override {
        calls.push_back("SaveWholeFile(" + Quoted(path) + ")");
        if (!saveError.empty()) return saveError;
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
};

}  // namespace pennora::fakes
