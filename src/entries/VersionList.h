#pragma once
// The kept versions of the data file as a picker shows them: each with its
// time, its number of entries and how it differs from the entries now, or
// why it cannot be read.
#include <cstddef>
#include <string>
#include <vector>

#include "entries/DataFileBackups.h"
#include "entries/Entry.h"
#include "platform/FileSystem.h"

namespace pennora {

// What loading a version would do to the entries now. Order is not compared:
// an entry equal in all four fields to one now is the same entry, wherever it
// stands (repeats count one by one). Of the rest, an entry of the version
// whose title one of the remaining entries now has is that entry, changed;
// the version's other entries are added, the other entries now removed.
struct EntryDifference {
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t changed = 0;
    bool operator==(const EntryDifference&) const = default;
};
EntryDifference CompareEntries(const std::vector<Entry>& now, const std::vector<Entry>& version);

struct VersionRow {
    DataFileBackups::Version version;
    std::string problem;  // why it cannot be read; empty when it can
    std::size_t entries = 0;
    EntryDifference difference;
    bool Readable() const { return problem.empty(); }
};
// The kept versions, newest first, each read and compared with `now`;
// `listError` says why the folder could not be listed (then there are none).
std::vector<VersionRow> ListVersionsAgainst(DataFileBackups& backups, FileSystem& files,
                                            const std::vector<Entry>& now, FileError& listError);

}  // namespace pennora
