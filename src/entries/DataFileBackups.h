#pragma once
// Earlier versions of the data file, kept in the folder "Backup" beside it.
// Each save first keeps the file it is about to replace, named by the time
// of that save ("Pennora-20261210-174512.Dat"); the newest kKeptVersions
// stay, older ones are removed. Only files named that way are ever removed.
#include <cstddef>
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

    // Before a save writes `newBytes` over the data file: keeps the file as
    // it is now as the newest version, then removes the oldest beyond
    // kKeptVersions (a version that cannot be removed now goes at a later
    // save). Nothing is kept when there is no data file, when the save
    // leaves its bytes as they are, or when the newest version holds them
    // already, so saves without changes never push real versions out.
    // Returns why the file could not be kept, empty otherwise.
    FileError KeepCurrentFile(const std::string& newBytes);

    struct Version {
        std::string path;
        std::string time;  // of the save that replaced it, "2026-12-10 17:45:12"
    };
    // The kept versions, newest first.
    std::vector<Version> Versions();

    // The newest version that reads as a data file, with its entries.
    struct ReadableVersion {
        Version version;
        std::vector<Entry> entries;
    };
    std::optional<ReadableVersion> NewestReadable();

private:
    struct Named;
    std::vector<Named> ListVersions(FileError& error);
    std::string FreeName(const std::vector<Named>& versions);
    void RemoveOldest(const std::vector<Named>& versions);

    FileSystem& files_;
    FolderFiles& folders_;
    Clock& clock_;
    std::string dataFile_;
    std::string folder_;
    std::string stem_;       // "Pennora"
    std::string extension_;  // ".Dat"
};

// The name of the version kept at `time`: "<stem>-YYYYMMDD-HHMMSS<extension>",
// and for the n-th version of the same second (n >= 2) "-n" before the
// extension.
std::string VersionFileName(std::string_view stem, std::string_view extension, const LocalTime& time, int n = 1);

}  // namespace pennora
