#pragma once
// Folders over the files of a FakeFileSystem: a folder lists the files whose
// paths are its path, a backslash and a name. A test scripts a refused
// folder through `makeFolderError`.
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

    FileError MakeFolder(const std::string& path) override {
        if (!makeFolderError.empty()) return makeFolderError;
        folders.insert(path);
        return {};
    }

    FileError ListFiles(const std::string& folder, std::vector<std::string>& names) override {
        names.clear();
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
