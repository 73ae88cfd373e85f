#include "entries/EntryStore.h"

#include <gtest/gtest.h>

#include <map>

#include "entries/DataFile.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"
#include "platform/Error.h"

namespace pennora {
namespace {

using Strings = std::vector<std::string>;

const std::string kPath = "C:\\Tools\\Pennora\\Pennora.Dat";

Entry Titled(std::optional<std::string> title, std::optional<std::string> content = std::nullopt,
             std::optional<bool> inDrag = std::nullopt, std::optional<bool> inHotKey = std::nullopt) {
    return {std::move(title), std::move(content), inDrag, inHotKey};
}

class EntryStoreTest : public ::testing::Test {
protected:
    EntryStoreTest() {
        store.SetAfterPost([this] {
            ++afterPosts;
            ClientDataSet1AfterPost(store, flags, sinks);
        });
    }

    void Load(const std::vector<Entry>& entries) {
        files.files[kPath] = EncodeDataFile(entries);
        ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    }
    void LoadNumbered(int count) {
        std::vector<Entry> entries;
        for (int i = 1; i <= count; ++i) entries.push_back(Titled("E" + std::to_string(i), "c" + std::to_string(i)));
        Load(entries);
    }
    std::vector<Entry> SavedEntries() {
        DecodedDataFile decoded = DecodeDataFile(files.files.at(kPath));
        EXPECT_TRUE(decoded.ok()) << decoded.error;
        return decoded.entries;
    }
    Strings RowTitles() const {
        Strings titles;
        for (std::size_t row = 0; row < store.RowCount(); ++row) titles.push_back(store.Row(row).title.value_or("<null>"));
        return titles;
    }
    std::string CurrentTitle() const { return store.Current() ? store.Current()->title.value_or("<null>") : "<none>"; }

    fakes::FakeFileSystem files;
    EntryStore store{files, kPath};
    ModeFlags flags;
    int afterPosts = 0;
    Strings fillMenu{"stale"};
    Strings dragList{"stale"};
    FillListSinks sinks{[this](const Strings& titles) { fillMenu = titles; },
                        [this](const Strings& titles) { dragList = titles; }};
};

TEST_F(EntryStoreTest, NewEntryIsStoredBeforeTheCurrentOneAtItsFirstChange) {
    Load({Titled("A"), Titled("B")});
    store.Next();
    store.Insert();
    EXPECT_EQ(RowTitles(), (Strings{"A", "<null>", "B"}));
    EXPECT_EQ(store.CurrentRow(), 1u);
    EXPECT_EQ(afterPosts, 0);

    store.SetTitle("N");
    store.Save();

    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("A"), Titled("N"), Titled("B")}));
    EXPECT_EQ(afterPosts, 1);
    EXPECT_TRUE(flags.dataModified);
}

TEST_F(EntryStoreTest, UntouchedNewEntryIsDroppedOnPriorAndOnSave) {
    Load({Titled("A"), Titled("B"), Titled("C")});
    store.MoveTo(2);
    store.Insert();
    store.Prior();
    EXPECT_EQ(CurrentTitle(), "B");  // the entry before the one current at the insert
    EXPECT_EQ(RowTitles(), (Strings{"A", "B", "C"}));

    // The same save with the new entry touched is the contrast that shows the
    // flag and the count can move.
    for (bool touched : {false, true}) {
        Load({Titled("A"), Titled("B"), Titled("C")});
        flags = {};
        afterPosts = 0;
        store.Insert();
        if (touched) store.SetContent("typed");
        store.Save();
        EXPECT_EQ(SavedEntries().size(), touched ? 4u : 3u) << touched;
        EXPECT_EQ(afterPosts, touched ? 1 : 0) << touched;
        EXPECT_EQ(flags.dataModified, touched) << touched;
    }
}

TEST_F(EntryStoreTest, ChangesArePendingUntilCommittedAndCancelRestoresThem) {
    Load({Titled("A", "a"), Titled("B", "b")});
    store.SetContent("a");  // the stored value: no change
    EXPECT_FALSE(store.IsEditing());

    store.SetContent("changed");
    EXPECT_TRUE(store.IsEditing());
    EXPECT_EQ(store.Current()->content, "changed");
    store.Cancel();
    EXPECT_EQ(store.Current()->content, "a");

    store.SetContent("changed");
    store.Next();
    EXPECT_EQ(afterPosts, 1);
    EXPECT_EQ(CurrentTitle(), "B");
    EXPECT_EQ(store.Row(0).content, "changed");
}

TEST_F(EntryStoreTest, TypingIntoAnEmptyStoreStartsANewEntryWithNullFlags) {
    EXPECT_EQ(store.Load().status, EntryStore::LoadStatus::NoFile);
    EXPECT_EQ(store.Current(), nullptr);
    store.SetTitle("x");
    EXPECT_TRUE(store.IsNewEntry());
    store.Post();
    EXPECT_EQ(RowTitles(), (Strings{"x"}));
    EXPECT_EQ(*store.Current(), Titled("x"));
}

TEST_F(EntryStoreTest, GridFocusLossAndRowSelectionDropAnUntouchedNewEntry) {
    Load({Titled("A"), Titled("B"), Titled("C")});
    store.Insert();  // before A
    store.DropUntouchedNewEntry();
    EXPECT_EQ(CurrentTitle(), "A");

    store.Insert();
    store.MoveTo(2);  // the row of B while the new entry was shown
    EXPECT_EQ(CurrentTitle(), "B");

    store.Insert();
    store.SetTitle("N");
    store.DropUntouchedNewEntry();  // it was changed: stays
    EXPECT_TRUE(store.IsNewEntry());
}

TEST_F(EntryStoreTest, DeleteRemovesTheCurrentEntryAndRunsAfterPost) {
    Load({Titled("A"), Titled("B"), Titled("C")});
    store.MoveTo(1);
    store.Delete();
    EXPECT_EQ(CurrentTitle(), "C");  // the following entry
    store.Delete();
    EXPECT_EQ(CurrentTitle(), "A");  // the last one was deleted: the previous
    EXPECT_EQ(afterPosts, 2);

    store.Insert();
    store.SetTitle("N");
    store.Delete();  // a new entry is only dropped
    EXPECT_EQ(RowTitles(), (Strings{"A"}));
    EXPECT_EQ(afterPosts, 2);

    store.Delete();
    EXPECT_EQ(store.Current(), nullptr);
    try {
        store.Delete();
        FAIL() << "delete on an empty store succeeded";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Cannot perform this operation on an empty dataset");
    }
}

// A delete by id while another entry has an uncommitted change: the change
// is committed to its own entry first, and the entry the id names goes, even
// when the commit stores a new entry before it and moves its row.
TEST_F(EntryStoreTest, DeleteByIdCommitsAnotherEntrysPendingChangeToThatEntry) {
    struct Case {
        const char* name;
        bool insert;
        Strings rowsAfter;
    };
    for (const Case& c : {Case{"edit", false, {"edited", "B"}}, Case{"new entry", true, {"new", "A", "B"}}}) {
        SCOPED_TRACE(c.name);
        Load({Titled("A"), Titled("B"), Titled("C")});
        store.MoveTo(2);
        const EntryId doomed = *store.CurrentId();
        store.MoveTo(0);
        if (c.insert) {
            store.Insert();
            store.SetTitle("new");
        } else {
            store.SetTitle("edited");
        }
        ASSERT_TRUE(store.IsEditing());

        EXPECT_TRUE(store.Delete(doomed));
        EXPECT_EQ(RowTitles(), c.rowsAfter);
        store.Save();
        std::vector<Entry> expected;
        for (const std::string& title : c.rowsAfter) expected.push_back(Titled(title));
        EXPECT_EQ(SavedEntries(), expected);
        EXPECT_FALSE(store.Delete(doomed));
    }
}

TEST_F(EntryStoreTest, PriorAndNextStopAtTheEnds) {
    LoadNumbered(2);
    store.Prior();
    EXPECT_EQ(CurrentTitle(), "E1");
    store.Next();
    store.Next();
    EXPECT_EQ(CurrentTitle(), "E2");
}

TEST_F(EntryStoreTest, ListsHoldRepeatedTitlesAndCountNullFlagsAsSet) {
    Load({Titled("A", "first", true, false), Titled("A", "second", true, true), Titled(std::nullopt, "untitled"),
          Titled("B", "b", false, std::nullopt)});
    store.MoveTo(3);
    EXPECT_EQ(store.WalkHotKeyList(), (Strings{"A", "", "B"}));
    EXPECT_EQ(store.CurrentRow(), 0u);
    store.MoveTo(3);
    EXPECT_EQ(store.WalkDragList(), (Strings{"A", "A", ""}));
    EXPECT_EQ(store.CurrentRow(), 0u);
    EXPECT_EQ(afterPosts, 0);

    store.MoveTo(2);
    const struct {
        std::string title, content;
    } lookups[] = {{"A", "first"}, {"a", ""}, {"A ", ""}, {"", "untitled"}, {"B", "b"}, {"missing", ""}};
    Strings titles, contents;
    for (const auto& lookup : lookups) {
        EXPECT_EQ(store.GetContentByTitle(lookup.title), lookup.content) << lookup.title;
        titles.push_back(lookup.title);
        contents.push_back(lookup.content);
    }
    EXPECT_EQ(store.ContentsByTitle(titles), contents);  // the same rule for many titles at once
    EXPECT_EQ(store.CurrentRow(), 2u);
}

// The drag-fill window's find looks at the contents while the user may be
// editing: it reads what is stored and commits nothing.
TEST_F(EntryStoreTest, ContentsByTitleReadsTheStoredEntriesAndCommitsNothing) {
    Load({Titled("A", "a"), Titled("B", "b")});
    store.Next();
    store.SetContent("pending");
    EXPECT_EQ(store.ContentsByTitle({"B", "A"}), (Strings{"b", "a"}));
    EXPECT_TRUE(store.IsEditing());
    EXPECT_EQ(store.CurrentRow(), 1u);
    EXPECT_EQ(afterPosts, 0);
}

TEST_F(EntryStoreTest, WalksAndLookupCommitThePendingChangeFirst) {
    Load({Titled("A", "a"), Titled("B", "b")});
    store.SetTitle("Z");  // pending on the first entry
    EXPECT_EQ(store.GetContentByTitle("Z"), "a");  // found only because it was committed first
    EXPECT_EQ(store.GetContentByTitle("A"), "");
    EXPECT_EQ(afterPosts, 1);

    store.Next();
    store.SetTitle("Y");
    EXPECT_EQ(store.WalkDragList(), (Strings{"Z", "Y"}));
    EXPECT_EQ(afterPosts, 2);
}

// A fill typed into the tool's own editor: the lookup commits the entry being
// edited, and the rebuild of a running mode's list would make the first entry
// current, so the typed characters would land in it. The entry shown when
// the fill started stays current, and the editor never sees another one. An
// untouched new entry, which a commit would drop, stays to take the text.
TEST_F(EntryStoreTest, ALookupLeavesTheEntryThatWasShownCurrent) {
    const struct {
        const char* name;
        bool insert;
        std::optional<std::string> typed;
        Strings fillMenu;  // rebuilt by the lookup's commit
    } cases[] = {
        {"an edited entry", false, "typed", {"E1", "E2", "E3", "E4"}},
        {"a typed new entry", true, "typed", {"E1", "E2", "", "E3", "E4"}},
        {"an untouched new entry", true, std::nullopt, {"stale"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadNumbered(4);
        flags = {};
        flags.hotKeyOn = flags.dragFillOn = true;
        fillMenu = {"stale"};
        store.MoveTo(2);
        if (c.insert) store.Insert();
        if (c.typed) store.SetContent(c.typed);
        std::vector<std::optional<std::size_t>> shown;
        store.SetRowsChanged([&] { shown.push_back(store.CurrentRow()); });

        EXPECT_EQ(store.GetContentByTitle("E1"), "c1");

        EXPECT_EQ(fillMenu, c.fillMenu);
        EXPECT_EQ(store.CurrentRow(), 2u);
        EXPECT_EQ(store.Current()->content, c.typed);
        for (const auto& row : shown) EXPECT_EQ(row, 2u);
        store.SetContent(c.typed.value_or("") + "filled");
        store.Post();
        EXPECT_EQ(store.Row(0).content, "c1");
        EXPECT_EQ(store.Row(2).content, c.typed.value_or("") + "filled");
        EXPECT_EQ(store.RowCount(), c.insert ? 5u : 4u);
        store.SetRowsChanged(nullptr);
    }
}

TEST_F(EntryStoreTest, AfterPostWalksForARunningModeEvenWithoutAListAttached) {
    for (bool hotKey : {true, false}) {
        LoadNumbered(5);
        flags = {};
        (hotKey ? flags.hotKeyOn : flags.dragFillOn) = true;
        sinks = {};
        store.MoveTo(4);
        store.SetTitle("X");
        store.Post();
        EXPECT_EQ(CurrentTitle(), "E1") << hotKey;
    }
}

TEST_F(EntryStoreTest, AfterPostLeavesTheFirstEntryCurrentOnlyWhileAModeRuns) {
    const struct {
        bool hotKeyOn, dragFillOn;
        std::string currentAfterCommit;
        Strings fillMenu, dragList;
    } cases[] = {
        {false, false, "X", {"stale"}, {"stale"}},
        {true, false, "E1", {"E1", "E2", "E3", "E4", "X"}, {"stale"}},
        {false, true, "E1", {"stale"}, {"E1", "E2", "E3", "E4", "X"}},
        {true, true, "E1", {"E1", "E2", "E3", "E4", "X"}, {"E1", "E2", "E3", "E4", "X"}},
    };
    for (const auto& c : cases) {
        LoadNumbered(5);
        flags = {};
        flags.hotKeyOn = c.hotKeyOn;
        flags.dragFillOn = c.dragFillOn;
        fillMenu = dragList = {"stale"};
        store.MoveTo(4);
        store.SetTitle("X");
        store.Post();
        EXPECT_TRUE(flags.dataModified);
        EXPECT_EQ(CurrentTitle(), c.currentAfterCommit) << c.hotKeyOn << c.dragFillOn;
        EXPECT_EQ(fillMenu, c.fillMenu) << c.hotKeyOn << c.dragFillOn;
        EXPECT_EQ(dragList, c.dragList) << c.hotKeyOn << c.dragFillOn;
    }
}

TEST_F(EntryStoreTest, WithAModeRunningNextAfterAnEditLandsOnTheSecondEntry) {
    LoadNumbered(4);
    flags.hotKeyOn = true;
    store.MoveTo(2);
    store.SetContent("edited");
    store.Next();
    EXPECT_EQ(CurrentTitle(), "E2");
}

TEST_F(EntryStoreTest, TextsAreCutToTheirWidthWithoutSplittingAGbkCharacter) {
    const std::string han = "灌";  // two bytes
    ASSERT_EQ(han.size(), 2u);
    const struct {
        std::string text;
        std::size_t width, expectedSize;
    } cases[] = {
        {std::string(1200, 'a'), kContentWidth, 1000},
        {std::string(98, 'a') + han + "b", kTitleWidth, 100},
        {std::string(99, 'a') + han, kTitleWidth, 99},  // the lead byte would be the 100th
        {std::string(99, 'a') + "b" + han, kTitleWidth, 100},
        {"\xB9" + std::string(120, 'a'), kTitleWidth, 100},  // a lead byte pairs with any next byte
        {std::string(999, 'a') + "\xB9", kContentWidth, 1000},  // a lone lead byte at the end stays
        {han + han, 3, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutToWidth(c.text, c.width), c.text.substr(0, c.expectedSize)) << fakes::Quoted(c.text);

    store.SetTitle(std::string(99, 'a') + han);
    store.SetContent(std::string(1200, 'c'));
    store.Post();
    EXPECT_EQ(store.Current()->title->size(), 99u);
    EXPECT_EQ(store.Current()->content->size(), 1000u);
}

TEST_F(EntryStoreTest, SaveAndLoadKeepEntriesAndOrder) {
    std::vector<Entry> entries = {Titled(std::nullopt), Titled("", "", false, false), Titled("灌水", "内容", true, true)};
    Load(entries);
    store.Save();
    EXPECT_EQ(SavedEntries(), entries);
    EXPECT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    EXPECT_EQ(store.CurrentRow(), 0u);
    EXPECT_EQ(store.Row(2), entries[2]);
}

TEST_F(EntryStoreTest, FailedSaveKeepsTheEntriesAndReportsTheFile) {
    Load({Titled("A")});
    const std::string oldFile = files.files[kPath];
    store.SetTitle("B");
    files.saveError = "无法保存文件 \"" + kPath + "\"：磁盘已满。";
    try {
        store.Save();
        FAIL() << "save reported success";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), files.saveError);
    }
    EXPECT_EQ(files.files[kPath], oldFile);
    EXPECT_EQ(RowTitles(), (Strings{"B"}));

    files.saveError.clear();
    store.Save();
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("B")}));
}

TEST_F(EntryStoreTest, UnreadableFileIsMovedAsideAndNotOverwritten) {
    const std::string garbage = "not a data file";
    files.files[kPath] = garbage;
    EntryStore::LoadResult result = store.Load();
    EXPECT_EQ(result.status, EntryStore::LoadStatus::Unreadable);
    EXPECT_NE(result.message.find(kPath), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(kPath + ".unreadable-1"), std::string::npos) << result.message;
    EXPECT_EQ(store.RowCount(), 0u);

    store.SetTitle("new");
    store.Save();
    EXPECT_EQ(files.files.at(kPath + ".unreadable-1"), garbage);
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("new")}));
}

TEST_F(EntryStoreTest, UnreadableFileThatCannotBeMovedBlocksSavesUntilItCanBe) {
    files.files[kPath] = "garbage";
    files.moveAsideError = "无法将文件 \"" + kPath + "\" 改名：拒绝访问。";
    EntryStore::LoadResult result = store.Load();
    EXPECT_EQ(result.status, EntryStore::LoadStatus::Unreadable);
    EXPECT_NE(result.message.find(files.moveAsideError), std::string::npos) << result.message;

    store.SetTitle("new");
    EXPECT_THROW(store.Save(), Error);
    EXPECT_EQ(files.files.at(kPath), "garbage");

    files.moveAsideError.clear();
    store.Save();
    EXPECT_EQ(files.files.at(kPath + ".unreadable-1"), "garbage");
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("new")}));
}

// A data file whose bytes could not be read (a sharing violation, a disk
// error) or that a newer version wrote is not damaged: it stays where it is
// and no save may replace it, until a load succeeds.
TEST_F(EntryStoreTest, FileThatWasNotReadStaysInPlaceAndSavesAreRefused) {
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
        EntryStore::LoadResult result = store.Load();
        EXPECT_EQ(result.status, EntryStore::LoadStatus::NotRead);
        EXPECT_EQ(result.canRetry, c.canRetry);
        EXPECT_NE(result.message.find(kPath), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(c.named), std::string::npos) << result.message;
        EXPECT_EQ(files.calls, fakes::CallLog{});  // not moved, not written

        store.SetTitle("typed after the failed load");
        EXPECT_THROW(store.Save(), Error);
        EXPECT_EQ(files.files.at(kPath), c.bytes);
        EXPECT_EQ(files.files.size(), 1u);
    }

    files.readErrors[kPath] = sharing;
    files.files[kPath] = good;
    ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::NotRead);
    files.readErrors.clear();  // the other program let go: the retry reads it
    ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    EXPECT_EQ(RowTitles(), (Strings{"A"}));
    store.SetTitle("B");
    store.Save();
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("B", "a")}));
}

// A replace cut short on a disk where it is not atomic leaves the new file
// under its temporary name, alone or beside a broken data file.
TEST_F(EntryStoreTest, TheTemporaryFileOfACutShortSaveIsRecovered) {
    const std::string saving = kPath + ".saving";
    const std::string older = EncodeDataFile({Titled("old")});
    const std::string newer = EncodeDataFile({Titled("new1"), Titled("new2")});
    const struct {
        const char* what;
        std::optional<std::string> dataFile, savingFile;
        EntryStore::LoadStatus status;
        Strings rows;
        std::map<std::string, std::string> filesAfter;
    } cases[] = {
        {"only the temporary file", std::nullopt, newer, EntryStore::LoadStatus::Recovered, {"new1", "new2"},
         {{kPath, newer}}},
        {"a torn data file beside it", older.substr(0, 20), newer, EntryStore::LoadStatus::Recovered, {"new1", "new2"},
         {{kPath, newer}, {kPath + ".unreadable-1", older.substr(0, 20)}}},
        {"a whole data file beside it", older, newer, EntryStore::LoadStatus::Loaded, {"old"},
         {{kPath, older}, {saving, newer}}},
        {"a torn temporary file alone", std::nullopt, newer.substr(0, 30), EntryStore::LoadStatus::NoFile, {},
         {{saving, newer.substr(0, 30)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files = {};
        if (c.dataFile) files.files[kPath] = *c.dataFile;
        if (c.savingFile) files.files[saving] = *c.savingFile;
        EntryStore::LoadResult result = store.Load();
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(RowTitles(), c.rows);
        EXPECT_EQ(files.files, c.filesAfter);
        if (c.status == EntryStore::LoadStatus::Recovered) {
            EXPECT_NE(result.message.find(saving), std::string::npos) << result.message;
            EXPECT_NE(result.message.find("2"), std::string::npos) << result.message;
        }
    }
}

TEST_F(EntryStoreTest, UnsavedChangesOfAnEndingSessionAreKeptApartUntilSavedOrDiscarded) {
    const std::string unsaved = kPath + ".unsaved";
    Load({Titled("A")});
    const std::string dataFile = files.files.at(kPath);
    store.SetTitle("pending");
    ASSERT_EQ(store.SaveUnsavedChanges(), "");
    EXPECT_EQ(files.files.at(kPath), dataFile);
    EXPECT_EQ(DecodeDataFile(files.files.at(unsaved)).entries, (std::vector<Entry>{Titled("pending")}));

    // The next start: the data file as it was, and the changes on offer.
    Load({Titled("A")});
    ASSERT_EQ(store.UnsavedChanges().state, FileState::Present);
    std::string error;
    ASSERT_TRUE(store.RestoreUnsavedChanges(error)) << error;
    EXPECT_EQ(RowTitles(), (Strings{"pending"}));
    EXPECT_EQ(store.UnsavedChanges().state, FileState::Present);  // until they are saved
    store.Save();
    EXPECT_EQ(store.UnsavedChanges().state, FileState::Absent);
    EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("pending")}));

    files.files[unsaved] = "torn";
    EXPECT_FALSE(store.RestoreUnsavedChanges(error));
    EXPECT_NE(error.find(unsaved), std::string::npos) << error;
    EXPECT_EQ(RowTitles(), (Strings{"pending"}));
    store.DiscardUnsavedChanges();
    EXPECT_EQ(store.UnsavedChanges().state, FileState::Absent);

    // A folder that cannot be looked into answers neither yes nor no.
    files.files[unsaved] = "kept";
    files.lookupErrors[unsaved] = "无法查看文件 \"" + unsaved + "\"：设备未就绪。";
    FileQuery query = store.UnsavedChanges();
    EXPECT_EQ(query.state, FileState::Unknown);
    EXPECT_EQ(query.error, files.lookupErrors[unsaved]);
}

// A save that cannot remove the changes an earlier session left says so;
// the next start does not offer those changes over the newer data file.
TEST_F(EntryStoreTest, UnsavedChangesOlderThanTheSavedDataFileAreNeverOfferedAgain) {
    const std::string unsaved = UnsavedFileOf(kPath);
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    Strings told;
    store.KeepEarlierVersions(backups, [&](const std::string& text) { told.push_back(text); });
    Load({Titled("A")});
    store.SetTitle("older change");
    ASSERT_EQ(store.SaveUnsavedChanges(), "");

    // The next start restores them, then a save cannot remove their file.
    ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    ASSERT_EQ(store.UnsavedChanges().state, FileState::Present);
    std::string error;
    ASSERT_TRUE(store.RestoreUnsavedChanges(error)) << error;
    store.SetTitle("newest");
    files.removeErrors[unsaved] = "无法删除文件 \"" + unsaved + "\"：另一个程序正在使用此文件。";
    store.Save();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(unsaved), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("另一个程序正在使用此文件"), std::string::npos) << told[0];
    EXPECT_EQ(files.files.count(unsaved), 1u);

    // The start after that.
    files.removeErrors.clear();
    ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);
    EXPECT_EQ(store.UnsavedChanges().state, FileState::Absent);
    EXPECT_EQ(files.files.count(unsaved), 0u);
    EXPECT_EQ(RowTitles(), (Strings{"newest"}));
}


// The clock set back between a save and a session end makes real unsaved
// changes look older than the data file: they are never deleted, but kept
// as the newest earlier version, where the user can still pick them; when
// they cannot be moved there they stay where they are.
TEST_F(EntryStoreTest, UnsavedChangesThatLookOlderThanTheDataFileBecomeAKeptVersion) {
    const std::string unsaved = UnsavedFileOf(kPath);
    const std::string folder = "C:\\Tools\\Pennora\\Backup";
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    store.KeepEarlierVersions(backups, [](const std::string&) {});
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
        files.writeTimes[unsaved] = 5;
        files.files[kPath] = EncodeDataFile({Titled("A")});
        files.writeTimes[kPath] = 9;
        if (c.moveFails) files.renameError = "无法将文件改名：拒绝访问。";
        ASSERT_EQ(store.Load().status, EntryStore::LoadStatus::Loaded);

        EXPECT_EQ(store.UnsavedChanges().state, FileState::Absent);  // not offered either way
        const std::string kept = folder + "\\Pennora-000004-20261210-174512.Dat";
        if (c.moveFails) {
            EXPECT_EQ(files.files.at(unsaved), changes);
            EXPECT_EQ(files.files.count(kept), 0u);
        } else {
            EXPECT_EQ(files.files.count(unsaved), 0u);
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
TEST_F(EntryStoreTest, ADataFileChangedElsewhereIsReplacedOnlyWhenToldAndThenKept) {
    const std::string folder = "C:\\Tools\\Pennora\\Backup";
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    store.KeepEarlierVersions(backups, [](const std::string&) {});
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
        ASSERT_NE(store.Load().status, EntryStore::LoadStatus::NotRead);
        store.SetTitle("mine");
        files.files.erase(kPath);
        if (c.meanwhile) {
            files.files[kPath] = *c.meanwhile;
            files.writeTimes[kPath] = ++files.ticks;
        }

        if (c.asks) {
            try {
                store.Save();
                ADD_FAILURE() << "saved over the changed file";
            } catch (const DataFileChangedError& error) {
                EXPECT_NE(std::string(error.what()).find(kPath), std::string::npos) << error.what();
            }
            EXPECT_EQ(files.files.at(kPath), elsewhere);
            EXPECT_EQ(RowTitles(), (Strings{"mine"}));
            EXPECT_THROW(store.Save(), DataFileChangedError);  // still asks, until told

            store.Save(EntryStore::IfChangedElsewhere::Replace);
            const auto versions = backups.Versions();
            ASSERT_FALSE(versions.empty());
            EXPECT_EQ(files.files.at(versions.front().path), elsewhere);
        } else {
            store.Save();
        }
        EXPECT_EQ(SavedEntries(), (std::vector<Entry>{Titled("mine")}));
        store.SetTitle("again");
        EXPECT_NO_THROW(store.Save());  // what this run saved is no change of another's
    }
}

// A file that cannot be read at the save cannot be told unchanged: nothing is
// written, and the error names it. A replace whose copy of the other file
// cannot be kept does not replace it either.
TEST_F(EntryStoreTest, ASaveThatCannotSeeOrKeepTheFileOnDiskWritesNothing) {
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    store.KeepEarlierVersions(backups, [](const std::string&) {});
    Load({Titled("A")});
    store.SetTitle("mine");
    const std::string onDisk = files.files.at(kPath);

    files.readErrors[kPath] = "无法读取文件 \"" + kPath + "\"：另一个程序正在使用此文件。";
    try {
        store.Save();
        ADD_FAILURE() << "saved over a file it could not read";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("另一个程序正在使用此文件"), std::string::npos) << error.what();
    }
    EXPECT_EQ(files.files.at(kPath), onDisk);
    files.readErrors.clear();

    const std::string elsewhere = EncodeDataFile({Titled("from the other copy")});
    files.files[kPath] = elsewhere;
    folders.makeFolderError = "无法建立文件夹 \"C:\\Tools\\Pennora\\Backup\"：拒绝访问。";
    EXPECT_THROW(store.Save(EntryStore::IfChangedElsewhere::Replace), Error);
    EXPECT_EQ(files.files.at(kPath), elsewhere);
    EXPECT_EQ(RowTitles(), (Strings{"mine"}));
}

}  // namespace
}  // namespace pennora
