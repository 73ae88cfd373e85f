#include "entries/EntryStore.h"

#include <gtest/gtest.h>

#include "platform/Error.h"
#include "unit/EntryStoreFixture.h"

namespace pennora {
namespace {

using EntryStoreTest = EntryStoreFixture;

TEST_F(EntryStoreTest, NewEntryIsStoredBeforeTheCurrentOneAtItsFirstChange) {
    Load({Titled("A"), Titled("B")});
    store.Next();
    store.Insert();
    EXPECT_EQ(RowTitles(), (Strings{"A", "<null>", "B"}));
    EXPECT_EQ(store.CurrentRow(), 1u);
    EXPECT_EQ(afterPosts, 0);

    store.SetTitle("N");
    dataFile.Save();

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
        dataFile.Save();
        EXPECT_EQ(SavedEntries().size(), touched ? 4u : 3u) << touched;
        EXPECT_EQ(afterPosts, touched ? 1 : 0) << touched;
        EXPECT_EQ(flags.dataModified, touched) << touched;
    }
}

// Taking a file's entries replaces whatever the rows held, a pending edit or
// an open new entry included, and gives every row a fresh id: an id handed
// out before names nothing afterwards.
TEST_F(EntryStoreTest, TakingStoredEntriesReplacesRowsEditsAndIds) {
    enum class Before { Editing, Inserting };
    for (Before before : {Before::Editing, Before::Inserting}) {
        for (bool tellView : {false, true}) {
            SCOPED_TRACE(testing::Message() << "inserting " << (before == Before::Inserting) << " tellView " << tellView);
            Load({Titled("A"), Titled("B")});
            store.MoveTo(1);
            const EntryId oldId = *store.CurrentId();
            if (before == Before::Inserting) store.Insert();
            store.SetTitle("typed");
            int viewTold = 0;
            store.SetRowsChanged([&] { ++viewTold; });
            afterPosts = 0;

            store.TakeStoredEntries({Titled("X"), Titled("Y")}, tellView);

            EXPECT_EQ(RowTitles(), (Strings{"X", "Y"}));
            EXPECT_EQ(store.CurrentRow(), 0u);
            EXPECT_FALSE(store.IsEditing());
            EXPECT_FALSE(store.HasPendingChange());
            EXPECT_EQ(afterPosts, 0);
            EXPECT_EQ(viewTold, tellView ? 1 : 0);
            EXPECT_FALSE(store.Delete(oldId));
            EXPECT_EQ(RowTitles(), (Strings{"X", "Y"}));
            store.SetRowsChanged(nullptr);
        }
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
    EXPECT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::NoFile);
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
        dataFile.Save();
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

}  // namespace
}  // namespace pennora
