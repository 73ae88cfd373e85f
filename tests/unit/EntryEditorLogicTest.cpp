#include "entries/EntryEditorLogic.h"

#include <gtest/gtest.h>

#include <functional>

#include "entries/DataFile.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/Error.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

const std::string kPath = "C:\\Pennora\\Pennora.Dat";
constexpr Hwnd kMainWindow = 0x100;

class EntryEditorLogicTest : public ::testing::Test {
protected:
    void Load(const std::vector<Entry>& entries) {
        files.files[kPath] = EncodeDataFile(entries);
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
        store.SetAfterPost([this] { flags.dataModified = true; });
    }
    std::string CurrentTitle() const { return store.Current() ? store.Current()->title.value_or("<null>") : "<none>"; }

    fakes::FakeFileSystem files;
    fakes::FakeWindowsInput boxes;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kPath};
    ModeFlags flags;
    EntryEditorLogic logic{store, dataFile, flags, boxes, kMainWindow};
};

TEST(NextFlagStateTest, IndeterminateBecomesTrueThenTheBoxToggles) {
    EXPECT_EQ(NextFlagState(std::nullopt), true);
    EXPECT_EQ(NextFlagState(true), false);
    EXPECT_EQ(NextFlagState(false), true);
}

TEST_F(EntryEditorLogicTest, UnsavedWorkIsAStoredChangeOrAChangeTypedAndNotCommitted) {
    const struct {
        const char* what;
        bool withEntries;
        std::function<void(EntryEditorLogic&)> act;
        bool unsaved;
    } cases[] = {
        {"nothing done", true, [](EntryEditorLogic&) {}, false},
        {"title typed into an entry", true, [](EntryEditorLogic& l) { l.TitleChanged("A typed"); }, true},
        {"content typed into an entry", true, [](EntryEditorLogic& l) { l.ContentChanged("new"); }, true},
        {"flag clicked", true, [](EntryEditorLogic& l) { l.FlagClicked(EntryFlag::InDrag); }, true},
        {"typed and typed back", true, [](EntryEditorLogic& l) { l.TitleChanged("Ax"); l.TitleChanged("A"); }, false},
        {"untouched new entry", true, [](EntryEditorLogic& l) { l.ToolButton1Click(); }, false},
        {"new entry with a title", true, [](EntryEditorLogic& l) { l.ToolButton1Click(); l.TitleChanged("n"); }, true},
        {"title typed without a data file", false, [](EntryEditorLogic& l) { l.TitleChanged("first"); }, true},
        {"edit committed by a move", true, [](EntryEditorLogic& l) { l.TitleChanged("A2"); l.ToolButton11Click(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakeFileSystem caseFiles;
        if (c.withEntries) caseFiles.files[kPath] = EncodeDataFile({{"A", "1", {}, {}}, {"B", "2", {}, {}}});
        EntryStore caseStore;
        DataFileKeeper caseDataFile{caseStore, caseFiles, kPath};
        caseDataFile.Load();
        ModeFlags caseFlags;
        caseStore.SetAfterPost([&] { caseFlags.dataModified = true; });
        EntryEditorLogic caseLogic{caseStore, caseDataFile, caseFlags, boxes, kMainWindow};
        EXPECT_FALSE(HasUnsavedEntryWork(caseStore, caseFlags));
        c.act(caseLogic);
        EXPECT_EQ(HasUnsavedEntryWork(caseStore, caseFlags), c.unsaved);
    }
}

TEST_F(EntryEditorLogicTest, DeleteAsksFirstAndOnlyYesDeletes) {
    Load({{"A", "1", {}, {}}, {"B", "2", {}, {}}});
    boxes.messageBoxAnswers = {7 /* IDNO */};
    logic.ToolButton2Click();
    EXPECT_EQ(store.RowCount(), 2u);
    EXPECT_FALSE(flags.dataModified);

    boxes.messageBoxAnswers = {6 /* IDYES */};
    logic.ToolButton2Click();
    EXPECT_EQ(store.RowCount(), 1u);
    EXPECT_EQ(CurrentTitle(), "B");
    EXPECT_TRUE(flags.dataModified);
    EXPECT_EQ(boxes.calls.back(),
              "MessageBoxA(0x100, " + fakes::Quoted(kDeleteEntryQuestion) + ", " + fakes::Quoted(kDeleteEntryCaption) + ", 0x24)");
}

// While the question is up, the drag-fill window and the hot key still work:
// a fill's lookup commits the pending change and, with a mode running, the
// list rebuild makes the first entry current; so does a mode switched on from
// the tray. Yes deletes the entry the question was about, or nothing.
TEST_F(EntryEditorLogicTest, YesDeletesTheEntryTheQuestionWasAboutWhateverBecameCurrentMeanwhile) {
    struct Case {
        const char* name;
        std::function<void()> beforeDelete;  // on the third entry, "C"
        std::function<void()> whileAsked;
        std::vector<std::string> titlesAfter;
        bool toldNothingWasDeleted;
    };
    const auto lookup = [this] { store.GetContentByTitle("A"); };
    const Case cases[] = {
        {"edited, then a fill's lookup", [this] { logic.ContentChanged("typed"); }, lookup, {"A", "B"}, false},
        {"a mode switched on", [] {}, [this] { store.WalkHotKeyList(); }, {"A", "B"}, false},
        {"a typed new entry, then a lookup",
         [this] {
             logic.ToolButton1Click();
             logic.TitleChanged("N");
         },
         lookup, {"A", "B", "C"}, false},
        {"an untouched new entry, then a lookup", [this] { logic.ToolButton1Click(); }, lookup, {"A", "B", "C"}, false},
        // The walk's commit drops the untouched new entry: it is gone already.
        {"an untouched new entry, then a mode switched on", [this] { logic.ToolButton1Click(); },
         [this] { store.WalkDragList(); }, {"A", "B", "C"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load({{"A", "1", {}, {}}, {"B", "2", {}, {}}, {"C", "3", {}, {}}});
        flags = {};
        flags.hotKeyOn = true;
        store.SetAfterPost([this] { ClientDataSet1AfterPost(store, flags, {}); });
        logic.GridRowSelected(2);
        c.beforeDelete();
        boxes.calls.clear();
        boxes.messageBoxAnswers = {6 /* IDYES */};
        boxes.whileBoxIsUp = [&] {
            boxes.whileBoxIsUp = nullptr;
            c.whileAsked();
        };

        logic.ToolButton2Click();

        std::vector<std::string> titles;
        for (std::size_t row = 0; row < store.RowCount(); ++row) titles.push_back(store.Row(row).title.value_or(""));
        EXPECT_EQ(titles, c.titlesAfter);
        EXPECT_EQ(boxes.calls.size(), c.toldNothingWasDeleted ? 2u : 1u);
        if (c.toldNothingWasDeleted) {
            EXPECT_EQ(boxes.calls.back(), "MessageBoxA(0x100, " + fakes::Quoted(kDeletedEntryGoneText) + ", " +
                                              fakes::Quoted(kDeleteEntryCaption) + ", 0x40)");
        }
    }
}

TEST_F(EntryEditorLogicTest, DeleteOnAnEmptyStoreIsRefusedWithTheStoresError) {
    dataFile.Load();
    boxes.messageBoxAnswers = {6};
    EXPECT_THROW(logic.ToolButton2Click(), Error);
    EXPECT_THROW(logic.GridCtrlDelete(), Error);
}

TEST_F(EntryEditorLogicTest, SaveCommitsWritesAndClearsTheModifiedFlag) {
    Load({{"A", "1", {}, {}}});
    logic.ContentChanged("changed");
    logic.ToolButton3Click();

    EXPECT_FALSE(flags.dataModified);
    EXPECT_EQ(DecodeDataFile(files.files.at(kPath)).entries, (std::vector<Entry>{{"A", "changed", {}, {}}}));
}

TEST_F(EntryEditorLogicTest, FailedSaveKeepsTheModifiedFlag) {
    Load({{"A", "1", {}, {}}});
    logic.ContentChanged("changed");
    files.saveError = "disk full";
    EXPECT_THROW(logic.ToolButton3Click(), Error);
    EXPECT_TRUE(flags.dataModified);
}

TEST_F(EntryEditorLogicTest, FlagClicksGoFromNullToTrueAndThenToggle) {
    Load({{"A", "1", {}, {}}});
    logic.FlagClicked(EntryFlag::InDrag);
    EXPECT_EQ(store.Current()->inDrag, true);
    logic.FlagClicked(EntryFlag::InDrag);
    logic.FlagClicked(EntryFlag::InHotKey);
    store.Post();
    EXPECT_EQ(*store.Current(), (Entry{"A", "1", false, true}));
}

TEST_F(EntryEditorLogicTest, EnterInTheTitleBoxAppendsTheTitleToTheContentAndStoresIt) {
    Load({{"A", "1", {}, {}}, {"B", {}, {}, {}}});
    // Not being edited: the joined text is stored all the same.
    EXPECT_EQ(logic.DBEdit1Enter("A", "1"), "1A");
    logic.ToolButton11Click();
    // A null content shows just the title.
    EXPECT_EQ(logic.DBEdit1Enter("B", ""), "B");
    logic.ToolButton10Click();
    EXPECT_EQ(store.Current()->content, "1A");
}

// Enter with an empty title box has nothing to append: no new entry on an
// empty store, no null content turned into empty text, nothing to commit
// (which, with a fill mode running, would also move to the first entry).
TEST_F(EntryEditorLogicTest, EnterWithAnEmptyTitleBoxChangesNothing) {
    const struct {
        const char* name;
        std::vector<Entry> entries;
        std::string content;  // what the content box shows
    } cases[] = {
        {"empty store", {}, ""},
        {"null title and content", {{"A", "1", {}, {}}, {{}, {}, {}, {}}}, ""},
        {"a content", {{"A", "1", {}, {}}, {"", "2", {}, {}}}, "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.entries);
        flags = {};
        flags.hotKeyOn = true;
        store.SetAfterPost([this] { ClientDataSet1AfterPost(store, flags, {}); });
        if (!c.entries.empty()) logic.GridRowSelected(1);

        EXPECT_EQ(logic.DBEdit1Enter("", c.content), c.content);

        EXPECT_FALSE(store.IsEditing());
        EXPECT_EQ(store.RowCount(), c.entries.size());
        store.Post();
        EXPECT_FALSE(flags.dataModified);
        if (!c.entries.empty()) {
            EXPECT_EQ(store.Row(1), c.entries[1]);
        }
    }
}

TEST_F(EntryEditorLogicTest, GridFocusLossDropsAnUntouchedNewEntryButKeepsATypedOne) {
    Load({{"A", "1", {}, {}}});
    logic.ToolButton1Click();
    logic.GridFocusLost();
    EXPECT_EQ(store.RowCount(), 1u);
    EXPECT_EQ(CurrentTitle(), "A");

    logic.ToolButton1Click();
    logic.TitleChanged("N");
    logic.GridFocusLost();
    EXPECT_EQ(store.RowCount(), 2u);
    EXPECT_EQ(CurrentTitle(), "N");
}

TEST_F(EntryEditorLogicTest, TitleTypedInTheGridGoesToItsRowAndIsCutToTheFieldWidth) {
    Load({{"A", "1", {}, {}}, {"B", "2", {}, {}}});
    logic.GridTitleEdited(1, std::string(60, 'x') + std::string(50, '\xB9'));
    store.Post();
    EXPECT_EQ(store.Current()->title, std::string(60, 'x') + std::string(40, '\xB9'));
    EXPECT_EQ(store.CurrentRow(), 1u);
}

TEST(FitInsertionTest, TakesWholeCharactersUpToTheByteLimit) {
    struct Case {
        std::size_t current, selected;
        std::string insertion;
        std::size_t limit;
        std::string taken;
    };
    const Case cases[] = {
        {48, 0, "ab", 50, "ab"},
        {49, 0, "ab", 50, "a"},
        {49, 0, "灌", 50, ""},          // a Chinese character needs two bytes
        {48, 0, "灌水", 50, "灌"},
        {50, 2, "水", 50, "水"},        // replacing a selection makes room
        {50, 0, "a", 50, ""},
        {10, 20, "ab", 50, "ab"},      // a selection never counts more than the text
        {0, 0, std::string(60, 'x'), 50, std::string(50, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fakes::Quoted(c.insertion) + " into " + std::to_string(c.current));
        EXPECT_EQ(FitInsertion(c.current, c.selected, c.insertion, c.limit), c.taken);
    }
}


// The save button over a data file another program changed: the question
// says what each answer does; No saves nothing and the changes stay unsaved,
// Yes replaces the file.
TEST_F(EntryEditorLogicTest, SaveOverAFileChangedElsewhereAsksAndOnlyYesReplacesIt) {
    fakes::FakeFolderFiles folders{files};
    fakes::FakeClock clock;
    DataFileBackups backups{files, folders, clock, kPath};
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    Load({{"A", "1", {}, {}}});
    store.SetTitle("mine");
    flags.dataModified = true;
    const std::string elsewhere = EncodeDataFile({{"other", "2", {}, {}}});
    files.files[kPath] = elsewhere;

    boxes.messageBoxAnswers = {7 /* IDNO */};
    logic.ToolButton3Click();
    EXPECT_EQ(files.files.at(kPath), elsewhere);
    EXPECT_TRUE(flags.dataModified);
    ASSERT_EQ(boxes.calls.size(), 1u);
    // No is the default button: a stray Enter replaces nothing.
    EXPECT_TRUE(boxes.calls.back().ends_with(", " + fakes::Quoted(kSaveCaption) + ", 0x134)")) << boxes.calls.back();

    boxes.messageBoxAnswers = {6 /* IDYES */};
    logic.ToolButton3Click();
    EXPECT_EQ(DecodeDataFile(files.files.at(kPath)).entries, (std::vector<Entry>{{"mine", "1", {}, {}}}));
    EXPECT_FALSE(flags.dataModified);
}

}  // namespace
}  // namespace pennora
