#pragma once
// The seam to a folder of the tool's own (the earlier versions of the data
// file): making it and listing its files. Reading, writing and deleting the
// files go through FileSystem.
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace pennora {

class FolderFiles {
public:
    virtual ~FolderFiles() = default;
    // Makes the folder `path` unless it is there; the error names it and the
    // system's reason.
    virtual FileError MakeFolder(const std::string& path) = 0;
    // The names (without the folder) of the files in `folder`, not of its
    // subfolders, in no particular order; a folder that is not there holds
    // none.
    virtual FileError ListFiles(const std::string& folder, std::vector<std::string>& names) = 0;
};

}  // namespace pennora
