#pragma once
// The seam to the files of the tool's folder. Each operation that can fail
// returns a FileError: empty on success, otherwise a sentence naming the file
// and the system's reason, fit for the general error report.
#include <cstdint>
#include <string>

namespace pennora {

using FileError = std::string;

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // False only when nothing is at `path` (a file that cannot be read counts
    // as present, so it is reported rather than overwritten).
    virtual bool FileExists(const std::string& path) = 0;

    // The whole file into `bytes`.
    virtual FileError ReadWholeFile(const std::string& path, std::string& bytes) = 0;

    // Creates or replaces `path` with `bytes`: writes a temporary file in the
    // same folder, flushes it to disk, then puts it in place of `path`. On
    // failure the old file is left whole and the temporary file is removed.
    virtual FileError SaveWholeFile(const std::string& path, const std::string& bytes) = 0;

    // Renames `path` to the first free name "<path>.unreadable-<n>" (n = 1, 2,
    // ...) and sets `newPath` to it, so a later save cannot overwrite it.
    virtual FileError MoveAside(const std::string& path, std::string& newPath) = 0;
};

// Files larger than this are refused by ReadWholeFile (the tool's own files
// stay far below it).
inline constexpr std::uint64_t kMaxReadFileBytes = 1ull << 30;

}  // namespace pennora
