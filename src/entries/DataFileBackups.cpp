#include "entries/DataFileBackups.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <tuple>
#include <utility>

#include "entries/DataFile.h"

namespace pennora {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// A version's file name taken apart: the time stamp "YYYYMMDDHHMMSS" and
// which version of that second it is.
struct DataFileBackups::Named {
    std::string name;
    std::string stamp;
    int n = 1;

    // Newest first.
    bool operator<(const Named& other) const { return std::tie(other.stamp, other.n) < std::tie(stamp, n); }

    std::string Time() const {
        return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " + stamp.substr(8, 2) + ":" +
               stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
    }
};

std::string VersionFileName(std::string_view stem, std::string_view extension, const LocalTime& time, int n) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    std::string name = std::string(stem) + stamp;
    if (n > 1) name += "-" + std::to_string(n);
    return name + std::string(extension);
}

DataFileBackups::DataFileBackups(FileSystem& files, FolderFiles& folders, Clock& clock, const std::string& dataFilePath)
    : files_(files), folders_(folders), clock_(clock), dataFile_(dataFilePath) {
    const std::size_t slash = dataFilePath.find_last_of("\\/");
    const std::string directory = slash == std::string::npos ? std::string() : dataFilePath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? dataFilePath : dataFilePath.substr(slash + 1);
    folder_ = directory + kBackupFolderName;
    const std::size_t dot = name.find_last_of('.');
    stem_ = dot == std::string::npos ? name : name.substr(0, dot);
    extension_ = dot == std::string::npos ? std::string() : name.substr(dot);
}

std::vector<DataFileBackups::Named> DataFileBackups::ListVersions(FileError& error) {
    std::vector<std::string> names;
    error = folders_.ListFiles(folder_, names);
    std::vector<Named> versions;
    for (std::string& name : names) {
        // <stem>-YYYYMMDD-HHMMSS[-n]<extension>
        std::string_view rest(name);
        if (rest.size() < stem_.size() + extension_.size() + 16) continue;
        if (!SameIgnoringCase(rest.substr(0, stem_.size()), stem_) ||
            !SameIgnoringCase(rest.substr(rest.size() - extension_.size()), extension_))
            continue;
        rest = rest.substr(stem_.size(), rest.size() - stem_.size() - extension_.size());
        if (rest[0] != '-' || !AllDigits(rest.substr(1, 8)) || rest[9] != '-' || !AllDigits(rest.substr(10, 6))) continue;
        Named version{name, std::string(rest.substr(1, 8)) + std::string(rest.substr(10, 6))};
        rest.remove_prefix(16);
        if (!rest.empty()) {
            if (rest[0] != '-' || rest.size() > 5 || !AllDigits(rest.substr(1))) continue;
            version.n = std::stoi(std::string(rest.substr(1)));
            if (version.n < 2) continue;
        }
        versions.push_back(std::move(version));
    }
    std::sort(versions.begin(), versions.end());
    return versions;
}

std::string DataFileBackups::FreeName(const std::vector<Named>& versions) {
    const LocalTime now = clock_.GetLocalTime();
    for (int n = 1;; ++n) {
        std::string name = VersionFileName(stem_, extension_, now, n);
        if (std::none_of(versions.begin(), versions.end(),
                         [&](const Named& version) { return SameIgnoringCase(version.name, name); }))
            return name;
    }
}

FileError DataFileBackups::KeepCurrentFile(const std::string& newBytes) {
    const FileQuery data = files_.QueryFile(dataFile_);
    if (data.state == FileState::Unknown) return data.error;
    if (data.state == FileState::Absent) return {};
    std::string current;
    if (FileError error = files_.ReadWholeFile(dataFile_, current); !error.empty()) return error;
    if (current == newBytes) return {};

    FileError error;
    std::vector<Named> versions = ListVersions(error);
    if (!error.empty()) return error;
    std::string newest;
    if (!versions.empty() && files_.ReadWholeFile(folder_ + "\\" + versions.front().name, newest).empty() &&
        newest == current)
        return {};

    if (error = folders_.MakeFolder(folder_); !error.empty()) return error;
    if (error = files_.SaveWholeFile(folder_ + "\\" + FreeName(versions), current); !error.empty()) return error;
    RemoveOldest(versions);
    return {};
}

// `versions` were there before the one just kept, which stays whatever its
// name says (a clock set back must not make it the first to go): the newest
// kKeptVersions - 1 of them stay beside it.
void DataFileBackups::RemoveOldest(const std::vector<Named>& versions) {
    for (std::size_t i = kKeptVersions - 1; i < versions.size(); ++i) files_.RemoveFile(folder_ + "\\" + versions[i].name);
}

std::vector<DataFileBackups::Version> DataFileBackups::Versions() {
    FileError ignored;
    std::vector<Version> versions;
    for (const Named& version : ListVersions(ignored)) versions.push_back({folder_ + "\\" + version.name, version.Time()});
    return versions;
}

std::optional<DataFileBackups::ReadableVersion> DataFileBackups::NewestReadable() {
    for (Version& version : Versions()) {
        std::string bytes;
        if (!files_.ReadWholeFile(version.path, bytes).empty()) continue;
        DecodedDataFile decoded = DecodeDataFile(bytes);
        if (decoded.ok()) return ReadableVersion{std::move(version), std::move(decoded.entries)};
    }
    return std::nullopt;
}

}  // namespace pennora
