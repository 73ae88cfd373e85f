#pragma once
// Folders over the files of a FakeFileSystem: a folder lists the files whose
// paths are its path, a backslash and a name. A test scripts a refused
// folder through `makeFolderError` and `listError`; the FakeFileSystem's
// FaultPlan covers their calls too.
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeFileSystem.h"
#include "platform/FolderFiles.h"

namespace pennora::fakes {

class FakeFolderFiles final : public FolderFiles {
public:
    explicit FakeFolderFiles(FakeFileSystem& files) : files_(files) {}

    std::set<std::string> folders;
    FileError makeFolderError;
    FileError listError;

    FileError MakeFolder(const std::string& path) override {
        if (!makeFolderError.empty()) return makeFolderError;
        if (files_.Fails("MakeFolder(" + Quoted(path) + ")")) return "无法建立文件夹 \"" + path + "\"：拒绝访问。";
        folders.insert(path);
        return {};
    }

    FileError ListFiles(const std::string& folder, std::vector<std::string>& names) override {
        names.clear();
        if (!listError.empty()) return listError;
        if (files_.Fails("List(" + Quoted(folder) + ")")) return "无法列出文件夹 \"" + folder + "\"：拒绝访问。";
        const std::string prefix = folder + "\\";
        for (const auto& [path, bytes] : files_.files) {
            if (path.compare(0, prefix.size(), prefix) == 0 && path.find('\\', prefix.size()) == std::string::npos)
                names.push_back(path.substr(prefix.size()));
        }
        return {};
    }

private:
    FakeFileSystem& files_;
};

}  // namespace pennora::fakes
