// The kept versions as a picker lists them: entry counts, the difference from
// the entries now, and versions that cannot be read.
#include "entries/VersionList.h"

#include <gtest/gtest.h>

#include "entries/DataFile.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"

namespace pennora {
namespace {

Entry E(std::string title, std::string content = "", std::optional<bool> inDrag = std::nullopt) {
    return {std::move(title), std::move(content), inDrag, std::nullopt};
}

TEST(CompareEntriesTest, CountsAddedRemovedAndChangedRegardlessOfOrder) {
    struct Case {
        const char* name;
        std::vector<Entry> now, version;
        EntryDifference expected;
    };
    const std::vector<Case> cases = {
        {"same, moved", {E("a"), E("b")}, {E("b"), E("a")}, {0, 0, 0}},
        {"one added, one removed", {E("a"), E("b")}, {E("a"), E("c")}, {1, 1, 0}},
        {"content changed", {E("a", "1")}, {E("a", "2")}, {0, 0, 1}},
        {"flag changed", {E("a", "1", true)}, {E("a", "1", false)}, {0, 0, 1}},
        {"a repeat counts one by one", {E("a")}, {E("a"), E("a")}, {1, 0, 0}},
        {"repeated title, one changed", {E("a", "1"), E("a", "2")}, {E("a", "1"), E("a", "3")}, {0, 0, 1}},
        {"null and empty title differ", {Entry{}}, {E("")}, {1, 1, 0}},
        {"everything gone", {E("a"), E("b")}, {}, {0, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareEntries(c.now, c.version), c.expected);
    }
}

TEST(ListVersionsAgainstTest, ListsNewestFirstAndSaysWhyAVersionCannotBeRead) {
    const std::string backup = "C:\\Tools\\Pennora\\Backup\\";
    fakes::FakeFileSystem files;
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, "C:\\Tools\\Pennora\\Pennora.Dat"};
    files.files[backup + "Pennora-000001-20261208-090000.Dat"] = EncodeDataFile({E("a"), E("b", "old")});
    files.files[backup + "Pennora-000002-20261209-090000.Dat"] = "torn";
    files.files[backup + "Pennora-000003-20261210-090000.Dat"] = EncodeDataFile({E("a")});
    files.readErrors[backup + "Pennora-000003-20261210-090000.Dat"] = "无法读取文件：拒绝访问。";

    FileError listError;
    const std::vector<VersionRow> rows = ListVersionsAgainst(backups, files, {E("a"), E("b", "new"), E("c")}, listError);
    EXPECT_EQ(listError, "");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].problem, "无法读取文件：拒绝访问。");
    EXPECT_FALSE(rows[1].Readable());
    EXPECT_TRUE(rows[2].Readable());
    EXPECT_EQ(rows[2].version.time, "2026-12-08 09:00:00");
    EXPECT_EQ(rows[2].entries, 2u);
    EXPECT_EQ(rows[2].difference, (EntryDifference{0, 1, 1}));

    folders.listError = "无法列出文件夹：设备未就绪。";
    EXPECT_TRUE(ListVersionsAgainst(backups, files, {}, listError).empty());
    EXPECT_EQ(listError, "无法列出文件夹：设备未就绪。");
}

}  // namespace
}  // namespace pennora
