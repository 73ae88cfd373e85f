#pragma once
// Earlier versions of the data file, kept in the folder "Backup" beside it.
// A save moves the file it replaces there, after the new file is written, so
// keeping it never takes the space the save needs. Each version is named by
// a number that grows with every version kept and, as a label, the local time
// of that save: "Pennora-000012-20261210-174512.Dat". The number orders them,
// so a clock set back cannot make a stale version look new. Versions kept by
// earlier releases ("Pennora-20261210-174512.Dat", "-n" before the extension
// for the n-th of one second) are still found and come after all numbered
// ones. The newest kKeptVersions stay, older ones are removed; only files
// named either way are ever removed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "entries/Entry.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/FolderFiles.h"

namespace pennora {

inline constexpr std::size_t kKeptVersions = 10;
inline constexpr const char* kBackupFolderName = "Backup";

class DataFileBackups {
public:
    DataFileBackups(FileSystem& files, FolderFiles& folders, Clock& clock, const std::string& dataFilePath);

    const std::string& Folder() const { return folder_; }

    // Before a save writes `newBytes` over the data file: sets `keepAs` to
    // the path the file as it is now is to be moved to as the newest
    // version (making the folder), or leaves it empty when nothing is to be
    // kept: no data file, a save that leaves its bytes as they are, or a
    // newest version that holds them already, so saves without changes
    // never push real versions out. Writes no file. Returns why the file
    // cannot be kept, empty otherwise.
    FileError PrepareKeep(const std::string& newBytes, std::string& keepAs);
    // After a save kept a version: removes the oldest beyond kKeptVersions
    // (one that cannot be removed now goes at a later save).
    void RemoveOldest();
    // Moves `path`, a file of the tool's own that holds entries (changes a
    // session end kept apart), into the folder as the newest version, under
    // the name a save would give it, then removes the oldest beyond
    // kKeptVersions. Returns why it could not; the file then stays where it is.
    FileError KeepFileAsVersion(const std::string& path);
    // Writes `bytes` (a data file about to be replaced) into the folder as
    // the newest version, unless the newest holds them already, then removes
    // the oldest beyond kKeptVersions. Returns why it could not.
    FileError KeepBytesAsVersion(const std::string& bytes);

    struct Version {
        std::string path;
        std::string time;  // of the save that replaced it, "2026-12-10 17:45:12"
    };
    // The kept versions, newest first; `error` says why the folder could not
    // be listed (then there are none).
    std::vector<Version> Versions(FileError& error);
    std::vector<Version> Versions();

    // The newest version that reads as a data file, with its entries.
    struct ReadableVersion {
        Version version;
        std::vector<Entry> entries;
    };
    // What a look for it found: `readable` when one reads; otherwise how many
    // versions there were, and why the folder could not be listed.
    struct NewestLook {
        std::optional<ReadableVersion> readable;
        std::size_t unreadable = 0;  // versions that did not read as a data file
        FileError listError;
    };
    NewestLook LookForNewestReadable();
    std::optional<ReadableVersion> NewestReadable() { return LookForNewestReadable().readable; }

private:
    struct Named;
    std::vector<Named> ListVersions(FileError& error);
    // The path for the next version after `versions` (newest first), making
    // the folder; empty with the reason when the folder cannot be made.
    FileError NextVersionPath(const std::vector<Named>& versions, std::string& path);
    bool NewestHolds(const std::vector<Named>& versions, const std::string& bytes);

    FileSystem& files_;
    FolderFiles& folders_;
    Clock& clock_;
    std::string dataFile_;
    std::string folder_;
    std::string stem_;       // "Pennora"
    std::string extension_;  // ".Dat"
};

// The name of the `number`-th version, kept at `time`:
// "<stem>-NNNNNN-YYYYMMDD-HHMMSS<extension>" (the number has at least six
// digits).
std::string VersionFileName(std::string_view stem, std::string_view extension, std::uint64_t number,
                            const LocalTime& time);

}  // namespace pennora
