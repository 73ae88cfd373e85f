#include "app/OptionsLogic.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakeHotKeyApi.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/Error.h"

namespace pennora {
namespace {

using fakes::CallLog;
using fakes::Quoted;

constexpr Hwnd kMain = 0x500;
constexpr const char* kFile = "Pennora.Ini";

// The eight keys as the commit and the reset write them, for a given content.
CallLog OptionWrites(const char* minHotKey, const char* minStartup, const char* minDrag, const char* autoDrag,
                     const char* autoHotKey, const char* shift, const char* key, const char* tabToNextField = "0") {
    auto write = [](const char* section, const char* name, const char* value) {
        return std::string("WritePrivateProfileStringA(\"") + section + "\", \"" + name + "\", \"" + value +
               "\", \"Pennora.Ini\")";
    };
    return {write("Options", "MinimizeWhenHotKey", minHotKey), write("Options", "MinimizeWhenStartup", minStartup),
            write("Options", "MinimizeWhenDrag", minDrag),     write("Options", "AutoStartDragFill", autoDrag),
            write("Options", "AutoStartHotKey", autoHotKey),   write("Options", "TabToNextField", tabToNextField),
            write("HotKey", "Shift", shift),
            write("HotKey", "Key", key)};
}

CallLog operator+(CallLog a, const CallLog& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The live hot key replaced: the atom 0xC123 gives the identifier 0x123.
CallLog ReplaceHotKey(const char* modifiers, const char* key) {
    return {R"(GlobalAddAtomA("Pennora"))", "UnregisterHotKey(0x500, 0x123)", R"(GlobalAddAtomA("Pennora"))",
            std::string("RegisterHotKey(0x500, 0x123, ") + modifiers + ", " + key + ")"};
}

class OptionsLogicTest : public ::testing::Test {
protected:
    fakes::FakeWindowsInput input;
    fakes::FakeProfile profile{&input.calls};
    fakes::FakeHotKeyApi hotKeys{&input.calls};
    IniFile ini{profile, kFile};
    Settings settings;
    ModeFlags flags;
    OptionsLogic page{settings, ini, flags, hotKeys, input, kMain};
};

TEST_F(OptionsLogicTest, CommitBeforeTheFirstLoadWritesTheBuiltInStates) {
    EXPECT_TRUE(page.Controls().BtnOKEnabled);
    EXPECT_EQ(page.BtnOKClick(), OptionsCommit::Committed);
    // Ctrl+Alt+V, only minimise-on-drag checked.
    EXPECT_EQ(input.calls, OptionWrites("0", "0", "1", "0", "0", "3", "86"));
    EXPECT_EQ(settings.Shift, 3);
    EXPECT_FALSE(page.Controls().BtnOKEnabled);
}

TEST_F(OptionsLogicTest, TabSheet1ShowLoadsTheSettingsAndEnablesBtnOKOnlyWhenACheckBoxChanges) {
    settings = {.Shift = 4 | 8, .Key = 0x70, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = false,
                .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = false};
    page.TabSheet1Show();
    EXPECT_EQ(page.Controls(), (OptionsControls{.ChkMinimize = false, .ChkAutoDragFill = true, .ChkAutoHotKey = false,
                                                .ChkHotKey = true, .ChkDrag = false,
                                                .HotKey1 = {0x70, {.shift = true}}, .BtnOKEnabled = true}));
    page.BtnOKClick();
    ASSERT_FALSE(page.Controls().BtnOKEnabled);

    page.TabSheet1Show();  // nothing differs
    EXPECT_FALSE(page.Controls().BtnOKEnabled);

    settings.Key = 0x71;  // only the combination differs
    page.TabSheet1Show();
    EXPECT_EQ(page.Controls().HotKey1.key, 0x71);
    EXPECT_FALSE(page.Controls().BtnOKEnabled);

    settings.AutoStartHotKey = true;
    page.TabSheet1Show();
    EXPECT_TRUE(page.Controls().BtnOKEnabled);
}

TEST_F(OptionsLogicTest, UncommittedChangesAreReplacedWhenTheFillPageIsShownAgain) {
    page.TabSheet1Show();
    page.CheckClick(OptionsCheck::ChkMinimize, true);
    page.HotKey1Change({0x41, {.ctrl = true}});
    page.TabSheet1Show();
    EXPECT_FALSE(page.Controls().ChkMinimize);
    EXPECT_EQ(page.Controls().HotKey1, (HotKeyCombination{0x56, {.shift = true, .alt = true}}));
    EXPECT_EQ(settings, Settings{});
    EXPECT_TRUE(input.calls.empty());
}

TEST_F(OptionsLogicTest, EveryChangeOnThePageEnablesBtnOKAndNothingElse) {
    page.TabSheet1Show();
    page.BtnOKClick();
    input.calls.clear();

    page.CheckClick(OptionsCheck::ChkDrag, true);  // already checked: no change
    EXPECT_FALSE(page.Controls().BtnOKEnabled);
    page.CheckClick(OptionsCheck::ChkAutoHotKey, true);
    EXPECT_TRUE(page.Controls().BtnOKEnabled);

    page.BtnOKClick();
    page.HotKey1Change({0x42, {.alt = true}});
    EXPECT_TRUE(page.Controls().BtnOKEnabled);
    EXPECT_EQ(settings.Key, 0x56);
    EXPECT_EQ(input.calls, OptionWrites("0", "0", "1", "0", "1", "5", "86"));
}

TEST_F(OptionsLogicTest, BtnOKClickWritesTheSevenKeysThenReplacesTheLiveHotKey) {
    flags.hotKeyOn = true;
    page.TabSheet1Show();
    page.CheckClick(OptionsCheck::ChkHotKey, true);
    page.CheckClick(OptionsCheck::ChkMinimize, true);
    page.CheckClick(OptionsCheck::ChkDrag, false);
    page.CheckClick(OptionsCheck::ChkAutoDragFill, true);
    page.CheckClick(OptionsCheck::ChkTabToNextField, true);
    page.HotKey1Change({0x70, {.shift = true, .ctrl = true}});

    EXPECT_EQ(page.BtnOKClick(), OptionsCommit::Committed);

    EXPECT_EQ(input.calls, OptionWrites("1", "1", "0", "1", "0", "6", "112", "1") + ReplaceHotKey("0x6", "0x70"));
    EXPECT_EQ(settings, (Settings{.Shift = 6, .Key = 0x70, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = true,
                                  .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = false,
                                  .TabToNextField = true}));
    EXPECT_TRUE(flags.hotKeyOn);
    EXPECT_FALSE(page.Controls().BtnOKEnabled);
}

TEST_F(OptionsLogicTest, RefusedHotKeySwitchesTheModeOffAndKeepsBtnOKEnabled) {
    flags.hotKeyOn = true;
    hotKeys.registerAnswers = {false};
    page.TabSheet1Show();
    page.HotKey1Change({0x41, {.alt = true}});

    EXPECT_EQ(page.BtnOKClick(), OptionsCommit::HotKeyStopped);

    const std::string text =
        "Registration of hot-key failed.\r Maybe the keystrokes specified for the hot key have already been "
        "registered by another hot key.";
    const CallLog message = {"MessageBoxA(0x500, " + Quoted(text) + ", \"\", 0x40)"};
    EXPECT_EQ(input.calls, OptionWrites("0", "0", "1", "0", "0", "1", "65") + ReplaceHotKey("0x1", "0x41") + message);
    EXPECT_FALSE(flags.hotKeyOn);
    EXPECT_TRUE(page.Controls().BtnOKEnabled);
    EXPECT_EQ(settings.Key, 0x41);  // the settings are written all the same
}

TEST_F(OptionsLogicTest, RefusedWriteStopsTheCommitBeforeTheHotKeyIsTouched) {
    flags.hotKeyOn = true;
    profile.refuseWrites = true;
    page.TabSheet1Show();
    EXPECT_THROW(page.BtnOKClick(), Error);
    EXPECT_EQ(input.calls.size(), 1u);  // the first write only
    EXPECT_TRUE(page.Controls().BtnOKEnabled);
    EXPECT_TRUE(flags.hotKeyOn);
}

TEST_F(OptionsLogicTest, ResetAnsweredNoChangesNothing) {
    settings.AutoStartHotKey = true;
    page.TabSheet1Show();
    page.BtnOKClick();
    input.calls.clear();
    input.messageBoxAnswers = {kIdNo};

    EXPECT_FALSE(page.ResetOptions1Click());

    EXPECT_EQ(input.calls, CallLog{"MessageBoxA(0x500, " + Quoted("您确定要删除所有关于“选项”的个人设置吗？") + ", " +
                                   Quoted("警告！") + ", 0x134)"});
    EXPECT_TRUE(settings.AutoStartHotKey);
    EXPECT_TRUE(page.Controls().ChkAutoHotKey);
    EXPECT_FALSE(page.Controls().BtnOKEnabled);
}

TEST_F(OptionsLogicTest, ResetWritesTheDefaultsAndLeavesTheOtherSectionsAndTheLiveHotKeyAlone) {
    for (auto [section, key] : {std::pair{"ChineseGroup", "FrontText"}, {"Position", "Left"}, {"StartPosition", "X"}}) {
        profile.Put(kFile, section, key, "7");
    }
    flags.hotKeyOn = true;
    settings = {.Shift = 2, .Key = 0x41, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = true,
                .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = true,
                .TabToNextField = true};
    page.TabSheet1Show();
    page.BtnOKClick();
    input.calls.clear();
    input.messageBoxAnswers = {kIdYes};

    EXPECT_TRUE(page.ResetOptions1Click());

    const CallLog question = {"MessageBoxA(0x500, " + Quoted("您确定要删除所有关于“选项”的个人设置吗？") + ", " +
                              Quoted("警告！") + ", 0x134)"};
    EXPECT_EQ(input.calls, question + OptionWrites("0", "0", "1", "0", "0", "5", "86"));
    EXPECT_EQ(settings, Settings{});
    EXPECT_EQ(page.Controls(), (OptionsControls{.HotKey1 = {0x56, {.shift = true, .alt = true}}, .BtnOKEnabled = true}));
    EXPECT_TRUE(flags.hotKeyOn);
    for (auto [section, key] : {std::pair{"ChineseGroup", "FrontText"}, {"Position", "Left"}, {"StartPosition", "X"}}) {
        EXPECT_EQ(profile.Stored(kFile, section, key), "7") << section;
    }
}

TEST_F(OptionsLogicTest, ResetOfAlreadyDefaultChecksLeavesBtnOKDisabled) {
    page.TabSheet1Show();
    page.BtnOKClick();
    input.messageBoxAnswers = {kIdYes};
    EXPECT_TRUE(page.ResetOptions1Click());
    EXPECT_FALSE(page.Controls().BtnOKEnabled);
}

TEST_F(OptionsLogicTest, ACombinationThatWouldSwallowAnOrdinaryKeyIsRefusedWithAMessage) {
    const struct {
        HotKeyCombination combination;
        bool refused;
    } cases[] = {
        {{'A', {}}, true},
        {{'7', {.shift = true}}, true},
        {{0x20, {}}, true},
        {{'A', {.ctrl = true}}, false},
        {{0x20, {.alt = true}}, false},
        {{0x74 /* F5 */, {}}, false},
        {{0x24 /* Home */, {.shift = true}, true}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.combination.key);
        settings = {};
        input.calls.clear();
        page.HotKey1Change(c.combination);
        EXPECT_EQ(page.BtnOKClick(), c.refused ? OptionsCommit::Refused : OptionsCommit::Committed);
        if (c.refused) {
            EXPECT_EQ(input.calls, CallLog{"MessageBoxA(0x500, " + Quoted(kHotKeyNeedsModifierText) + ", \"\", 0x30)"});
            EXPECT_EQ(settings, Settings{});
            EXPECT_TRUE(page.Controls().BtnOKEnabled);
        } else {
            EXPECT_EQ(settings.Key, c.combination.key);
        }
    }
}

TEST_F(OptionsLogicTest, ExtendedKeysAreShownAsExtendedKeys) {
    for (auto [key, extended] : {std::pair<std::uint16_t, bool>{0x24, true}, {0x2D, true}, {0x26, true}, {0x56, false},
                                 {0x67 /* numeric pad 7 */, false}}) {
        settings.Key = key;
        page.TabSheet1Show();
        EXPECT_EQ(page.Controls().HotKey1, (HotKeyCombination{key, ModifiersToShift(settings.Shift), extended})) << key;
    }
}

TEST_F(OptionsLogicTest, AResetWhoseWriteIsRefusedLeavesThePageShowingWhatIsStored) {
    settings = {.Shift = 2, .Key = 0x41, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = true,
                .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = true};
    page.TabSheet1Show();
    page.BtnOKClick();
    const Settings stored = settings;
    const OptionsControls shown = page.Controls();
    profile.refuseWrites = true;
    input.messageBoxAnswers = {kIdYes};

    EXPECT_THROW(page.ResetOptions1Click(), Error);
    EXPECT_EQ(settings, stored);
    EXPECT_EQ(page.Controls(), shown);
}

// The page with its start-with-Windows box, on a registry that shares the log.
class OptionsAutoRunTest : public OptionsLogicTest {
protected:
    static constexpr const char* kExe = "C:\\绿色软件\\Pennora\\Pennora.exe";
    static constexpr const char* kOtherExe = "D:\\同步\\Pennora\\Pennora.exe";
    fakes::FaultPlan faults;
    fakes::FakeRegistry registry{&input.calls, &faults};
    StartWithWindows autoRun{registry, kExe};
    OptionsLogic autoRunPage{settings, ini, flags, hotKeys, input, kMain, &autoRun};

    void SetRunValue(const std::string& exe) {
        registry.Set(kRunKey, kRunValueName, kRegSz, "\"" + exe + "\"" + '\0');
    }
    std::string RunValue() const {
        const auto* value = registry.FindValue(kRunKey, kRunValueName);
        return value ? value->data : "(none)";
    }
};

TEST_F(OptionsAutoRunTest, EachShowOfThePageShowsTheRegistryAsItIsNow) {
    struct Step {
        const char* value;  // the Run value's executable, or null for none
        bool checked;
        const char* inNote;  // a part of the note, or "" for no note
    } steps[] = {
        {nullptr, false, ""},
        {kExe, true, ""},
        {"c:\\绿色软件\\PENNORA\\pennora.exe", true, ""},
        {kOtherExe, false, kOtherExe},
        {nullptr, false, ""},  // removed elsewhere
    };
    autoRunPage.BtnOKClick();
    for (const Step& step : steps) {
        if (step.value) {
            SetRunValue(step.value);
        } else if (registry.Find(kRunKey)) {
            HKey key = 0;
            registry.RegOpenKeyExA(kHkeyCurrentUser, kRunKey, kKeySetValue, key);
            registry.RegDeleteValueA(key, kRunValueName);
            registry.RegCloseKey(key);
        }
        autoRunPage.OptionsPageShow();
        EXPECT_EQ(autoRunPage.Controls().ChkAutoRun, step.checked) << (step.value ? step.value : "none");
        const std::string& note = autoRunPage.Controls().AutoRunNote;
        if (*step.inNote) EXPECT_NE(note.find(step.inNote), std::string::npos) << note;
        else EXPECT_EQ(note, "");
        // Showing what the registry holds is no change of the user's.
        EXPECT_FALSE(autoRunPage.Controls().BtnOKEnabled);
    }
}

TEST_F(OptionsAutoRunTest, TheBoxActsAtBtnOKAfterTheSettingsAreWritten) {
    autoRunPage.OptionsPageShow();
    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, true);
    EXPECT_TRUE(autoRunPage.Controls().BtnOKEnabled);
    EXPECT_EQ(RunValue(), "(none)");  // nothing before BtnOK
    input.calls.clear();

    EXPECT_EQ(autoRunPage.BtnOKClick(), OptionsCommit::Committed);
    EXPECT_EQ(RunValue(), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_TRUE(autoRunPage.Controls().ChkAutoRun);
    EXPECT_FALSE(autoRunPage.Controls().BtnOKEnabled);
    const CallLog writes = OptionWrites("0", "0", "1", "0", "0", "3", "86");
    ASSERT_GT(input.calls.size(), writes.size());
    EXPECT_EQ(CallLog(input.calls.begin(), input.calls.begin() + long(writes.size())), writes);

    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, false);
    EXPECT_EQ(autoRunPage.BtnOKClick(), OptionsCommit::Committed);
    EXPECT_EQ(RunValue(), "(none)");
    EXPECT_FALSE(autoRunPage.Controls().ChkAutoRun);
}

TEST_F(OptionsAutoRunTest, AnotherCopysValueIsKeptUntilTheBoxAsksForThisCopy) {
    registry.Set(kRunKey, "OtherProgram", kRegSz, std::string("C:\\other.exe") + '\0');
    SetRunValue(kOtherExe);
    autoRunPage.OptionsPageShow();
    ASSERT_FALSE(autoRunPage.Controls().ChkAutoRun);

    autoRunPage.CheckClick(OptionsCheck::ChkMinimize, true);  // another option committed
    autoRunPage.BtnOKClick();
    EXPECT_EQ(RunValue(), std::string("\"") + kOtherExe + "\"" + '\0');
    EXPECT_NE(autoRunPage.Controls().AutoRunNote.find(kOtherExe), std::string::npos);

    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, true);
    autoRunPage.BtnOKClick();
    EXPECT_EQ(RunValue(), std::string("\"") + kExe + "\"" + '\0');
    EXPECT_EQ(autoRunPage.Controls().AutoRunNote, "");
    EXPECT_EQ(registry.FindValue(kRunKey, "OtherProgram")->data, std::string("C:\\other.exe") + '\0');
}

TEST_F(OptionsAutoRunTest, ARefusalIsToldAndTheBoxThenShowsTheRegistrysState) {
    struct Case {
        bool ownValueBefore;
        const char* failing;
    } cases[] = {{false, "RegCreateKeyExA"}, {false, "RegSetValueExA"}, {true, "RegDeleteValueA"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        faults = {};
        if (c.ownValueBefore) SetRunValue(kExe);
        autoRunPage.OptionsPageShow();
        autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, !c.ownValueBefore);
        faults.every = c.failing;
        input.calls.clear();

        EXPECT_EQ(autoRunPage.BtnOKClick(), OptionsCommit::Committed);  // the other options are saved
        EXPECT_EQ(settings.MinimizeWhenDrag, true);
        EXPECT_EQ(autoRunPage.Controls().ChkAutoRun, c.ownValueBefore);
        const std::string message = "MessageBoxA(0x500, " +
                                    Quoted(AutoRunFailureText(!c.ownValueBefore, kErrorAccessDenied)) + ", \"\", 0x30)";
        EXPECT_EQ(std::count(input.calls.begin(), input.calls.end(), message), 1) << ::testing::PrintToString(input.calls);
    }
}

TEST_F(OptionsAutoRunTest, AValueChangedAfterThePageWasShownIsJudgedAsItIsAtBtnOK) {
    SetRunValue(kExe);
    autoRunPage.OptionsPageShow();
    ASSERT_TRUE(autoRunPage.Controls().ChkAutoRun);
    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, false);
    SetRunValue(kOtherExe);  // another copy took the value meanwhile
    autoRunPage.BtnOKClick();
    EXPECT_EQ(RunValue(), std::string("\"") + kOtherExe + "\"" + '\0');
    EXPECT_NE(autoRunPage.Controls().AutoRunNote.find(kOtherExe), std::string::npos);
}

// A box the user did not touch asks for nothing: another copy that took the
// value after this page was shown keeps it, whichever way this page showed it.
TEST_F(OptionsAutoRunTest, AnUntouchedBoxLeavesTheValueAloneAtBtnOK) {
    for (bool shownChecked : {true, false}) {
        SCOPED_TRACE(shownChecked);
        if (shownChecked) SetRunValue(kExe);
        else SetRunValue(kOtherExe);
        autoRunPage.OptionsPageShow();
        ASSERT_EQ(autoRunPage.Controls().ChkAutoRun, shownChecked);
        SetRunValue(shownChecked ? kOtherExe : kExe);  // the other copy's own box, or this copy's elsewhere
        autoRunPage.CheckClick(OptionsCheck::ChkMinimize, !autoRunPage.Controls().ChkMinimize);
        EXPECT_EQ(autoRunPage.BtnOKClick(), OptionsCommit::Committed);
        EXPECT_EQ(RunValue(), std::string("\"") + (shownChecked ? kOtherExe : kExe) + "\"" + '\0');
        // Ticked and unticked again is no change either.
        autoRunPage.OptionsPageShow();
        const bool now = autoRunPage.Controls().ChkAutoRun;
        SetRunValue(now ? kOtherExe : kExe);
        autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, !now);
        autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, now);
        autoRunPage.BtnOKClick();
        EXPECT_EQ(RunValue(), std::string("\"") + (now ? kOtherExe : kExe) + "\"" + '\0');
    }
}

TEST_F(OptionsAutoRunTest, AnUnreadableRunKeyDisablesTheBoxAndOtherOptionsCommitWithoutAWarning) {
    SetRunValue(kExe);
    faults.every = "RegOpenKeyExA";
    autoRunPage.OptionsPageShow();
    EXPECT_FALSE(autoRunPage.Controls().ChkAutoRunEnabled);
    EXPECT_NE(autoRunPage.Controls().AutoRunNote.find("状态不明"), std::string::npos);
    input.calls.clear();
    autoRunPage.CheckClick(OptionsCheck::ChkMinimize, true);
    EXPECT_EQ(autoRunPage.BtnOKClick(), OptionsCommit::Committed);
    EXPECT_TRUE(settings.MinimizeWhenStartup);
    for (const std::string& call : input.calls) EXPECT_EQ(call.find("MessageBoxA"), std::string::npos) << call;
    EXPECT_EQ(RunValue(), std::string("\"") + kExe + "\"" + '\0');

    faults = {};
    autoRunPage.OptionsPageShow();  // readable again: the box can be used again
    EXPECT_TRUE(autoRunPage.Controls().ChkAutoRunEnabled);
    EXPECT_TRUE(autoRunPage.Controls().ChkAutoRun);
}

// Showing the page again (the main window back from the tray, restored,
// activated) shows the registry's state without enabling BtnOK, but keeps
// a choice the user made in the box and has not committed.
TEST_F(OptionsAutoRunTest, ShowingAgainKeepsAnUncommittedChoice) {
    autoRunPage.BtnOKClick();
    autoRunPage.OptionsPageShow();
    SetRunValue(kExe);
    autoRunPage.OptionsPageShow();
    EXPECT_TRUE(autoRunPage.Controls().ChkAutoRun);
    EXPECT_FALSE(autoRunPage.Controls().BtnOKEnabled);

    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, false);
    SetRunValue(kOtherExe);
    autoRunPage.OptionsPageShow();
    EXPECT_FALSE(autoRunPage.Controls().ChkAutoRun);  // the user's choice
    EXPECT_TRUE(autoRunPage.Controls().BtnOKEnabled);
    EXPECT_NE(autoRunPage.Controls().AutoRunNote.find(kOtherExe), std::string::npos);  // what is there now
    SetRunValue(kExe);
    autoRunPage.OptionsPageShow();
    EXPECT_FALSE(autoRunPage.Controls().ChkAutoRun);
    autoRunPage.BtnOKClick();
    EXPECT_EQ(RunValue(), "(none)");  // the choice was still carried out
}

// A refusal is told after the page shows the registry's state, so the box
// behind the message does not still show what failed.
TEST_F(OptionsAutoRunTest, TheBoxIsShownAgainBeforeARefusalIsTold) {
    autoRunPage.onControlsChanged = [&] {
        input.calls.push_back(std::string("shown ") + (autoRunPage.Controls().ChkAutoRun ? "checked" : "unchecked"));
    };
    autoRunPage.OptionsPageShow();
    autoRunPage.CheckClick(OptionsCheck::ChkAutoRun, true);
    faults.every = "RegSetValueExA";
    input.calls.clear();
    autoRunPage.BtnOKClick();
    const auto shown = std::find(input.calls.begin(), input.calls.end(), "shown unchecked");
    const auto told = std::find_if(input.calls.begin(), input.calls.end(),
                                   [](const std::string& call) { return call.starts_with("MessageBoxA"); });
    ASSERT_NE(told, input.calls.end());
    EXPECT_LT(shown, told) << ::testing::PrintToString(input.calls);
}

}  // namespace
}  // namespace pennora
