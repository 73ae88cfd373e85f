#pragma once
// Files in memory. A test scripts failures through the public members or a
// FaultPlan; each operation that changes a file is recorded in `calls`.
//
// With a FaultPlan each system call a real save makes is one step of its own,
// described as "Query(path)", "Read(path)", "Write(temp)", "Move(from, to)",
// "Replace(from, to)" or "Delete(path)", so a test can fail or end the
// program at any of them and look at what is left on disk.
#include <cstdint>
#include <cstddef>
#include <map>
#include <string>

#include "fakes/CallLog.h"
#include "fakes/FaultPlan.h"
#include "platform/FileSystem.h"

namespace pennora::fakes {

class FakeFileSystem final : public FileSystem {
public:
    FakeFileSystem() = default;
    explicit FakeFileSystem(FaultPlan* plan) : faults(plan) {}

    std::map<std::string, std::string> files;
    // When each file was last written (a counter that grows with every
    // write); a file a test puts in `files` directly has none.
    std::map<std::string, std::uint64_t> writeTimes;
    std::uint64_t ticks = 0;
    // Non-empty texts make the operation fail with that error (and no effect).
    FileError readError;
    std::map<std::string, FileError> readErrors;  // by path
    FileError saveError;
    std::map<std::string, FileError> saveErrors;  // by path
    FileError moveAsideError;
    FileError renameError;
    std::map<std::string, FileError> lookupErrors;  // by path: the look-up fails with this reason
    std::map<std::string, FileError> removeErrors;  // by path
    FaultPlan* faults = nullptr;
    // The disk's size: a write that would make all files together larger
    // fails as a full disk does. None when unset.
    std::size_t capacity = SIZE_MAX;

    CallLog calls;

    bool Fails(const std::string& call) { return faults && faults->Hit(call); }

    FileQuery QueryFile(const std::string& path) override {
        if (auto error = lookupErrors.find(path); error != lookupErrors.end()) return {FileState::Unknown, error->second};
        if (Fails("Query(" + Quoted(path) + ")")) return {FileState::Unknown, "无法查看文件 \"" + path + "\"：拒绝访问。"};
        if (!files.count(path)) return {FileState::Absent, {}};
        auto time = writeTimes.find(path);
        return {FileState::Present, {}, time == writeTimes.end() ? 0 : time->second};
    }

    FileError ReadWholeFile(const std::string& path, std::string& bytes) override {
        if (!readError.empty()) return readError;
        if (auto error = readErrors.find(path); error != readErrors.end()) return error->second;
        if (Fails("Read(" + Quoted(path) + ")")) return "无法读取文件 \"" + path + "\"：拒绝访问。";
        auto file = files.find(path);
        if (file == files.end()) return "无法读取文件 \"" + path + "\"：系统找不到指定的文件。";
        bytes = file->second;
        return {};
    }

    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override {
        calls.push_back("SaveWholeFile(" + Quoted(path) + ")");
        if (FileError error = Scripted(path); !error.empty()) return error;
        if (FileError error = WriteTemp(path, bytes); !error.empty()) return error;
        return PutTempInPlace(path, {});
    }

    FileError SaveWholeFileKeepingOld(const std::string& path, const std::string& bytes, const std::string& keepOldAs,
                                      FileError& notKept) override {
        calls.push_back("SaveWholeFileKeepingOld(" + Quoted(path) + ", " + Quoted(keepOldAs) + ")");
        if (FileError error = Scripted(path); !error.empty()) return error;
        if (FileError error = WriteTemp(path, bytes); !error.empty()) return error;
        std::string kept;
        if (!files.count(path)) {
            notKept = "无法保留文件 \"" + path + "\"：系统找不到指定的文件。";
        } else if (files.count(keepOldAs) || Fails("Move(" + Quoted(path) + ", " + Quoted(keepOldAs) + ")")) {
            notKept = "无法将文件 \"" + path + "\" 改名为 \"" + keepOldAs + "\"：拒绝访问。";
        } else {
            Move(path, keepOldAs);
            kept = keepOldAs;
        }
        return PutTempInPlace(path, kept);
    }

    FileError MoveAside(const std::string& path, std::string& newPath) override {
        calls.push_back("MoveAside(" + Quoted(path) + ")");
        if (!moveAsideError.empty()) return moveAsideError;
        for (int n = 1;; ++n) {
            std::string candidate = path + ".unreadable-" + std::to_string(n);
            if (files.count(candidate)) continue;
            if (Fails("Move(" + Quoted(path) + ", " + Quoted(candidate) + ")"))
                return "无法将文件 \"" + path + "\" 改名为 \"" + candidate + "\"：拒绝访问。";
            Move(path, candidate);
            newPath = candidate;
            return {};
        }
    }

    FileError RenameFile(const std::string& from, const std::string& to) override {
        calls.push_back("RenameFile(" + Quoted(from) + ", " + Quoted(to) + ")");
        if (!renameError.empty()) return renameError;
        if (!files.count(from) || files.count(to) || Fails("Move(" + Quoted(from) + ", " + Quoted(to) + ")"))
            return "cannot rename " + from;
        Move(from, to);
        return {};
    }

    FileError RemoveFile(const std::string& path) override {
        calls.push_back("RemoveFile(" + Quoted(path) + ")");
        if (auto error = removeErrors.find(path); error != removeErrors.end()) return error->second;
        if (Fails("Delete(" + Quoted(path) + ")")) return "无法删除文件 \"" + path + "\"：拒绝访问。";
        files.erase(path);
        writeTimes.erase(path);
        return {};
    }

private:
    FileError Scripted(const std::string& path) {
        if (!saveError.empty()) return saveError;
        if (auto error = saveErrors.find(path); error != saveErrors.end()) return error->second;
        return {};
    }

    void Move(const std::string& from, const std::string& to) {
        files[to] = std::move(files[from]);
        files.erase(from);
        if (auto time = writeTimes.find(from); time != writeTimes.end()) {
            writeTimes[to] = time->second;
            writeTimes.erase(from);
        } else {
            writeTimes.erase(to);
        }
    }

    // The temporary file, written whole or not at all.
    FileError WriteTemp(const std::string& path, const std::string& bytes) {
        const std::string temp = SavingFileOf(path);
        std::size_t used = bytes.size();
        for (const auto& [name, content] : files) used += name == temp ? 0 : content.size();
        if (Fails("Write(" + Quoted(temp) + ")") || used > capacity) {
            files.erase(temp);
            return "无法保存文件 \"" + path + "\"：无法写入临时文件 \"" + temp + "\"：磁盘已满。";
        }
        files[temp] = bytes;
        writeTimes[temp] = ++ticks;
        return {};
    }

    // The temporary file takes the place of `path`; when that fails, the old
    // file moved to `kept` comes back.
    FileError PutTempInPlace(const std::string& path, const std::string& kept) {
        const std::string temp = SavingFileOf(path);
        if (!Fails("Replace(" + Quoted(temp) + ", " + Quoted(path) + ")")) {
            Move(temp, path);
            return {};
        }
        if (kept.empty() || !Fails("Move(" + Quoted(kept) + ", " + Quoted(path) + ")")) {
            if (!kept.empty()) Move(kept, path);
            if (!Fails("Delete(" + Quoted(temp) + ")")) files.erase(temp);
        }
        return "无法保存文件 \"" + path + "\"：拒绝访问。";
    }
};

}  // namespace pennora::fakes
