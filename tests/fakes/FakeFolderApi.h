#pragma once
// Files and folders in memory for the script files: both file seams on one
// map. Calls that change something are recorded in `calls`; a FaultPlan can
// make any call fail.
#include <functional>
#include <map>
#include <set>
#include <string>

#include "fakes/CallLog.h"
#include "fakes/FaultPlan.h"
#include "platform/FileSystem.h"
#include "platform/FolderApi.h"

namespace pennora::fakes {

class FakeFolderApi final : public FileSystem, public FolderApi {
public:
    explicit FakeFolderApi(CallLog* sharedLog = nullptr, FaultPlan* faults = nullptr)
        : calls(sharedLog ? *sharedLog : ownLog_), faults_(faults) {}

    CallLog& calls;
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> unreadable;  // present, but ReadWholeFile fails
    // Paths whose look-up fails (a folder that cannot be read, a share that
    // is gone), with the reason; and names that count as taken.
    std::map<std::string, FileError> lookupErrors;
    std::function<bool(const std::string&)> taken;

    FileQuery QueryFile(const std::string& path) override {
        if (auto error = lookupErrors.find(path); error != lookupErrors.end()) return {FileState::Unknown, error->second};
        bool present = files.count(path) || unreadable.count(path) || (taken && taken(path));
        return {present ? FileState::Present : FileState::Absent, {}};
    }
    FileError ReadWholeFile(const std::string& path, std::string& bytes) override {
        if (Fails("ReadWholeFile(" + Quoted(path) + ")") || unreadable.count(path)) return "无法读取文件 \"" + path + "\"：拒绝访问。";
        auto file = files.find(path);
        if (file == files.end()) return "无法读取文件 \"" + path + "\"：系统找不到指定的文件。";
        bytes = file->second;
        return {};
    }
    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override {
        calls.push_back("SaveWholeFile(" + Quoted(path) + ")");
        if (Fails(calls.back())) return "无法保存文件 \"" + path + "\"：拒绝访问。";
        files[path] = bytes;
        return {};
    }
    FileError SaveWholeFileKeepingOld(const std::string& path, const std::string& bytes, const std::string& keepOldAs,
                                      FileError& notKept) override {
        if (files.count(path) && RenameFile(path, keepOldAs).empty()) return SaveWholeFile(path, bytes);
        notKept = "无法保留文件 \"" + path + "\"。";
        return SaveWholeFile(path, bytes);
    }
    FileError MoveAside(const std::string& path, std::string&) override { return "MoveAside(" + path + ")"; }
    FileError RenameFile(const std::string& from, const std::string& to) override {
        calls.push_back("RenameFile(" + Quoted(from) + ", " + Quoted(to) + ")");
        auto file = files.find(from);
        if (Fails(calls.back()) || file == files.end()) return "无法改名文件 \"" + from + "\"：拒绝访问。";
        files[to] = file->second;
        files.erase(from);
        return {};
    }
    FileError RemoveFile(const std::string& path) override {
        calls.push_back("RemoveFile(" + Quoted(path) + ")");
        if (Fails(calls.back())) return "无法删除文件 \"" + path + "\"：拒绝访问。";
        files.erase(path);
        return {};
    }

    unsigned GetFileAttributesA(const std::string& path) override {
        if (Fails("GetFileAttributesA(" + Quoted(path) + ")")) return kInvalidFileAttributes;
        if (folders.count(path)) return kFileAttributeDirectory;
        return files.count(path) ? 0x80 : kInvalidFileAttributes;
    }
    bool CreateDirectoryA(const std::string& path) override {
        calls.push_back("CreateDirectoryA(" + Quoted(path) + ")");
        if (Fails(calls.back())) return false;
        return folders.insert(path).second;
    }
    bool DeleteFileA(const std::string& path) override {
        calls.push_back("DeleteFileA(" + Quoted(path) + ")");
        if (Fails(calls.back())) return false;
        return files.erase(path) != 0;
    }

private:
    bool Fails(const std::string& call) { return faults_ && faults_->Hit(call); }
    CallLog ownLog_;
    FaultPlan* faults_;
};

}  // namespace pennora::fakes
