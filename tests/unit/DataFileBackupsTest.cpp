// Earlier versions of the data file: what each save keeps in "Backup", under
// which name, how many stay, a version that cannot be kept, and the offer of
// the newest readable version at a start that found the data file unreadable.
#include "entries/DataFileBackups.h"

#include <gtest/gtest.h>

#include "entries/DataFile.h"
#include "entries/EntryStore.h"
#include "entries/VersionOffer.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"
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
        store.KeepEarlierVersions(backups, [this](const std::string& text) { told.push_back(text); });
    }

    void Load(const std::vector<Entry>& entries) {
        files.files[kPath] = EncodeDataFile(entries);
        ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    }
    // A save at `second` past 17:45 that changes the first entry's title to `title`.
    void SaveAt(int second, const std::string& title) {
        clock.now.second = second;
        store.SetTitle(title);
        store.Save();
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
    EntryStore store{files, kPath};
    int afterPosts = 0;
    Strings told;
};

TEST_F(DataFileBackupsTest, EachSaveKeepsTheFileItReplacesAndTheTenNewestStay) {
    files.files[kBackup + "notes.txt"] = "mine";
    files.files[kBackup + "Pennora-old.Dat"] = "mine too";
    Load({Titled("v0")});
    for (int save = 1; save <= 12; ++save) SaveAt(10 + save, "v" + std::to_string(save));

    EXPECT_EQ(BackupNames(), (Strings{"Pennora-20261210-174513.Dat", "Pennora-20261210-174514.Dat",
                                      "Pennora-20261210-174515.Dat", "Pennora-20261210-174516.Dat",
                                      "Pennora-20261210-174517.Dat", "Pennora-20261210-174518.Dat",
                                      "Pennora-20261210-174519.Dat", "Pennora-20261210-174520.Dat",
                                      "Pennora-20261210-174521.Dat", "Pennora-20261210-174522.Dat",
                                      "Pennora-old.Dat", "notes.txt"}));
    // Named by the save that replaced it: the save at :22 replaced v11.
    EXPECT_EQ(TitleIn(kBackup + "Pennora-20261210-174522.Dat"), "v11");
    EXPECT_EQ(TitleIn(kBackup + "Pennora-20261210-174513.Dat"), "v2");
    EXPECT_EQ(TitleIn(kPath), "v12");
    EXPECT_TRUE(told.empty());

    const std::vector<DataFileBackups::Version> versions = backups.Versions();
    ASSERT_EQ(versions.size(), kKeptVersions);
    EXPECT_EQ(versions.front().path, kBackup + "Pennora-20261210-174522.Dat");
    EXPECT_EQ(versions.front().time, "2026-12-10 17:45:22");
}

TEST_F(DataFileBackupsTest, SavesInOneSecondGetNamesOfTheirOwnInOrder) {
    Load({Titled("v0")});
    SaveAt(12, "v1");
    SaveAt(12, "v2");
    SaveAt(12, "v3");

    EXPECT_EQ(BackupNames(), (Strings{"Pennora-20261210-174512-2.Dat", "Pennora-20261210-174512-3.Dat",
                                      "Pennora-20261210-174512.Dat"}));
    const auto newest = backups.NewestReadable();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->version.path, kBackup + "Pennora-20261210-174512-3.Dat");
    EXPECT_EQ(newest->entries, std::vector<Entry>{Titled("v2")});
}

TEST_F(DataFileBackupsTest, SavesThatWriteNoNewBytesKeepNoVersion) {
    // The first save has no file to keep; saving without a change, or again
    // after a save that failed, would only push real versions out.
    files.files.erase(kPath);
    ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::NoFile);
    SaveAt(1, "v1");
    EXPECT_TRUE(BackupNames().empty());

    clock.now.second = 2;
    store.Save();
    EXPECT_TRUE(BackupNames().empty());

    files.saveErrors[kPath] = "无法保存文件 \"" + kPath + "\"：磁盘已满。";
    EXPECT_THROW(SaveAt(3, "v2"), Error);
    files.saveErrors.clear();
    SaveAt(4, "v2");

    EXPECT_EQ(BackupNames(), Strings{"Pennora-20261210-174503.Dat"});
    EXPECT_EQ(TitleIn(kPath), "v2");
}

TEST_F(DataFileBackupsTest, AVersionThatCannotBeKeptNeverStopsTheSaveAndIsToldOncePerRun) {
    Load({Titled("v0")});
    folders.makeFolderError = "无法建立文件夹 \"" + kBackup + "\"：拒绝访问。";
    SaveAt(1, "v1");
    folders.makeFolderError.clear();
    const std::string refusedCopy = kBackup + "Pennora-20261210-174502.Dat";
    files.saveErrors[refusedCopy] = "无法保存文件 \"" + refusedCopy + "\"：磁盘已满。";
    SaveAt(2, "v2");

    EXPECT_EQ(TitleIn(kPath), "v2");
    EXPECT_TRUE(BackupNames().empty());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("数据项已经保存"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("拒绝访问"), std::string::npos) << told[0];

    files.saveErrors.clear();
    SaveAt(3, "v3");
    EXPECT_EQ(BackupNames(), Strings{"Pennora-20261210-174503.Dat"});
    EXPECT_EQ(told.size(), 1u);
}

// ---- The offer at a start that found the data file unreadable ---------------------

class VersionOfferTest : public DataFileBackupsTest {
protected:
    bool StartWithUnreadableFile() {
        files.files[kPath] = "not a data file";
        const EntryStore::LoadResult result = store.Load();
        EXPECT_EQ(result.status, EntryStore::LoadStatus::Unreadable);
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
    EXPECT_EQ(boxes.calls, fakes::CallLog{"MessageBoxA(0x10, " + fakes::Quoted(unreadableMessage + "程序从空的数据开始。") +
                                          ", \"KestovaPennora\", 0x10)"});
    EXPECT_EQ(store.RowCount(), 0u);
}

}  // namespace
}  // namespace pennora
