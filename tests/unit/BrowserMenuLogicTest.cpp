#include "browser/BrowserMenuLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/ScriptFile.h"
#include "fakes/FakeFolderApi.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeWindowsInput.h"

namespace pennora {
namespace {

using fakes::CallLog;
using Names = std::vector<std::string>;

constexpr Hwnd kMain = 0x500;
const std::string kAppPath = "C:\\app\\";
const std::string kFolder = "C:\\app\\Script\\";
const std::string kContextsData = std::string("\x54\x05\x00\x00", 4);

std::string Key(const std::string& name) { return std::string(kMenuExtKey) + "\\" + name; }

const std::string kDeleteBox = "MessageBoxA(0x500, " + fakes::Quoted(kDeleteQuestion) + ", \"KestovaPennora\", 0x21)";
const std::string kNoticeBox = "MessageBoxA(0x500, " + fakes::Quoted(kRestartBrowserNotice) + ", \"Pennora\", 0x40)";

class BrowserMenuLogicTest : public ::testing::Test {
protected:
    void Seed(const std::vector<std::pair<std::string, std::string>>& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::string path = kFolder + std::to_string(i) + ".htm";
            registry.Set(Key(entries[i].first), "", kRegSz, path + '\0');
            registry.Set(Key(entries[i].first), "Contexts", kRegDword, kContextsData);
            files.files[path] = MenuScriptBytes(entries[i].second);
        }
        files.folders.insert("C:\\app\\Script");
        page.LoadIEMenuPage();
    }
    Names Keys() { return registry.Subkeys(kMenuExtKey); }
    BrowserPageControls Shown(std::string key, std::string memo, bool edits, bool apply) {
        return {std::move(key), std::move(memo), edits, apply};
    }

    fakes::FakeRegistry registry;
    fakes::FakeFolderApi files;
    fakes::FakeWindowsInput boxes;
    MenuStore store{registry, files, files, boxes, 0x400, "KestovaPennora"};
    BrowserMenuLogic page{store, files, boxes, kMain, "KestovaPennora", kAppPath};
};

TEST_F(BrowserMenuLogicTest, AnEmptyRegistryGivesAnEmptyPageWhereDeleteDoesNothing) {
    page.LoadIEMenuPage();
    EXPECT_EQ(page.Controls(), Shown("", "", false, false));
    EXPECT_EQ(page.MenuIndex(), -1);
    page.BtnDeleteClick();
    page.btnFirstClick();
    EXPECT_EQ(page.MenuIndex(), 0);
    page.BtnDeleteClick();
    page.btnPriorClick();
    page.BtnDeleteClick();
    EXPECT_TRUE(boxes.calls.empty());
    page.BtnLastClick();
    EXPECT_EQ(page.MenuIndex(), -1);
}

TEST_F(BrowserMenuLogicTest, NewOnAnEmptyPageOpensTheEditsAndTypingMarksTheChange) {
    page.LoadIEMenuPage();
    page.BtnNewClick();
    EXPECT_EQ(page.Controls(), Shown("", "", true, false));
    EXPECT_TRUE(page.TakeFocusRequest());
    EXPECT_FALSE(page.TakeFocusRequest());
    EXPECT_EQ(page.MenuIndex(), 0);
    page.EditKeyChange("地址");
    page.MemoValueChange("北京\r\n海淀");
    EXPECT_EQ(page.Controls(), Shown("地址", "北京\r\n海淀", true, true));
    EXPECT_EQ(page.MenuNames(), Names{"地址"});
    EXPECT_EQ(page.MenuTexts(), Names{"北京\r\n海淀"});
}

TEST_F(BrowserMenuLogicTest, NewTwiceOnAShownEntryMarksTheChangeAndApplyWritesOnlyRealEntries) {
    Seed({{"A", "1"}});
    EXPECT_EQ(page.Controls(), Shown("A", "1", true, false));
    page.BtnNewClick();
    page.BtnNewClick();
    EXPECT_EQ(page.Controls(), Shown("", "", true, true));
    EXPECT_EQ(page.MenuNames(), (Names{"A", "", ""}));
    page.btnApplyClick();
    EXPECT_EQ(boxes.calls, CallLog{kNoticeBox});
    EXPECT_FALSE(page.Controls().applyEnabled);
    EXPECT_EQ(Keys(), Names{"A"});
}

TEST_F(BrowserMenuLogicTest, NavigationStaysWithinTheList) {
    Seed({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    struct Step {
        void (BrowserMenuLogic::*click)();
        int index;
        const char* shown;
    };
    const Step steps[] = {
        {&BrowserMenuLogic::btnPriorClick, 0, "A"}, {&BrowserMenuLogic::BtnNextClick, 1, "B"},
        {&BrowserMenuLogic::BtnLastClick, 2, "C"},  {&BrowserMenuLogic::BtnNextClick, 2, "C"},
        {&BrowserMenuLogic::btnPriorClick, 1, "B"}, {&BrowserMenuLogic::btnFirstClick, 0, "A"},
    };
    for (const Step& step : steps) {
        (page.*step.click)();
        EXPECT_EQ(page.MenuIndex(), step.index);
        EXPECT_EQ(page.Controls().EditKey, step.shown);
    }
    EXPECT_FALSE(page.Controls().applyEnabled);  // showing an entry is no change
}

TEST_F(BrowserMenuLogicTest, DeleteAsksFirstAndThenShowsTheLastEntry) {
    Seed({{"A", "1"}, {"B", "2"}, {"C", "3"}});
    page.BtnNextClick();
    boxes.messageBoxAnswers = {kIdCancel};
    page.BtnDeleteClick();
    EXPECT_EQ(page.MenuNames(), (Names{"A", "B", "C"}));
    EXPECT_FALSE(page.Controls().applyEnabled);

    page.BtnDeleteClick();
    EXPECT_EQ(boxes.calls, (CallLog{kDeleteBox, kDeleteBox}));
    EXPECT_EQ(page.MenuNames(), (Names{"A", "C"}));
    EXPECT_EQ(page.MenuIndex(), 1);
    EXPECT_EQ(page.Controls(), Shown("C", "3", true, true));
}

TEST_F(BrowserMenuLogicTest, DeletingTheOnlyEntryEmptiesThePageAndApplyRemovesItsKey) {
    Seed({{"A", "1"}});
    page.BtnDeleteClick();
    EXPECT_EQ(page.Controls(), Shown("", "", false, true));
    EXPECT_EQ(page.MenuIndex(), -1);
    page.btnApplyClick();
    EXPECT_EQ(Keys(), Names{});
}

TEST_F(BrowserMenuLogicTest, TypingRenamesOnlyTheShownEntryAndApplyMovesItsKey) {
    Seed({{"A", "1"}, {"B", "2"}});
    page.BtnLastClick();
    page.EditKeyChange("Bee");
    EXPECT_EQ(page.MenuNames(), (Names{"A", "Bee"}));
    page.btnFirstClick();
    page.EditKeyChange("  ");  // blanks only: dropped, and its key removed
    page.btnApplyClick();
    EXPECT_EQ(Keys(), Names{"Bee"});
    EXPECT_EQ(registry.FindValue(Key("Bee"), "")->data, kFolder + "1.htm" + '\0');
}

TEST_F(BrowserMenuLogicTest, ResetDiscardsTheChangesAndShowsTheFirstEntry) {
    Seed({{"A", "1"}, {"B", "2"}});
    page.BtnLastClick();
    page.MemoValueChange("changed");
    page.BtnNewClick();
    page.btnCancelClick();
    EXPECT_EQ(page.Controls(), Shown("A", "1", true, false));
    EXPECT_EQ(page.MenuTexts(), (Names{"1", "2"}));
    EXPECT_EQ(page.MenuIndex(), 0);
}

// After a successful apply the written keys are the old names of the next
// one, so a name changed between two applies leaves no stale key behind.
TEST_F(BrowserMenuLogicTest, ASecondApplyReplacesTheKeysOfTheFirst) {
    Seed({{"A", "1"}});
    page.EditKeyChange("B");
    page.btnApplyClick();
    page.EditKeyChange("C");
    page.BtnNewClick();
    page.EditKeyChange("D");
    page.MemoValueChange("4");
    page.btnApplyClick();
    EXPECT_EQ(Keys(), (Names{"C", "D"}));
    EXPECT_EQ(page.OldMenuNames(), (Names{"C", "D"}));
}

TEST_F(BrowserMenuLogicTest, ARefusedNameIsShownWithItsReasonAndNothingIsLost) {
    Seed({{"A", "1"}, {"B", "2"}});
    page.EditKeyChange("A\\B");
    page.BtnLastClick();
    page.btnApplyClick();
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_NE(boxes.calls[0].find("0x30)"), std::string::npos) << boxes.calls[0];
    EXPECT_EQ(page.MenuIndex(), 0);
    EXPECT_EQ(page.Controls(), Shown("A\\B", "1", true, true));
    EXPECT_EQ(page.MenuNames(), (Names{"A\\B", "B"}));
    EXPECT_EQ(Keys(), (Names{"A", "B"}));
}

TEST_F(BrowserMenuLogicTest, AFailedApplyIsReportedAsAnErrorAndCanBeRepeated) {
    fakes::FaultPlan faults;
    fakes::FakeFolderApi failing{nullptr, &faults};
    MenuStore failingStore{registry, failing, failing, boxes, 0x400, "KestovaPennora"};
    BrowserMenuLogic failingPage{failingStore, failing, boxes, kMain, "KestovaPennora", kAppPath};
    failingPage.BtnNewClick();
    failingPage.EditKeyChange("A");
    failingPage.MemoValueChange("1");
    faults.call = "SaveWholeFile(\"C:\\x5Capp\\x5CScript\\x5C0-new.htm\")";
    failingPage.btnApplyClick();
    EXPECT_EQ(failing.calls.front(), "CreateDirectoryA(\"C:\\x5Capp\\x5CScript\")");
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_NE(boxes.calls[0].find("0x10)"), std::string::npos) << boxes.calls[0];
    EXPECT_TRUE(failingPage.Controls().applyEnabled);
    faults.call.clear();
    failingPage.btnApplyClick();
    EXPECT_EQ(boxes.calls.back(), kNoticeBox);
    EXPECT_FALSE(failingPage.Controls().applyEnabled);
    EXPECT_EQ(Keys(), Names{"A"});
}

}  // namespace
}  // namespace pennora
