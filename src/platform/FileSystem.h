#pragma once
// The seam to the files of the tool's folder. Each operation that can fail
// returns a FileError: empty on success, otherwise a sentence naming the file
// and the system's reason, fit for the general error report.
#include <cstdint>
#include <string>

namespace pennora {

using FileError = std::string;

// What a look for a file found. Unknown when the system could not tell (a
// folder that cannot be read, a network share or a card that is gone): that
// is neither a file to read nor a free name to write.
enum class FileState { Absent, Present, Unknown };

struct FileQuery {
    FileState state = FileState::Absent;
    FileError error;  // for Unknown: the path and the system's reason
    // For Present: when the file was last written, in the system's ticks
    // (later is larger); 0 when the system did not say.
    std::uint64_t writeTime = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Whether a file is at `path`; a folder there counts as no file.
    virtual FileQuery QueryFile(const std::string& path) = 0;

    // The whole file into `bytes`. Other programs may hold the file open for
    // reading, writing or deleting meanwhile (sync clients, backup tools,
    // virus scanners do): the reader shares all three, and the caller checks
    // what it got.
    virtual FileError ReadWholeFile(const std::string& path, std::string& bytes) = 0;

    // Creates or replaces `path` with `bytes`: writes the temporary file
    // SavingFileOf(path), flushes it to disk, then puts it in place of `path`
    // (a refused replace is retried for a moment). On failure the old file is
    // left whole, the temporary file is removed, and the error names the file
    // that blocked the save.
    virtual FileError SaveWholeFile(const std::string& path, const std::string& bytes) = 0;

    // As SaveWholeFile, keeping the file it replaces under `keepOldAs` (on
    // the same volume): once the temporary file is written and flushed, the
    // old file is renamed to `keepOldAs`, which takes no space, and the
    // temporary file takes its place. A rename of the old file that fails
    // sets `notKept` to why, and the save goes on as SaveWholeFile does; a
    // new file that cannot be put in place brings the old one back. A save
    // cut short between the two renames leaves the new file whole under
    // SavingFileOf(path) and the old one under `keepOldAs`.
    virtual FileError SaveWholeFileKeepingOld(const std::string& path, const std::string& bytes,
                                              const std::string& keepOldAs, FileError& notKept) = 0;

    // Renames `path` to the first free name "<path>.unreadable-<n>" (n = 1, 2,
    // ...) and sets `newPath` to it, so a later save cannot overwrite it.
    virtual FileError MoveAside(const std::string& path, std::string& newPath) = 0;

    // Renames `from` to `to`, which must not exist.
    virtual FileError RenameFile(const std::string& from, const std::string& to) = 0;

    // Deletes `path`; a file that is not there counts as deleted.
    virtual FileError RemoveFile(const std::string& path) = 0;
};

// The temporary file a save writes before it replaces `path`. On a disk whose
// replace is not atomic (FAT32, exFAT) a cut-short save can leave only it.
inline std::string SavingFileOf(const std::string& path) { return path + ".saving"; }

// Files larger than this are refused by ReadWholeFile (the tool's own files
// stay far below it).
inline constexpr std::uint64_t kMaxReadFileBytes = 1ull << 30;

}  // namespace pennora
