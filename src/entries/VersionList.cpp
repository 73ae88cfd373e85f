#include "entries/VersionList.h"

#include <map>
#include <tuple>

#include "entries/DataFile.h"

namespace pennora {
namespace {

using EntryKey = std::tuple<std::optional<std::string>, std::optional<std::string>, std::optional<bool>, std::optional<bool>>;

EntryKey KeyOf(const Entry& e) { return {e.title, e.content, e.inDrag, e.inHotKey}; }

}  // namespace

EntryDifference CompareEntries(const std::vector<Entry>& now, const std::vector<Entry>& version) {
    // Same entries cancel out one for one.
    std::map<EntryKey, long long> balance;  // > 0: more in the version, < 0: more now
    for (const Entry& e : version) ++balance[KeyOf(e)];
    for (const Entry& e : now) --balance[KeyOf(e)];
    // What is left pairs up by title.
    std::map<std::optional<std::string>, std::pair<std::size_t, std::size_t>> byTitle;  // {in version, now}
    for (const auto& [key, count] : balance) {
        auto& [inVersion, inNow] = byTitle[std::get<0>(key)];
        if (count > 0) inVersion += std::size_t(count);
        if (count < 0) inNow += std::size_t(-count);
    }
    EntryDifference difference;
    for (const auto& [title, counts] : byTitle) {
        const std::size_t paired = std::min(counts.first, counts.second);
        difference.changed += paired;
        difference.added += counts.first - paired;
        difference.removed += counts.second - paired;
    }
    return difference;
}

std::vector<VersionRow> ListVersionsAgainst(DataFileBackups& backups, FileSystem& files,
                                            const std::vector<Entry>& now, FileError& listError) {
    std::vector<VersionRow> rows;
    for (DataFileBackups::Version& version : backups.Versions(listError)) {
        VersionRow row;
        row.version = std::move(version);
        std::string bytes;
        if (FileError error = files.ReadWholeFile(row.version.path, bytes); !error.empty()) {
            row.problem = error;
        } else if (DecodedDataFile decoded = DecodeDataFile(bytes); !decoded.ok()) {
            row.problem = decoded.error;
        } else {
            row.entries = decoded.entries.size();
            row.difference = CompareEntries(now, decoded.entries);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace pennora
