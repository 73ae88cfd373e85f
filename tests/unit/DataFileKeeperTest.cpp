#include "entries/DataFileKeeper.h"

#include <gtest/gtest.h>

#include <map>

#include "entries/DataFileBackups.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFolderFiles.h"
#include "fakes/FaultPlan.h"
#include "platform/Error.h"
#include "unit/EntryStoreFixture.h"

namespace pennora {
namespace {

using DataFileKeeperTest = EntryStoreFixture;

// The same, with a folder of earlier versions of the data file beside it.
class DataFileKeeperVersionsTest : public EntryStoreFixture {
protected:
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
};

TEST_F(DataFileKeeperTest, SaveAndLoadKeepEntriesAndOrder) {
    std::vector<Entry> entries = {Titled(std::nullopt), Titled("", "", false, false), Titled("灌水", "内容", true, true)};
    Load(entries);
    dataFile.Save();
    EXPECT_EQ(SavedEntries(), entries);
    EXPECT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    EXPECT_EQ(store.CurrentRow(), 0u);
    EXPECT_EQ(store.Row(2), entries[2]);
}

TEST_F(DataFileKeeperTest, FailedSaveKeepsTheEntriesAndReportsTheFile) {
    Load({Titled("A")});
    const std::string oldFile = files.files[kPath];
    store.SetTitle("B");
    files.saveError = "无法保存文件 \"" + kPath + "\"：磁盘已满。";
    try {
        dataFile.Save();
        FAIL() << "save reported success";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), files.saveError);
    }
    EXPECT_EQ(files.files[kPath], oldFile);
    EXPECT_EQ(RowTitles(), (Strings{"B"}));

    files.saveError.clear();
    dataFile.Save();
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("B")}));
}

TEST_F(DataFileKeeperTest, UnreadableFileIsMovedAsideAndNotOverwritten) {
    const std::string garbage = "not a data file";
    files.files[kPath] = garbage;
    DataFileKeeper::LoadResult result = dataFile.Load();
    EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::Unreadable);
    EXPECT_NE(result.message.find(kPath), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(kPath + ".unreadable-1"), std::string::npos) << result.message;
    EXPECT_EQ(store.RowCount(), 0u);

    store.SetTitle("new");
    dataFile.Save();
    EXPECT_EQ(files.files.at(kPath + ".unreadable-1"), garbage);
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("new")}));
}

TEST_F(DataFileKeeperTest, UnreadableFileThatCannotBeMovedBlocksSavesUntilItCanBe) {
    files.files[kPath] = "garbage";
    files.moveAsideError = "无法将文件 \"" + kPath + "\" 改名：拒绝访问。";
    DataFileKeeper::LoadResult result = dataFile.Load();
    EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::Unreadable);
    EXPECT_NE(result.message.find(files.moveAsideError), std::string::npos) << result.message;

    store.SetTitle("new");
    EXPECT_THROW(dataFile.Save(), Error);
    EXPECT_EQ(files.files.at(kPath), "garbage");

    files.moveAsideError.clear();
    dataFile.Save();
    EXPECT_EQ(files.files.at(kPath + ".unreadable-1"), "garbage");
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("new")}));
}

// A data file whose bytes could not be read (a sharing violation, a disk
// error) or that a newer version wrote is not damaged: it stays where it is
// and no save may replace it, until a load succeeds.
TEST_F(DataFileKeeperTest, FileThatWasNotReadStaysInPlaceAndSavesAreRefused) {
    const std::string good = EncodeDataFile({Titled("A", "a")});
    std::string newer = good;
    newer[8] = 7;  // format version 7, checksum made right below
    std::uint32_t crc = Crc32(std::string_view(newer).substr(0, newer.size() - 4));
    for (int i = 0; i < 4; ++i) newer[newer.size() - 4 + i] = static_cast<char>(crc >> (8 * i));
    const std::string sharing = "无法读取文件 \"" + kPath + "\"：另一个程序正在使用此文件，进程无法访问。";
    const std::string shareGone = "无法查看文件 \"" + kPath + "\"：指定的网络名不再可用。";
    const struct {
        const char* what;
        std::string bytes;
        FileError readError;
        FileError lookupError;
        bool canRetry;
        std::string named;  // what the message must name besides the file
    } cases[] = {
        {"held by another program", good, sharing, "", true, sharing},
        {"on a share that is gone for a moment", good, "", shareGone, true, shareGone},
        {"newer format", newer, "", "", false, "7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files = {};
        files.files[kPath] = c.bytes;
        if (!c.readError.empty()) files.readErrors[kPath] = c.readError;
        if (!c.lookupError.empty()) files.lookupErrors[kPath] = c.lookupError;
        DataFileKeeper::LoadResult result = dataFile.Load();
        EXPECT_EQ(result.status, DataFileKeeper::LoadStatus::NotRead);
        EXPECT_EQ(result.canRetry, c.canRetry);
        EXPECT_NE(result.message.find(kPath), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(c.named), std::string::npos) << result.message;
        EXPECT_EQ(files.calls, fakes::CallLog{});  // not moved, not written

        store.SetTitle("typed after the failed load");
        EXPECT_THROW(dataFile.Save(), Error);
        EXPECT_EQ(files.files.at(kPath), c.bytes);
        EXPECT_EQ(files.files.size(), 1u);
    }

    files.readErrors[kPath] = sharing;
    files.files[kPath] = good;
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::NotRead);
    files.readErrors.clear();  // the other program let go: the retry reads it
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    EXPECT_EQ(RowTitles(), (Strings{"A"}));
    store.SetTitle("B");
    dataFile.Save();
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("B", "a")}));
}

// A replace cut short on a disk where it is not atomic leaves the new file
// under its temporary name, alone or beside a broken data file.
TEST_F(DataFileKeeperTest, TheTemporaryFileOfACutShortSaveIsRecovered) {
    const std::string saving = kPath + ".saving";
    const std::string older = EncodeDataFile({Titled("old")});
    const std::string newer = EncodeDataFile({Titled("new1"), Titled("new2")});
    const struct {
        const char* what;
        std::optional<std::string> dataFile, savingFile;
        DataFileKeeper::LoadStatus status;
        Strings rows;
        std::map<std::string, std::string> filesAfter;
    } cases[] = {
        {"only the temporary file", std::nullopt, newer, DataFileKeeper::LoadStatus::Recovered, {"new1", "new2"},
         {{kPath, newer}}},
        {"a torn data file beside it", older.substr(0, 20), newer, DataFileKeeper::LoadStatus::Recovered, {"new1", "new2"},
         {{kPath, newer}, {kPath + ".unreadable-1", older.substr(0, 20)}}},
        {"a whole data file beside it", older, newer, DataFileKeeper::LoadStatus::Loaded, {"old"},
         {{kPath, older}, {saving, newer}}},
        {"a torn temporary file alone", std::nullopt, newer.substr(0, 30), DataFileKeeper::LoadStatus::NoFile, {},
         {{saving, newer.substr(0, 30)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files = {};
        if (c.dataFile) files.files[kPath] = *c.dataFile;
        if (c.savingFile) files.files[saving] = *c.savingFile;
        DataFileKeeper::LoadResult result = dataFile.Load();
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(RowTitles(), c.rows);
        EXPECT_EQ(files.files, c.filesAfter);
        if (c.status == DataFileKeeper::LoadStatus::Recovered) {
            EXPECT_NE(result.message.find(saving), std::string::npos) << result.message;
            EXPECT_NE(result.message.find("2"), std::string::npos) << result.message;
        }
    }
}

TEST_F(DataFileKeeperTest, UnsavedChangesOfAnEndingSessionAreKeptApartUntilSavedOrDiscarded) {
    const std::string unsaved = kPath + ".unsaved";
    Load({Titled("A")});
    const std::string loadedBytes = files.files.at(kPath);
    store.SetTitle("pending");
    ASSERT_EQ(dataFile.SaveUnsavedChanges(), "");
    EXPECT_EQ(files.files.at(kPath), loadedBytes);
    EXPECT_EQ(DecodeDataFile(files.files.at(unsaved)).entries, (std::vector<Entry>{Titled("pending")}));

    // The next start: the data file as it was, and the changes on offer.
    // The load fills the rows before any view shows them; a restore comes
    // after the editor is up, so its view must hear of it.
    int viewTold = 0;
    store.SetRowsChanged([&] { ++viewTold; });
    Load({Titled("A")});
    EXPECT_EQ(viewTold, 0);
    ASSERT_EQ(dataFile.UnsavedChanges().state, FileState::Present);
    std::string error;
    ASSERT_TRUE(dataFile.RestoreUnsavedChanges(error)) << error;
    EXPECT_EQ(RowTitles(), (Strings{"pending"}));
    EXPECT_EQ(viewTold, 1);
    EXPECT_EQ(dataFile.UnsavedChanges().state, FileState::Present);  // until they are saved
    dataFile.Save();
    EXPECT_EQ(dataFile.UnsavedChanges().state, FileState::Absent);
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("pending")}));

    files.files[unsaved] = "torn";
    EXPECT_FALSE(dataFile.RestoreUnsavedChanges(error));
    EXPECT_NE(error.find(unsaved), std::string::npos) << error;
    EXPECT_EQ(RowTitles(), (Strings{"pending"}));
    dataFile.DiscardUnsavedChanges();
    EXPECT_EQ(dataFile.UnsavedChanges().state, FileState::Absent);

    // A folder that cannot be looked into answers neither yes nor no.
    files.files[unsaved] = "kept";
    files.lookupErrors[unsaved] = "无法查看文件 \"" + unsaved + "\"：设备未就绪。";
    FileQuery query = dataFile.UnsavedChanges();
    EXPECT_EQ(query.state, FileState::Unknown);
    EXPECT_EQ(query.error, files.lookupErrors[unsaved]);
}

// A save that cannot remove the changes an earlier session left says so;
// the next start does not offer those changes over the newer data file.
TEST_F(DataFileKeeperVersionsTest, UnsavedChangesOlderThanTheSavedDataFileAreNeverOfferedAgain) {
    const std::string unsaved = UnsavedFileOf(kPath);
    Strings told;
    dataFile.KeepEarlierVersions(backups, [&](const std::string& text) { told.push_back(text); });
    Load({Titled("A")});
    store.SetTitle("older change");
    ASSERT_EQ(dataFile.SaveUnsavedChanges(), "");

    // The next start restores them, then a save cannot remove their file.
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    ASSERT_EQ(dataFile.UnsavedChanges().state, FileState::Present);
    std::string error;
    ASSERT_TRUE(dataFile.RestoreUnsavedChanges(error)) << error;
    store.SetTitle("newest");
    files.removeErrors[unsaved] = "无法删除文件 \"" + unsaved + "\"：另一个程序正在使用此文件。";
    dataFile.Save();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(unsaved), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("另一个程序正在使用此文件"), std::string::npos) << told[0];
    EXPECT_EQ(files.files.count(unsaved), 1u);

    // The start after that.
    files.removeErrors.clear();
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    EXPECT_EQ(dataFile.UnsavedChanges().state, FileState::Absent);
    EXPECT_EQ(files.files.count(unsaved), 0u);
    EXPECT_EQ(RowTitles(), (Strings{"newest"}));
}


// The clock set back between a save and a session end makes real unsaved
// changes look older than the data file: they are never deleted, but kept
// as the newest earlier version, where the user can still pick them; when
// they cannot be moved there they stay where they are.
TEST_F(DataFileKeeperVersionsTest, UnsavedChangesThatLookOlderThanTheDataFileBecomeAKeptVersion) {
    const std::string unsaved = UnsavedFileOf(kPath);
    const std::string folder = "C:\\Tools\\Pennora\\Backup";
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    const std::string changes = EncodeDataFile({Titled("typed before the clock went back")});

    struct Case {
        const char* name;
        bool moveFails;
    };
    for (const Case c : {Case{"moved", false}, Case{"move refused", true}}) {
        SCOPED_TRACE(c.name);
        files = {};
        files.files[folder + "\\Pennora-000003-20261209-080000.Dat"] = EncodeDataFile({Titled("v3")});
        files.files[unsaved] = changes;
        files.files[UnsavedVersionMarkOf(kPath)] = "mark";  // goes with them, or stays beside them
        files.writeTimes[unsaved] = 5;
        files.files[kPath] = EncodeDataFile({Titled("A")});
        files.writeTimes[kPath] = 9;
        if (c.moveFails) files.renameError = "无法将文件改名：拒绝访问。";
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);

        EXPECT_EQ(dataFile.UnsavedChanges().state, FileState::Absent);  // not offered either way
        const std::string kept = folder + "\\Pennora-000004-20261210-174512.Dat";
        if (c.moveFails) {
            EXPECT_EQ(files.files.at(unsaved), changes);
            EXPECT_EQ(files.files.count(kept), 0u);
            EXPECT_EQ(files.files.count(UnsavedVersionMarkOf(kPath)), 1u);
        } else {
            EXPECT_EQ(files.files.count(unsaved), 0u);
            EXPECT_EQ(files.files.count(UnsavedVersionMarkOf(kPath)), 0u);
            ASSERT_EQ(files.files.count(kept), 1u);
            EXPECT_EQ(files.files.at(kept), changes);
            EXPECT_EQ(backups.Versions().front().path, kept);
        }
    }
}


// The data file as it was loaded or last saved is what a save may replace
// without asking. Another program's change to it (another copy of the
// folder, a sync client, a restore by hand) is found by its bytes, not its
// time: a save refuses until told to replace it, and then keeps it as a
// version first.
TEST_F(DataFileKeeperVersionsTest, ADataFileChangedElsewhereIsReplacedOnlyWhenToldAndThenKept) {
    const std::string folder = "C:\\Tools\\Pennora\\Backup";
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    const std::string elsewhere = EncodeDataFile({Titled("from the other copy")});

    struct Case {
        const char* name;
        std::optional<std::string> loaded;    // the data file at the load
        std::optional<std::string> meanwhile; // what is on disk at the save
        bool asks;
    };
    const std::string a = EncodeDataFile({Titled("A")});
    for (const Case& c : {Case{"rewritten by another program", a, elsewhere, true},
                          Case{"made where there was none", std::nullopt, elsewhere, true},
                          Case{"same bytes written again", a, a, false},
                          Case{"deleted", a, std::nullopt, false}}) {
        SCOPED_TRACE(c.name);
        files = {};
        if (c.loaded) files.files[kPath] = *c.loaded;
        ASSERT_NE(dataFile.Load().status, DataFileKeeper::LoadStatus::NotRead);
        store.SetTitle("mine");
        files.files.erase(kPath);
        if (c.meanwhile) {
            files.files[kPath] = *c.meanwhile;
            files.writeTimes[kPath] = ++files.ticks;
        }

        if (c.asks) {
            try {
                dataFile.Save();
                ADD_FAILURE() << "saved over the changed file";
            } catch (const DataFileChangedError& error) {
                EXPECT_NE(std::string(error.what()).find(kPath), std::string::npos) << error.what();
            }
            EXPECT_EQ(files.files.at(kPath), elsewhere);
            EXPECT_EQ(RowTitles(), (Strings{"mine"}));
            EXPECT_THROW(dataFile.Save(), DataFileChangedError);  // still asks, until told

            dataFile.Save(DataFileKeeper::IfChangedElsewhere::Replace);
            const auto versions = backups.Versions();
            ASSERT_FALSE(versions.empty());
            EXPECT_EQ(files.files.at(versions.front().path), elsewhere);
        } else {
            dataFile.Save();
        }
        EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("mine")}));
        store.SetTitle("again");
        EXPECT_NO_THROW(dataFile.Save());  // what this run saved is no change of another's
    }
}

// A file that cannot be read at the save cannot be told unchanged: nothing is
// written, and the error names it. A replace whose copy of the other file
// cannot be kept does not replace it either.
TEST_F(DataFileKeeperVersionsTest, ASaveThatCannotSeeOrKeepTheFileOnDiskWritesNothing) {
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    Load({Titled("A")});
    store.SetTitle("mine");
    const std::string onDisk = files.files.at(kPath);

    files.readErrors[kPath] = "无法读取文件 \"" + kPath + "\"：另一个程序正在使用此文件。";
    try {
        dataFile.Save();
        ADD_FAILURE() << "saved over a file it could not read";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("另一个程序正在使用此文件"), std::string::npos) << error.what();
    }
    EXPECT_EQ(files.files.at(kPath), onDisk);
    files.readErrors.clear();

    const std::string elsewhere = EncodeDataFile({Titled("from the other copy")});
    files.files[kPath] = elsewhere;
    folders.makeFolderError = "无法建立文件夹 \"C:\\Tools\\Pennora\\Backup\"：拒绝访问。";
    EXPECT_THROW(dataFile.Save(DataFileKeeper::IfChangedElsewhere::Replace), Error);
    EXPECT_EQ(files.files.at(kPath), elsewhere);
    EXPECT_EQ(RowTitles(), (Strings{"mine"}));
}

// After the rows were replaced by a picked version, the data file on disk
// holds the only copy of the entries the user had before. A save may then
// replace it only once it is kept among the versions: when the versions'
// folder takes nothing, the save writes nothing, says why, and the loaded
// version stays a change still to be saved. An ordinary save goes on as
// before and only tells afterwards.
TEST_F(DataFileKeeperVersionsTest, AfterAVersionIsLoadedASaveThatCannotKeepTheDataFileWritesNothing) {
    std::vector<std::string> told;
    dataFile.KeepEarlierVersions(backups, [&](const std::string& text) { told.push_back(text); });
    const std::string quotedFolder = fakes::Quoted("C:\\Tools\\Pennora\\Backup\\");
    struct Case {
        const char* name;
        FileError makeFolderError;  // the versions' folder cannot be made
        std::string every;          // the calls into the versions' folder that fail
    };
    for (const Case& c : {Case{"the folder cannot be made", "无法建立文件夹 \"C:\\Tools\\Pennora\\Backup\"：拒绝访问。", ""},
                          Case{"nothing can be written into it", "",
                               "Write(" + quotedFolder.substr(0, quotedFolder.size() - 1)}}) {
        SCOPED_TRACE(c.name);
        files = {};
        folders.makeFolderError.clear();
        LoadNumbered(200);
        const std::string before = files.files.at(kPath);
        fakes::FaultPlan plan;
        plan.every = c.every;
        files.faults = &plan;
        folders.makeFolderError = c.makeFolderError;

        store.ReplaceAllAsUnsaved({Titled("V1"), Titled("V2"), Titled("V3")});
        try {
            dataFile.Save();
            ADD_FAILURE() << "saved over the only copy of the entries before the load";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find("C:\\Tools\\Pennora\\Backup"), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("没有保存"), std::string::npos) << error.what();
        }
        EXPECT_EQ(files.files.at(kPath), before);
        EXPECT_EQ(RowTitles(), (Strings{"V1", "V2", "V3"}));
        EXPECT_THROW(dataFile.Save(), Error);  // still refused while the folder takes nothing

        files.faults = nullptr;
        folders.makeFolderError.clear();
        dataFile.Save();
        EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("V1"), Titled("V2"), Titled("V3")}));
        ASSERT_FALSE(backups.Versions().empty());
        EXPECT_EQ(files.files.at(backups.Versions().front().path), before);

        // Once saved, the next ordinary save keeps its trade-off: it saves and tells.
        files.faults = &plan;
        folders.makeFolderError = c.makeFolderError;
        store.SetTitle("V1 changed");
        EXPECT_NO_THROW(dataFile.Save());
        EXPECT_EQ(SavedEntries().front().title, "V1 changed");
        files.faults = nullptr;
        folders.makeFolderError.clear();
    }
}

// A session that ends after a version was loaded keeps that mark beside its
// unsaved changes: restored at the next start, they are again a whole
// replacement, and the first save keeps the data file among the versions
// before it writes, or writes nothing. Ordinary unsaved changes (and those
// an older run kept, with no mark beside them) save as any edit does. A
// mark that cannot be looked at counts as there: a refused save can be
// mended, a lost data file cannot.
TEST_F(DataFileKeeperVersionsTest, AVersionLoadedBeforeASessionEndIsStillAWholeReplacementAfterTheRestore) {
    const std::string unsaved = UnsavedFileOf(kPath), mark = UnsavedVersionMarkOf(kPath);
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    struct Case {
        const char* name;
        bool versionLoaded;    // else an ordinary edit
        bool markLeftBehind;   // a mark an earlier run could not remove
        bool markUnreadable;   // the mark's look-up fails at the restore
        bool keepsFileFirst;
    };
    for (const Case& c : {Case{"a loaded version", true, false, false, true},
                          Case{"ordinary edits", false, false, false, false},
                          Case{"ordinary edits beside a mark left behind", false, true, false, false},
                          Case{"the mark cannot be looked at", false, false, true, true}}) {
        SCOPED_TRACE(c.name);
        files = {};
        folders.makeFolderError.clear();
        Load({Titled("saved1"), Titled("saved2")});
        const std::string before = files.files.at(kPath);
        if (c.markLeftBehind) files.files[mark] = "left behind";
        if (c.versionLoaded) {
            store.ReplaceAllAsUnsaved({Titled("V1")});
        } else {
            store.SetTitle("edited");
            store.Post();
        }
        const std::vector<Entry> changes = store.StoredEntries();
        ASSERT_EQ(dataFile.SaveUnsavedChanges(), "");

        // The next start restores them.
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
        ASSERT_EQ(dataFile.UnsavedChanges().state, FileState::Present);
        if (c.markUnreadable) files.lookupErrors[mark] = "无法查看文件 \"" + mark + "\"：设备未就绪。";
        std::string error;
        ASSERT_TRUE(dataFile.RestoreUnsavedChanges(error)) << error;
        files.lookupErrors.clear();
        EXPECT_EQ(store.StoredEntries(), changes);
        EXPECT_EQ(store.ReplacedWhole(), c.keepsFileFirst);

        // The versions' folder cannot be made.
        folders.makeFolderError = "无法建立文件夹 \"C:\\Tools\\Pennora\\Backup\"：拒绝访问。";
        if (c.keepsFileFirst) {
            EXPECT_THROW(dataFile.Save(), Error);
            EXPECT_EQ(files.files.at(kPath), before);
            EXPECT_EQ(files.files.count(unsaved), 1u);
            folders.makeFolderError.clear();
            dataFile.Save();
            ASSERT_FALSE(backups.Versions().empty());
            EXPECT_EQ(files.files.at(backups.Versions().front().path), before);
        } else {
            EXPECT_NO_THROW(dataFile.Save());
        }
        EXPECT_EQ(SavedEntries(), changes);
        EXPECT_EQ(files.files.count(unsaved), 0u);
        EXPECT_EQ(files.files.count(mark), 0u);
    }
}

// The mark is part of what a session end keeps, and it is written before the
// changes: a session killed between the two writes leaves a mark alone (the
// next restore is only stricter), never a loaded version's rows with no mark
// (restored as ordinary edits, their first save would overwrite the data file
// with no copy kept). A mark that cannot be written still lets the changes be
// written, and the end is told so (it can be held up until the user saves).
TEST_F(DataFileKeeperVersionsTest, ASessionEndMarksALoadedVersionBeforeItWritesItsRows) {
    const std::string unsaved = UnsavedFileOf(kPath), mark = UnsavedVersionMarkOf(kPath);
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    struct Case {
        const char* name;
        bool markFails, rowsFail;
    };
    for (const Case& c : {Case{"both written", false, false}, Case{"the mark cannot be written", true, false},
                          Case{"the rows cannot be written (killed before them)", false, true}}) {
        SCOPED_TRACE(c.name);
        files = {};
        Load({Titled("saved")});
        store.ReplaceAllAsUnsaved({Titled("V1")});
        if (c.markFails) files.saveErrors[mark] = "无法写入文件 \"" + mark + "\"：磁盘已满。";
        if (c.rowsFail) files.saveErrors[unsaved] = "无法写入文件 \"" + unsaved + "\"：磁盘已满。";
        files.calls.clear();
        const FileError error = dataFile.SaveUnsavedChanges();
        EXPECT_EQ(error, c.markFails ? files.saveErrors[mark] : c.rowsFail ? files.saveErrors[unsaved] : "");
        const std::vector<std::string> writes(files.calls.begin(), files.calls.end());
        ASSERT_GE(writes.size(), 2u);
        EXPECT_EQ(writes[0], "SaveWholeFile(" + fakes::Quoted(mark) + ")");
        EXPECT_EQ(writes[1], "SaveWholeFile(" + fakes::Quoted(unsaved) + ")");
        EXPECT_EQ(files.files.count(mark), c.markFails ? 0u : 1u);
        EXPECT_EQ(files.files.count(unsaved), c.rowsFail ? 0u : 1u);
    }
}

// Ordinary changes at a session end drop a mark left beside earlier rows
// only once their own rows stand in the file: when they cannot be written,
// the earlier rows keep their mark.
TEST_F(DataFileKeeperVersionsTest, OrdinaryChangesDropAnEarlierMarkOnlyOnceTheirRowsAreWritten) {
    const std::string unsaved = UnsavedFileOf(kPath), mark = UnsavedVersionMarkOf(kPath);
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    for (bool rowsFail : {false, true}) {
        SCOPED_TRACE(rowsFail ? "the rows cannot be written" : "the rows are written");
        files = {};
        Load({Titled("saved")});
        files.files[unsaved] = EncodeDataFile({Titled("V1")});
        files.files[mark] = "";
        store.MoveTo(0);
        store.SetTitle("edited");
        if (rowsFail) files.saveErrors[unsaved] = "无法写入文件 \"" + unsaved + "\"：磁盘已满。";
        EXPECT_EQ(dataFile.SaveUnsavedChanges(), rowsFail ? files.saveErrors[unsaved] : "");
        EXPECT_EQ(files.files.count(mark), rowsFail ? 1u : 0u);
    }
}

// A called-off session end removes the rows it kept, then their mark; when
// the rows cannot be removed the mark stays beside them, so a later restore
// of them still keeps the data file first.
TEST_F(DataFileKeeperVersionsTest, DiscardedUnsavedChangesTakeTheirMarkOnlyWhenTheyGo) {
    const std::string unsaved = UnsavedFileOf(kPath), mark = UnsavedVersionMarkOf(kPath);
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    for (bool removeFails : {false, true}) {
        SCOPED_TRACE(removeFails ? "the rows cannot be removed" : "the rows are removed");
        files = {};
        Load({Titled("saved")});
        store.ReplaceAllAsUnsaved({Titled("V1")});
        ASSERT_EQ(dataFile.SaveUnsavedChanges(), "");
        if (removeFails) files.removeErrors[unsaved] = "无法删除文件 \"" + unsaved + "\"：拒绝访问。";
        EXPECT_EQ(dataFile.DiscardUnsavedChanges(), removeFails ? files.removeErrors[unsaved] : "");
        EXPECT_EQ(files.files.count(unsaved), removeFails ? 1u : 0u);
        EXPECT_EQ(files.files.count(mark), removeFails ? 1u : 0u);
    }
}

}  // namespace
}  // namespace pennora
