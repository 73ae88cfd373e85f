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

// Splits "-a-b-c" into {"a", "b", "c"}; nothing when it does not start with '-'.
std::vector<std::string_view> DashFields(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty() || text[0] != '-') return fields;
    text.remove_prefix(1);
    for (;;) {
        const std::size_t dash = text.find('-');
        fields.push_back(text.substr(0, dash));
        if (dash == std::string_view::npos) return fields;
        text.remove_prefix(dash + 1);
    }
}

bool DigitsOfLength(std::string_view text, std::size_t least, std::size_t most) {
    return text.size() >= least && text.size() <= most && AllDigits(text);
}

}  // namespace

// A version's file name taken apart: its number (0 for a version kept by an
// earlier release, which had none), the time stamp "YYYYMMDDHHMMSS" and, for
// an earlier release's name, which version of that second it is.
struct DataFileBackups::Named {
    std::string name;
    std::uint64_t number = 0;
    std::string stamp;
    int n = 1;

    // Newest first: by number, then (for the unnumbered ones) by stamp.
    bool operator<(const Named& other) const {
        return std::tie(other.number, other.stamp, other.n) < std::tie(number, stamp, n);
    }

    std::string Time() const {
        return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " + stamp.substr(8, 2) + ":" +
               stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
    }
};

std::string VersionFileName(std::string_view stem, std::string_view extension, std::uint64_t number,
                            const LocalTime& time) {
    char fields[64];
    std::snprintf(fields, sizeof fields, "-%06llu-%04d%02d%02d-%02d%02d%02d", static_cast<unsigned long long>(number),
                  time.year, time.month, time.day, time.hour, time.minute, time.second);
    return std::string(stem) + fields + std::string(extension);
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
        std::string_view rest(name);
        if (rest.size() < stem_.size() + extension_.size() ||
            !SameIgnoringCase(rest.substr(0, stem_.size()), stem_) ||
            !SameIgnoringCase(rest.substr(rest.size() - extension_.size()), extension_))
            continue;
        rest = rest.substr(stem_.size(), rest.size() - stem_.size() - extension_.size());
        const std::vector<std::string_view> f = DashFields(rest);
        Named version;
        version.name = name;
        if (f.size() == 3 && DigitsOfLength(f[0], 6, 18) && DigitsOfLength(f[1], 8, 8) && DigitsOfLength(f[2], 6, 6)) {
            // <stem>-NNNNNN-YYYYMMDD-HHMMSS<extension>
            version.number = std::stoull(std::string(f[0]));
            if (version.number == 0) continue;
            version.stamp = std::string(f[1]) + std::string(f[2]);
        } else if ((f.size() == 2 || f.size() == 3) && DigitsOfLength(f[0], 8, 8) && DigitsOfLength(f[1], 6, 6)) {
            // An earlier release's <stem>-YYYYMMDD-HHMMSS[-n]<extension>
            version.stamp = std::string(f[0]) + std::string(f[1]);
            if (f.size() == 3) {
                if (!DigitsOfLength(f[2], 1, 4)) continue;
                version.n = std::stoi(std::string(f[2]));
                if (version.n < 2) continue;
            }
        } else {
            continue;
        }
        versions.push_back(std::move(version));
    }
    std::sort(versions.begin(), versions.end());
    return versions;
}

FileError DataFileBackups::PrepareKeep(const std::string& newBytes, std::string& keepAs) {
    keepAs.clear();
    const FileQuery data = files_.QueryFile(dataFile_);
    if (data.state == FileState::Unknown) return data.error;
    if (data.state == FileState::Absent) return {};
    std::string current;
    if (FileError error = files_.ReadWholeFile(dataFile_, current); !error.empty()) return error;
    if (current == newBytes) return {};

    FileError error;
    std::vector<Named> versions = ListVersions(error);
    if (!error.empty()) return error;
    if (NewestHolds(versions, current)) return {};

    return NextVersionPath(versions, keepAs);
}

// A save that would keep the same bytes as the newest version keeps nothing
// new: saving again must not push real older versions out. A newest version
// that cannot be read does not count as holding them.
bool DataFileBackups::NewestHolds(const std::vector<Named>& versions, const std::string& bytes) {
    std::string newest;
    return !versions.empty() && files_.ReadWholeFile(folder_ + "\\" + versions.front().name, newest).empty() &&
           newest == bytes;
}

FileError DataFileBackups::NextVersionPath(const std::vector<Named>& versions, std::string& path) {
    path.clear();
    if (FileError error = folders_.MakeFolder(folder_); !error.empty()) return error;
    const std::uint64_t number = (versions.empty() ? 0 : versions.front().number) + 1;
    path = folder_ + "\\" + VersionFileName(stem_, extension_, number, clock_.GetLocalTime());
    return {};
}

FileError DataFileBackups::KeepFileAsVersion(const std::string& path) {
    FileError error;
    const std::vector<Named> versions = ListVersions(error);
    if (!error.empty()) return error;
    std::string keepAs;
    if (error = NextVersionPath(versions, keepAs); !error.empty()) return error;
    if (error = files_.RenameFile(path, keepAs); !error.empty()) return error;
    RemoveOldest();
    return {};
}

FileError DataFileBackups::KeepBytesAsVersion(const std::string& bytes) {
    FileError error;
    const std::vector<Named> versions = ListVersions(error);
    if (!error.empty()) return error;
    if (NewestHolds(versions, bytes)) return {};
    std::string keepAs;
    if (error = NextVersionPath(versions, keepAs); !error.empty()) return error;
    if (error = files_.SaveWholeFile(keepAs, bytes); !error.empty()) return error;
    RemoveOldest();
    return {};
}

void DataFileBackups::RemoveOldest() {
    FileError error;
    const std::vector<Named> versions = ListVersions(error);
    for (std::size_t i = kKeptVersions; i < versions.size(); ++i) files_.RemoveFile(folder_ + "\\" + versions[i].name);
}

std::vector<DataFileBackups::Version> DataFileBackups::Versions(FileError& error) {
    std::vector<Version> versions;
    for (const Named& version : ListVersions(error)) versions.push_back({folder_ + "\\" + version.name, version.Time()});
    return versions;
}

std::vector<DataFileBackups::Version> DataFileBackups::Versions() {
    FileError ignored;
    return Versions(ignored);
}

DataFileBackups::NewestLook DataFileBackups::LookForNewestReadable() {
    NewestLook look;
    for (Version& version : Versions(look.listError)) {
        std::string bytes;
        if (files_.ReadWholeFile(version.path, bytes).empty()) {
            DecodedDataFile decoded = DecodeDataFile(bytes);
            if (decoded.ok()) {
                look.readable = ReadableVersion{std::move(version), std::move(decoded.entries)};
                return look;
            }
        }
        ++look.unreadable;
    }
    return look;
}

}  // namespace pennora
