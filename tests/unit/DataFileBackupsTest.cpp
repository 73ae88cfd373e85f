// Earlier versions of the data file: what each save keeps in "Backup", under
// which name, how many stay, a version that cannot be kept, and the offer of
// the newest readable version at a start that found the data file unreadable.
#include "entries/DataFileBackups.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "entries/VersionOffer.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"
#include "fakes/FaultPlan.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/Error.h"

namespace pennora {
namespace {

using Strings = std::vector<std::string>;

const std::string kFolder = "C:\\Tools\\Pennora\\";
const std::string kPath = kFolder + "Pennora.Dat";
const std::string kBackup = kFolder + "Backup\\";
constexpr Hwnd kOwner = 0x10;

// A text as Quoted shows it, without the quotes around it.
std::string QuotedBody(const std::string& text) {
    const std::string quoted = fakes::Quoted(text);
    return quoted.substr(1, quoted.size() - 2);
}

Entry Titled(std::string title) { return {std::move(title), std::nullopt, std::nullopt, std::nullopt}; }

class DataFileBackupsTest : public ::testing::Test {
protected:
    DataFileBackupsTest() {
        store.SetAfterPost([this] { ++afterPosts; });
        dataFile.KeepEarlierVersions(backups, [this](const std::string& text) { told.push_back(text); });
    }

    void Load(const std::vector<Entry>& entries) {
        files.files[kPath] = EncodeDataFile(entries);
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    }
    // A save at `second` past 17:45 that changes the first entry's title to `title`.
    void SaveAt(int second, const std::string& title) {
        clock.now.second = second;
        store.SetTitle(title);
        dataFile.Save();
    }
    Strings BackupNames() {
        Strings names;
        folders.ListFiles(kFolder + "Backup", names);
        return names;
    }
    std::string TitleIn(const std::string& path) {
        DecodedDataFile decoded = DecodeDataFile(files.files.at(path));
        EXPECT_TRUE(decoded.ok()) << decoded.error;
        return decoded.entries.empty() ? "<none>" : decoded.entries[0].title.value_or("<null>");
    }

    fakes::FakeFileSystem files;
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    EntryStore store;
    DataFileKeeper dataFile{store, files, kPath};
    int afterPosts = 0;
    Strings told;
};

std::string Numbered(int number, const std::string& hhmmss) {
    char name[64];
    std::snprintf(name, sizeof name, "Pennora-%06d-20261210-%s.Dat", number, hhmmss.c_str());
    return name;
}

TEST_F(DataFileBackupsTest, EachSaveKeepsTheFileItReplacesAndTheTenNewestStay) {
    files.files[kBackup + "notes.txt"] = "mine";
    files.files[kBackup + "Pennora-old.Dat"] = "mine too";
    // Kept by an earlier release: still a version, older than any numbered one.
    files.files[kBackup + "Pennora-20261209-080000.Dat"] = EncodeDataFile({Titled("earlier release")});
    Load({Titled("v0")});
    SaveAt(11, "v1");
    const std::vector<DataFileBackups::Version> first = backups.Versions();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].path, kBackup + Numbered(1, "174511"));
    EXPECT_EQ(first[1].path, kBackup + "Pennora-20261209-080000.Dat");
    EXPECT_EQ(first[1].time, "2026-12-09 08:00:00");

    for (int save = 2; save <= 12; ++save) SaveAt(10 + save, "v" + std::to_string(save));

    Strings expected;
    for (int number = 3; number <= 12; ++number) expected.push_back(Numbered(number, "1745" + std::to_string(10 + number)));
    expected.insert(expected.end(), {"Pennora-old.Dat", "notes.txt"});
    EXPECT_EQ(BackupNames(), expected);
    // Labelled by the save that replaced it: the save at :22 replaced v11.
    EXPECT_EQ(TitleIn(kBackup + Numbered(12, "174522")), "v11");
    EXPECT_EQ(TitleIn(kBackup + Numbered(3, "174513")), "v2");
    EXPECT_EQ(TitleIn(kPath), "v12");
    EXPECT_TRUE(told.empty());

    const std::vector<DataFileBackups::Version> versions = backups.Versions();
    ASSERT_EQ(versions.size(), kKeptVersions);
    EXPECT_EQ(versions.front().path, kBackup + Numbered(12, "174522"));
    EXPECT_EQ(versions.front().time, "2026-12-10 17:45:22");
}

// The clock goes back (the autumn hour, a clock corrected after running
// ahead) while versions are kept: the order they were kept in decides which
// go, and the newest is the one the last save replaced, whatever its label.
TEST_F(DataFileBackupsTest, AClockThatGoesBackNeitherReordersNorDropsTheNewestVersions) {
    files.files[kBackup + "Pennora-20991231-235959.Dat"] = EncodeDataFile({Titled("stale")});
    Load({Titled("v0")});
    for (int save = 1; save <= 12; ++save) {
        clock.now.hour = 23 - save;  // every save an hour earlier than the one before
        store.SetTitle("v" + std::to_string(save));
        dataFile.Save();
    }

    const std::vector<DataFileBackups::Version> versions = backups.Versions();
    ASSERT_EQ(versions.size(), kKeptVersions);
    Strings titles;
    for (const auto& version : versions) titles.push_back(TitleIn(version.path));
    EXPECT_EQ(titles, (Strings{"v11", "v10", "v9", "v8", "v7", "v6", "v5", "v4", "v3", "v2"}));
    EXPECT_EQ(versions.front().time, "2026-12-10 11:45:12");
    EXPECT_EQ(files.files.count(kBackup + "Pennora-20991231-235959.Dat"), 0u);

    const auto newest = backups.NewestReadable();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->entries, std::vector<Entry>{Titled("v11")});
}

TEST_F(DataFileBackupsTest, SavesThatWriteNoNewBytesKeepNoVersion) {
    // The first save has no file to keep; saving without a change, or again
    // after a save that failed, would only push real versions out.
    files.files.erase(kPath);
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::NoFile);
    SaveAt(1, "v1");
    EXPECT_TRUE(BackupNames().empty());

    clock.now.second = 2;
    dataFile.Save();
    EXPECT_TRUE(BackupNames().empty());

    files.saveErrors[kPath] = "无法保存文件 \"" + kPath + "\"：磁盘已满。";
    EXPECT_THROW(SaveAt(3, "v2"), Error);
    files.saveErrors.clear();
    SaveAt(4, "v2");

    EXPECT_EQ(BackupNames(), Strings{Numbered(1, "174504")});
    EXPECT_EQ(TitleIn(kPath), "v2");
}

// The data file already holds what the newest version holds (a version put
// back by hand): a save keeps no copy of it. Compared with any version but
// the newest, it is new and is kept.
TEST_F(DataFileBackupsTest, OnlyTheNewestVersionCountsAsHoldingTheFileAlready) {
    struct Case {
        const char* dataFileLike;
        std::size_t versionsAfter;
    };
    for (const Case& c : {Case{"newest", 2}, Case{"oldest", 3}}) {
        SCOPED_TRACE(c.dataFileLike);
        files.files.clear();
        files.files[kBackup + Numbered(1, "100000")] = EncodeDataFile({Titled("oldest")});
        files.files[kBackup + Numbered(2, "110000")] = EncodeDataFile({Titled("newest")});
        Load({Titled(c.dataFileLike)});
        SaveAt(5, "changed");
        EXPECT_EQ(backups.Versions().size(), c.versionsAfter);
        EXPECT_EQ(TitleIn(kPath), "changed");
    }
}

TEST_F(DataFileBackupsTest, AVersionThatCannotBeKeptNeverStopsTheSaveAndIsToldOncePerRun) {
    Load({Titled("v0")});
    folders.makeFolderError = "无法建立文件夹 \"" + kBackup + "\"：拒绝访问。";
    SaveAt(1, "v1");
    folders.makeFolderError.clear();
    fakes::FaultPlan refusedMove;
    refusedMove.every = "Move(";
    files.faults = &refusedMove;
    SaveAt(2, "v2");
    files.faults = nullptr;

    EXPECT_EQ(TitleIn(kPath), "v2");
    EXPECT_TRUE(BackupNames().empty());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("数据项已经保存"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("拒绝访问"), std::string::npos) << told[0];

    SaveAt(3, "v3");
    EXPECT_EQ(BackupNames(), Strings{Numbered(1, "174503")});
    EXPECT_EQ(told.size(), 1u);
}

// A disk with room for the data file and one more copy of it: keeping the
// replaced file as a version takes no space of the save, every save
// succeeds and each keeps a version.
TEST_F(DataFileBackupsTest, KeepingAVersionNeverTakesTheSpaceTheSaveNeeds) {
    Load({Titled("v0")});
    std::size_t used = 0;
    for (const auto& [name, bytes] : files.files) used += bytes.size();
    files.capacity = used + files.files.at(kPath).size() + 16;  // a little growth allowed
    for (int save = 1; save <= 3; ++save) {
        SaveAt(save, "v" + std::to_string(save));
        EXPECT_EQ(TitleIn(kPath), "v" + std::to_string(save));
        files.capacity += files.files.at(kPath).size();  // room for the version just kept
    }
    EXPECT_EQ(backups.Versions().size(), 3u);
    EXPECT_TRUE(told.empty());
}

// Every file call of a save and of keeping a version, failed or ending the
// program in turn: the data file is always whole (or, cut short between the
// renames, its new bytes wait whole under the temporary name, which the next
// start takes), the save fails only when the data file itself could not be
// written or, before that, looked at or read to see that no other program
// changed it, and no version is lost.
TEST_F(DataFileBackupsTest, AFaultAtAnyFileCallOfASaveLeavesTheDataFileWhole) {
    const std::string oldBytes = EncodeDataFile({Titled("old")});
    const std::string newBytes = EncodeDataFile({Titled("new")});
    const std::string kept = EncodeDataFile({Titled("kept")});
    for (bool kill : {false, true}) {
        for (int at = 0;; ++at) {
            SCOPED_TRACE((kill ? "killed at step " : "failed at step ") + std::to_string(at));
            fakes::FaultPlan plan;
            fakes::FakeFileSystem disk(&plan);
            fakes::FakeFolderFiles folders{disk};
            DataFileBackups backups{disk, folders, clock, kPath};
            EntryStore store;
            DataFileKeeper dataFile{store, disk, kPath};
            bool toldNotKept = false;
            dataFile.KeepEarlierVersions(backups, [&](const std::string&) { toldNotKept = true; });
            disk.files[kPath] = oldBytes;
            disk.files[kBackup + Numbered(1, "100000")] = kept;
            ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
            store.SetTitle("new");

            plan.steps = 0;
            plan.at = at;
            plan.kill = kill;
            bool saved = false, killed = false;
            try {
                dataFile.Save();
                saved = true;
            } catch (const Error&) {
            } catch (const fakes::Killed&) {
                killed = true;
            }
            const bool faultHit = !plan.hit.empty();
            plan.at = -1;
            plan.kill = false;

            // The kept version is never lost; at most one more stays beside it.
            EXPECT_EQ(disk.files[kBackup + Numbered(1, "100000")], kept);
            std::string data = disk.files.count(kPath) ? disk.files[kPath] : "";
            if (killed) {
                // Killed between the renames, the new bytes are only in the
                // temporary file: a start that cannot look at it or read it
                // must not open empty (and let a save overwrite it), but
                // leave everything in place and offer to try again.
                if (plan.hit.starts_with("Replace(")) {
                    const std::string saving = SavingFileOf(kPath);
                    ASSERT_EQ(disk.files[saving], newBytes);
                    for (const char* failing : {"Query(", "Read("}) {
                        SCOPED_TRACE(failing);
                        const auto before = disk.files;
                        plan.call = failing + fakes::Quoted(saving) + ")";
                        EntryStore next;
                        DataFileKeeper nextFile{next, disk, kPath};
                        const DataFileKeeper::LoadResult result = nextFile.Load();
                        plan.call.clear();
                        EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::NotRead);
                        EXPECT_TRUE(result.canRetry);
                        EXPECT_NE(result.message.find(saving), std::string::npos) << result.message;
                        EXPECT_NE(result.message.find("拒绝访问"), std::string::npos) << result.message;
                        EXPECT_THROW(nextFile.Save(), Error);
                        EXPECT_EQ(disk.files, before);
                    }
                }
                // What the next start finds.
                EntryStore next;
                DataFileKeeper nextFile{next, disk, kPath};
                const auto status = nextFile.Load().status;
                ASSERT_TRUE(status == DataFileKeeper::LoadStatus::Loaded ||
                            status == DataFileKeeper::LoadStatus::Recovered)
                    << plan.hit;
                data = EncodeDataFile({next.Row(0)});
            } else if (saved) {
                EXPECT_EQ(data, newBytes) << plan.hit;
                const bool dataFileWrite =
                    plan.hit.starts_with("Write(") || plan.hit.starts_with("Replace(");
                EXPECT_FALSE(dataFileWrite) << plan.hit;
                // A version refused is told; a failed look-up only keeps one more.
                if (plan.hit.starts_with("Move(") || plan.hit.starts_with("MakeFolder(")) {
                    EXPECT_TRUE(toldNotKept) << plan.hit;
                }
            } else {
                // Only a fault in writing the data file itself, or in the
                // look at it that tells it unchanged, fails the save, and
                // then the old file is in place.
                const std::string dataFile = fakes::Quoted(kPath);
                EXPECT_TRUE(plan.hit.starts_with("Write(") || plan.hit.starts_with("Replace(") ||
                            plan.hit == "Query(" + dataFile + ")" || plan.hit == "Read(" + dataFile + ")")
                    << plan.hit;
                EXPECT_EQ(data, oldBytes) << plan.hit;
            }
            EXPECT_TRUE(data == oldBytes || data == newBytes) << plan.hit;
            if (!faultHit) {
                EXPECT_TRUE(saved);
                EXPECT_EQ(backups.Versions().size(), 2u);
                break;
            }
        }
    }
}

// The new file cannot be put in place and the old one cannot be moved back
// from the versions' folder: the new bytes stay under the temporary name,
// the only copy of them, and the next start takes them.
TEST_F(DataFileBackupsTest, ASaveThatCannotPutTheFileInPlaceNorMoveTheOldBackKeepsTheTemporaryFile) {
    Load({Titled("old")});
    const std::string saving = SavingFileOf(kPath);
    const std::string version = kBackup + Numbered(1, "174501");
    fakes::FaultPlan plan;
    plan.calls = {"Replace(" + fakes::Quoted(saving) + ", " + fakes::Quoted(kPath) + ")",
                  "Move(" + fakes::Quoted(version) + ", " + fakes::Quoted(kPath) + ")"};
    files.faults = &plan;
    EXPECT_THROW(SaveAt(1, "new"), Error);
    files.faults = nullptr;

    ASSERT_EQ(files.files.count(saving), 1u);
    EXPECT_EQ(DecodeDataFile(files.files[saving]).entries, (std::vector<Entry>{Titled("new")}));
    EXPECT_EQ(TitleIn(version), "old");
    EXPECT_EQ(files.files.count(kPath), 0u);

    // The save had written everything; the message says where the old file is.
    const DataFileKeeper::LoadResult next = dataFile.Load();
    EXPECT_EQ(next.status, DataFileKeeper::LoadStatus::Recovered);
    EXPECT_EQ(store.Row(0).title, "new");
    EXPECT_EQ(next.message.find("不见了"), std::string::npos) << next.message;
    EXPECT_NE(next.message.find("\"" + backups.Folder() + "\""), std::string::npos) << next.message;
    EXPECT_EQ(TitleIn(kPath), "new");
    EXPECT_EQ(TitleIn(version), "old");
}

// Numbers past six digits are written and read back alike: a version after
// 999999999 is listed, so it is counted and removed in its turn.
TEST_F(DataFileBackupsTest, ANumberPastNineDigitsIsListed) {
    files.files[kBackup + "Pennora-999999999-20261210-100000.Dat"] = EncodeDataFile({Titled("old")});
    Load({Titled("v0")});
    SaveAt(1, "v1");
    const auto versions = backups.Versions();
    ASSERT_EQ(versions.size(), 2u);
    EXPECT_EQ(versions[0].path, kBackup + "Pennora-1000000000-20261210-174501.Dat");
}

// ---- The offer at a start that found the data file unreadable ---------------------

class VersionOfferTest : public DataFileBackupsTest {
protected:
    bool StartWithUnreadableFile() {
        files.files[kPath] = "not a data file";
        const DataFileKeeper::LoadResult result = dataFile.Load();
        EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::Unreadable);
        unreadableMessage = result.message;
        return OfferNewestVersion(store, backups, boxes, kOwner, "KestovaPennora", result.message);
    }
    Strings RowTitles() const {
        Strings titles;
        for (std::size_t row = 0; row < store.RowCount(); ++row) titles.push_back(store.Row(row).title.value_or("<null>"));
        return titles;
    }

    fakes::FakeWindowsInput boxes;
    std::string unreadableMessage;
};

TEST_F(VersionOfferTest, OffersTheNewestVersionThatReadsAndYesLoadsItAsChanges) {
    files.files[kBackup + "Pennora-20261209-080000.Dat"] = EncodeDataFile({Titled("older")});
    files.files[kBackup + "Pennora-20261210-174512.Dat"] = EncodeDataFile({Titled("A"), Titled("B")});
    files.files[kBackup + "Pennora-20261211-090000.Dat"] = "damaged as well";
    boxes.messageBoxAnswers = {kIdYes};

    EXPECT_TRUE(StartWithUnreadableFile());

    // One box: what is wrong with the file, then the question about the
    // version of 17:45:12 (the damaged newer one does not read).
    ASSERT_EQ(boxes.calls.size(), 1u);
    const std::string& box = boxes.calls[0];
    const std::string opening = "MessageBoxA(0x10, \"" + QuotedBody(unreadableMessage + "\r\r");
    const std::string ending = QuotedBody("是否载入最近的备份（2026-12-10 17:45:12）？") + "\", \"KestovaPennora\", 0x34)";
    EXPECT_EQ(box.rfind(opening, 0), 0u) << box;
    EXPECT_TRUE(box.ends_with(ending)) << box;
    EXPECT_EQ(RowTitles(), (Strings{"A", "B"}));
    EXPECT_EQ(afterPosts, 1);  // stored changes, still to be saved
    EXPECT_EQ(files.files.count(kPath), 0u);
}

TEST_F(VersionOfferTest, NoOrNoReadableVersionStartsEmpty) {
    files.files[kBackup + "Pennora-20261210-174512.Dat"] = EncodeDataFile({Titled("A")});
    boxes.messageBoxAnswers = {kIdNo};
    EXPECT_FALSE(StartWithUnreadableFile());
    EXPECT_EQ(store.RowCount(), 0u);
    EXPECT_EQ(afterPosts, 0);

    files.files.erase(kBackup + "Pennora-20261210-174512.Dat");
    files.files[kBackup + "Pennora-20261211-090000.Dat"] = "damaged";
    boxes.calls.clear();
    EXPECT_FALSE(StartWithUnreadableFile());
    EXPECT_EQ(boxes.calls, fakes::CallLog{"MessageBoxA(0x10, " +
                                          fakes::Quoted(unreadableMessage + "文件夹 \"" + kFolder +
                                                        "Backup\" 中保留着数据文件较早的 1 个版本，但没有一个能够读取。"
                                                        "程序从空的数据开始。") +
                                          ", \"KestovaPennora\", 0x10)"});
    EXPECT_EQ(store.RowCount(), 0u);

    files.files.erase(kBackup + "Pennora-20261211-090000.Dat");
    boxes.calls.clear();
    EXPECT_FALSE(StartWithUnreadableFile());
    EXPECT_EQ(boxes.calls, fakes::CallLog{"MessageBoxA(0x10, " + fakes::Quoted(unreadableMessage + "程序从空的数据开始。") +
                                          ", \"KestovaPennora\", 0x10)"});
}

// The versions' folder is there but cannot be listed: the message says the
// versions may exist and why they could not be read, not that there are none.
TEST_F(VersionOfferTest, AFolderThatCannotBeListedIsNamedWithTheReason) {
    folders.listError = "无法列出文件夹 \"" + kFolder + "Backup\"：拒绝访问。";
    EXPECT_FALSE(StartWithUnreadableFile());
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0], "MessageBoxA(0x10, " +
                                  fakes::Quoted(unreadableMessage + "文件夹 \"" + kFolder +
                                                "Backup\" 中可能保留着数据文件较早的版本，但无法查看其中的文件：" +
                                                folders.listError + "程序从空的数据开始。") +
                                  ", \"KestovaPennora\", 0x10)");
    EXPECT_EQ(store.RowCount(), 0u);
}

}  // namespace
}  // namespace pennora
