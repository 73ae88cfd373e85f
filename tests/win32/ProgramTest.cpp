// The life of the program on the real profile and file functions: the first
// page chosen from the data file and what start-up reports about it, the save
// prompt at close and its three answers, a save that fails at close, the
// settings written at the end, a close during a modal box, and the end of the
// Windows session.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorIds.h"
#include "entries/VersionPicker.h"
#include "matrix/MatrixPage.h"
#include "ui/Settings.h"
#include "ui/resource.h"
#include "win32/LongFolder.h"
#include "win32/RunningProgram.h"

namespace pennora {
namespace {

using testing::CloseOutcome;
using testing::DispatchPending;
using testing::kIniName;
using testing::kMissing;
using testing::MessageBoxAnswerer;
using testing::SeenBox;

constexpr const char* kClosePromptCaption = "退出 Pennora";
const SeenBox kClosePrompt{kClosePromptCaption, "保存对数据项的修改吗？", "question", "Yes No Cancel"};

std::string TextOf(HWND window) {
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, text.data(), int(text.size())));
    return text;
}

// The length of the text matrix page's font list, as the system offers it here.
int ScreenFontCount() { return int(ScreenFontList().size()); }

class ProgramTest : public testing::RunningProgram {};

// A settings file of a user who set an option once and has never closed the
// tool: no Position and no ChineseGroup keys yet.
const std::string kOptionsOnlyIni = "[Options]\r\nMinimizeWhenDrag=0\r\n";
const std::vector<Entry> kChangedEntries{Entry{"x", std::nullopt, std::nullopt, std::nullopt}};

TEST_F(ProgramTest, CancelInTheSavePromptKeepsTheWindowTheEntriesAndTheFilesAsTheyWere) {
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    ChangeEntries();

    MessageBoxAnswerer answerer({{kClosePromptCaption, IDCANCEL}});
    CloseOutcome outcome = RequestClose();

    EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{kClosePrompt});
    EXPECT_FALSE(outcome.windowGone);
    EXPECT_FALSE(outcome.quitPosted);
    EXPECT_TRUE(program_->flags().dataModified);
    EXPECT_EQ(program_->store().RowCount(), 1u);
    EXPECT_EQ(FileBytes(kIniName), kOptionsOnlyIni);
    EXPECT_FALSE(Exists(kDataFileName));
}

struct CloseCase {
    const char* name;
    bool changeEntries;
    int answer;  // the button pressed in the save prompt, if one is shown
    bool prompts;
    bool savesData;
};

class ProgramCloseTest : public ProgramTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ProgramCloseTest, ClosesAndWritesTheDragFillPlaceAndTheMatrixFields) {
    const CloseCase& c = GetParam();
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    if (c.changeEntries) ChangeEntries();
    // Moved since start, so the keys must come from where the window is now.
    SetWindowPos(program_->fillModes().dragFill().hwnd(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    MessageBoxAnswerer answerer({{kClosePromptCaption, c.answer}});
    CloseOutcome outcome = RequestClose();

    EXPECT_EQ(answerer.Seen(), c.prompts ? std::vector<SeenBox>{kClosePrompt} : std::vector<SeenBox>{});
    EXPECT_TRUE(outcome.windowGone);
    EXPECT_TRUE(outcome.quitPosted);
    EXPECT_EQ(IniValue(ini::kPosition, ini::kLeft), "123");
    EXPECT_EQ(IniValue(ini::kPosition, ini::kTop), "45");
    // No ChineseGroup keys were stored: the defaults the page showed are written.
    EXPECT_EQ(IniValue(ini::kChineseGroup, ini::kFontIndex), std::to_string(ScreenFontCount() - 1));
    EXPECT_EQ(IniValue(ini::kChineseGroup, ini::kFrontText), kDefaultFrontText);
    EXPECT_EQ(IniValue(ini::kChineseGroup, ini::kFillText), kDefaultFillText);
    EXPECT_EQ(IniValue(ini::kChineseGroup, ini::kBackText), kDefaultBackText);
    EXPECT_EQ(IniValue(ini::kOptions, ini::kMinimizeWhenDrag), "0");
    ASSERT_EQ(Exists(kDataFileName), c.savesData);
    if (c.savesData) {
        EXPECT_EQ(DataFileEntries(), kChangedEntries);
    }
}

// The drag-fill window is made only when first needed: a run that never
// showed it stores the place it would have had, as read at start or as
// designed.
TEST_F(ProgramTest, ACloseWithoutTheDragFillWindowEverMadeStoresItsPlaceUnchanged) {
    for (const auto& [settings, left, top] : {std::tuple{std::string(kOptionsOnlyIni), "364", "164"},
                                         std::tuple{std::string("[Position]\r\nLeft=-20\r\nTop=700\r\n"), "-20", "700"}}) {
        SCOPED_TRACE(settings);
        WriteFileBytes(kIniName, settings);
        Start();
        EXPECT_TRUE(RequestClose().windowGone);
        EXPECT_EQ(IniValue(ini::kPosition, ini::kLeft), left);
        EXPECT_EQ(IniValue(ini::kPosition, ini::kTop), top);
        program_.reset();
        app_.reset();
        DispatchPending();
    }
}

INSTANTIATE_TEST_SUITE_P(, ProgramCloseTest,
                         ::testing::Values(CloseCase{"AnsweredYes", true, IDYES, true, true},
                                           CloseCase{"AnsweredNo", true, IDNO, true, false},
                                           CloseCase{"WithoutChangesNoPrompt", false, IDCANCEL, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A change typed into the editor and not committed yet is unsaved work at
// close, as a stored change is: Yes commits and saves it, No drops it, and
// Cancel leaves it in the box with the caret where it was. A new entry
// nothing was typed into asks nothing.
struct PendingEditCase {
    const char* name;
    bool withEntries;  // else no data file: the typing starts the first entry
    bool newEntryFirst;
    bool typeTitle;
    int answer;
    bool prompts;
    std::optional<std::vector<Entry>> saved;  // the data file after the close; nullopt: none
};

class ProgramPendingEditCloseTest : public ProgramTest, public ::testing::WithParamInterface<PendingEditCase> {};

const std::vector<Entry> kTwoEntries{Entry{"A", "1", true, true}, Entry{"B", "2", true, true}};

TEST_P(ProgramPendingEditCloseTest, ATypedChangeIsAskedAboutAtClose) {
    const PendingEditCase& c = GetParam();
    if (c.withEntries) WriteFileBytes(kDataFileName, EncodeDataFile(kTwoEntries));
    Start();
    program_->window().SelectPage(kEditorPage);
    DispatchPending();
    HWND page = program_->window().page(kEditorPage)->hwnd();
    HWND title = GetDlgItem(page, IDC_DBEDIT1);
    if (c.newEntryFirst) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TOOLBUTTON1, BN_CLICKED), 0);
        DispatchPending();
    }
    SetFocus(title);
    const int length = GetWindowTextLengthA(title);
    SendMessageA(title, EM_SETSEL, length, length);
    if (c.typeTitle) {
        for (char ch : std::string("xy")) SendMessageA(title, WM_CHAR, ch, 1);
    }
    SendMessageA(title, EM_SETSEL, 1, 1);
    const std::string typed = TextOf(title);

    MessageBoxAnswerer answerer({{kClosePromptCaption, c.answer}});
    CloseOutcome outcome = RequestClose();

    EXPECT_EQ(answerer.Seen(), c.prompts ? std::vector<SeenBox>{kClosePrompt} : std::vector<SeenBox>{});
    EXPECT_EQ(outcome.windowGone, c.answer != IDCANCEL || !c.prompts);
    if (!outcome.windowGone) {
        EXPECT_EQ(GetFocus(), title);
        DWORD start = 0, end = 0;
        SendMessageA(title, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        EXPECT_EQ(start, 1u);
        EXPECT_EQ(end, 1u);
        EXPECT_EQ(TextOf(title), typed);
        EXPECT_TRUE(program_->store().HasPendingChange());
    }
    ASSERT_EQ(Exists(kDataFileName), c.saved.has_value());
    if (c.saved) {
        EXPECT_EQ(DataFileEntries(), *c.saved);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , ProgramPendingEditCloseTest,
    ::testing::Values(
        PendingEditCase{"EditedEntryYes", true, false, true, IDYES, true,
                        std::vector<Entry>{Entry{"Axy", "1", true, true}, kTwoEntries[1]}},
        PendingEditCase{"EditedEntryNo", true, false, true, IDNO, true, kTwoEntries},
        PendingEditCase{"EditedEntryCancel", true, false, true, IDCANCEL, true, kTwoEntries},
        PendingEditCase{"NoDataFileYes", false, false, true, IDYES, true,
                        std::vector<Entry>{Entry{"xy", std::nullopt, std::nullopt, std::nullopt}}},
        PendingEditCase{"NoDataFileCancel", false, false, true, IDCANCEL, true, std::nullopt},
        PendingEditCase{"NewEntryTypedYes", true, true, true, IDYES, true,
                        std::vector<Entry>{Entry{"xy", std::nullopt, std::nullopt, std::nullopt}, kTwoEntries[0],
                                           kTwoEntries[1]}},
        PendingEditCase{"UntouchedNewEntryAsksNothing", true, true, false, IDCANCEL, false, kTwoEntries}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, AFailedSaveAtCloseIsReportedAndTheWindowKeepsItsEntriesForTheNextClose) {
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    ChangeEntries();
    // A directory where the save writes its temporary file makes the save fail.
    const std::string blocker = Path(std::string(kDataFileName) + ".saving");
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));

    {
        MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}, {kAppTitle, IDOK}});
        CloseOutcome outcome = RequestClose();
        std::vector<SeenBox> seen = answerer.Seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0], kClosePrompt);
        EXPECT_EQ(seen[1].caption, kAppTitle);
        EXPECT_EQ(seen[1].icon, "error");
        EXPECT_EQ(seen[1].buttons, "OK");
        EXPECT_NE(seen[1].text.find(Path(kDataFileName)), std::string::npos) << seen[1].text;
        EXPECT_FALSE(outcome.windowGone);
        EXPECT_FALSE(outcome.quitPosted);
    }
    EXPECT_TRUE(program_->flags().dataModified);
    ASSERT_EQ(program_->store().RowCount(), 1u);
    EXPECT_EQ(program_->store().Row(0), kChangedEntries[0]);
    EXPECT_FALSE(Exists(kDataFileName));
    EXPECT_EQ(FileBytes(kIniName), kOptionsOnlyIni);  // the close stopped before the settings

    ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
    EXPECT_TRUE(RequestClose().windowGone);
    EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{kClosePrompt});
    EXPECT_EQ(DataFileEntries(), kChangedEntries);
}

struct StartCase {
    const char* name;
    std::optional<std::string> dataFile;  // the bytes of Pennora.Dat, if there is one
    int page;
    std::size_t rows;
    bool reportsUnreadableFile;
};

class ProgramStartTest : public ProgramTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(ProgramStartTest, TheDataFileDecidesTheFirstPage) {
    const StartCase& c = GetParam();
    if (c.dataFile) WriteFileBytes(kDataFileName, *c.dataFile);

    MessageBoxAnswerer answerer({{kAppTitle, IDOK}});
    Start();

    EXPECT_EQ(program_->window().activePage(), c.page);
    EXPECT_EQ(program_->store().RowCount(), c.rows);
    EXPECT_FALSE(program_->flags().dataModified);
    EXPECT_EQ(program_->window().statusText(), "");
    std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), c.reportsUnreadableFile ? 1u : 0u);
    if (c.reportsUnreadableFile) {
        EXPECT_EQ(seen[0].caption, kAppTitle);
        EXPECT_EQ(seen[0].icon, "error");
        EXPECT_NE(seen[0].text.find(Path(kDataFileName)), std::string::npos) << seen[0].text;
        EXPECT_EQ(FileBytes(std::string(kDataFileName) + ".unreadable-1"), *c.dataFile);  // kept for the user
    }
}

INSTANTIATE_TEST_SUITE_P(
    , ProgramStartTest,
    ::testing::Values(StartCase{"NoDataFileOpensTheEditor", std::nullopt, kEditorPage, 0, false},
                      StartCase{"DataFileOpensTheFillPage",
                                EncodeDataFile({Entry{"a", "1", true, std::nullopt}, Entry{"b", std::nullopt, false, true}}),
                                kFillPage, 2, false},
                      StartCase{"UnreadableDataFileIsReportedAndOpensTheEditor", "not a data file", kEditorPage, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A start that finds the data file unreadable offers, in the same box, the
// newest earlier version that reads: Yes loads it as unsaved changes, No
// starts empty as before.
class ProgramVersionOfferTest : public ProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramVersionOfferTest, TheNewestVersionThatReadsIsOfferedAndYesLoadsItAsUnsavedChanges) {
    const int answer = GetParam();
    const std::vector<Entry> kept{Entry{"A", "1", true, std::nullopt}, Entry{"B", std::nullopt, false, false}};
    std::filesystem::create_directories(Path("Backup"));
    WriteFileBytes(kDataFileName, "not a data file");
    WriteFileBytes("Backup\\Pennora-20261209-080000.Dat", EncodeDataFile({Entry{"older", {}, {}, {}}}));
    WriteFileBytes("Backup\\Pennora-20261210-174512.Dat", EncodeDataFile(kept));
    WriteFileBytes("Backup\\Pennora-20261211-090000.Dat", "damaged as well");

    MessageBoxAnswerer answerer({{kAppTitle, answer}});
    Start();

    const std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, kAppTitle);
    EXPECT_EQ(seen[0].icon, "warning");
    EXPECT_EQ(seen[0].buttons, "Yes No");
    EXPECT_NE(seen[0].text.find(Path(kDataFileName)), std::string::npos) << seen[0].text;
    EXPECT_TRUE(seen[0].text.ends_with("是否载入最近的备份（2026-12-10 17:45:12）？")) << seen[0].text;

    EXPECT_EQ(program_->window().activePage(), kEditorPage);
    std::vector<Entry> rows;
    for (std::size_t row = 0; row < program_->store().RowCount(); ++row) rows.push_back(program_->store().Row(row));
    EXPECT_EQ(rows, answer == IDYES ? kept : std::vector<Entry>{});
    EXPECT_EQ(program_->flags().dataModified, answer == IDYES);
    // The unreadable file is kept aside either way, and nothing is saved yet.
    EXPECT_TRUE(Exists(std::string(kDataFileName) + ".unreadable-1"));
    EXPECT_FALSE(Exists(kDataFileName));
}

INSTANTIATE_TEST_SUITE_P(, ProgramVersionOfferTest, ::testing::Values(IDYES, IDNO),
                         [](const auto& info) { return std::string(info.param == IDYES ? "Yes" : "No"); });

TEST_F(ProgramTest, EntriesSavedAtCloseAreLoadedAtTheNextStartOnTheFillPage) {
    Start();
    ASSERT_EQ(program_->window().activePage(), kEditorPage);
    ChangeEntries();
    {
        MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
        ASSERT_TRUE(RequestClose().windowGone);
    }
    program_.reset();
    app_.reset();

    Start();
    EXPECT_EQ(program_->window().activePage(), kFillPage);
    ASSERT_EQ(program_->store().RowCount(), 1u);
    EXPECT_EQ(program_->store().Row(0), kChangedEntries[0]);
}

TEST_F(ProgramTest, ASettingsFileThatRefusesTheWriteAtCloseIsReportedAndTheProgramStillEnds) {
    // A folder where the settings file should be: every write is refused.
    ASSERT_TRUE(CreateDirectoryA(Path(kIniName).c_str(), nullptr));
    Start();
    MessageBoxAnswerer answerer({{kAppTitle, IDOK}});
    CloseOutcome outcome = RequestClose();

    std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, kAppTitle);
    EXPECT_EQ(seen[0].icon, "error");
    EXPECT_EQ(seen[0].text, "Unable to write to " + Path(kIniName) + ".");
    EXPECT_TRUE(outcome.windowGone);
    EXPECT_TRUE(outcome.quitPosted);
}

// A close that comes while a modal box is up waits for the box: during the
// close prompt (a second close, "退出" in the tray) and during a start-up
// message, where the window is not built yet.
TEST_F(ProgramTest, ACloseWhileTheClosePromptIsUpAsksOnceAndClosesOnce) {
    Start();
    ChangeEntries();
    HWND window = program_->window().hwnd();
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}}, [window](const SeenBox&) {
        SendMessageTimeoutA(window, WM_COMMAND, IDM_EXIT2, 0, SMTO_NORMAL, 2000, nullptr);
        SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 2000, nullptr);
    });
    CloseOutcome outcome = RequestClose();
    DispatchPending();

    EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{kClosePrompt});
    EXPECT_TRUE(outcome.windowGone);
    EXPECT_EQ(DataFileEntries(), kChangedEntries);
}

TEST_F(ProgramTest, ACloseDuringAStartUpMessageWaitsUntilTheWindowIsBuilt) {
    WriteFileBytes(kDataFileName, "not a data file");
    std::atomic<HWND> window{nullptr};
    MessageBoxAnswerer answerer({{kAppTitle, IDOK}}, [&window](const SeenBox&) {
        window = FindWindowA("TfrmMain", kAppTitle);
        SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 2000, nullptr);
    });
    Start();  // the close is taken up once start-up is through
    DispatchPending();

    EXPECT_EQ(answerer.Seen().size(), 1u);
    ASSERT_TRUE(window.load());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(IniValue(ini::kPosition, ini::kLeft), kMissing);  // the whole close sequence ran
}

// A tool copied deep into a folder tree, where its own files still fit the
// classic path limit and the files beside them do not: the start asks
// nothing, and entries are saved.
TEST_F(ProgramTest, InAFolderAtTheEdgeOfThePathLimitTheStartAsksNothingAndASaveWorks) {
    testing::LongFolder deep(246);
    folder_ = deep.path();
    {
        MessageBoxAnswerer answerer;
        Start();
        EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{});
    }
    ChangeEntries();
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
    EXPECT_TRUE(RequestClose().windowGone);
    EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{kClosePrompt});
    EXPECT_EQ(DataFileEntries(), kChangedEntries);
    program_.reset();
    app_.reset();
}

// Logoff and shutdown: no question holds up the session; changes not saved
// are kept in a file of their own and offered at the next start.
TEST_F(ProgramTest, AnEndingSessionKeepsUnsavedEntriesForTheNextStartAndWritesTheSettings) {
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    ChangeEntries();
    HWND window = program_->window().hwnd();
    {
        MessageBoxAnswerer answerer;
        EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        DispatchPending();
        EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{});
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(Exists(kDataFileName));
    EXPECT_TRUE(Exists(std::string(kDataFileName) + ".unsaved"));
    EXPECT_NE(IniValue(ini::kPosition, ini::kLeft), kMissing);
    program_.reset();
    app_.reset();

    {
        MessageBoxAnswerer answerer({{kAppTitle, IDYES}});
        Start();
        ASSERT_EQ(answerer.Seen().size(), 1u);
        EXPECT_EQ(answerer.Seen()[0].icon, "question");
    }
    EXPECT_TRUE(program_->flags().dataModified);
    ASSERT_EQ(program_->store().RowCount(), 1u);
    EXPECT_EQ(program_->store().Row(0), kChangedEntries[0]);
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
    EXPECT_TRUE(RequestClose().windowGone);
    EXPECT_EQ(DataFileEntries(), kChangedEntries);
    EXPECT_FALSE(Exists(std::string(kDataFileName) + ".unsaved"));
}

// A critical end of the session comes without the query.
TEST_F(ProgramTest, AForcedSessionEndStillKeepsTheUnsavedEntries) {
    Start();
    ChangeEntries();
    HWND window = program_->window().hwnd();
    SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL);
    DispatchPending();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(Exists(kDataFileName));
    DecodedDataFile unsaved = DecodeDataFile(FileBytes(std::string(kDataFileName) + ".unsaved"));
    EXPECT_EQ(unsaved.entries, kChangedEntries) << unsaved.error;
}

// Neither the changes kept at the query nor the mark of a loaded version
// beside them outlive an end that is called off.
TEST_F(ProgramTest, ASessionEndThatIsCalledOffLeavesNothingBehind) {
    for (bool versionLoaded : {false, true}) {
        SCOPED_TRACE(versionLoaded ? "a version loaded" : "entries changed");
        program_.reset();
        app_.reset();
        Start();
        if (versionLoaded)
            program_->store().ReplaceAllAsUnsaved(kChangedEntries);
        else
            ChangeEntries();
        HWND window = program_->window().hwnd();
        EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        EXPECT_TRUE(Exists(std::string(kDataFileName) + ".unsaved"));
        EXPECT_EQ(Exists(UnsavedVersionMarkOf(kDataFileName)), versionLoaded);
        SendMessageA(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        DispatchPending();
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(Exists(std::string(kDataFileName) + ".unsaved"));
        EXPECT_FALSE(Exists(UnsavedVersionMarkOf(kDataFileName)));
        EXPECT_TRUE(program_->flags().dataModified);
        EXPECT_TRUE(program_->store().ReplacedWhole() == versionLoaded);
        MessageBoxAnswerer answerer({{kClosePromptCaption, IDNO}});
        EXPECT_TRUE(RequestClose().windowGone);
    }
}

// What is being typed when the program ends is kept, whichever way it ends:
// a title typed in place in the editor's list (its editor still open) or
// into the title box. The close asks about it and Yes saves it; a session
// end, with or without the query before it, keeps it for the next start,
// written when the query answers (the end may follow without a message).
// Cancel at the question leaves a title typed in place in its editor, which
// takes the next key. An editor opened with nothing typed is nothing to keep.
enum class Ending { CloseYes, CloseNo, CloseCancel, SessionEnd, ForcedSessionEnd };
enum class Typing { InPlaceInTheList, InTheTitleBox, InPlaceUntouched };
struct TypingAtEndCase {
    const char* name;
    Ending ending;
    Typing typing;
};

class ProgramTypingAtEndTest : public ProgramTest, public ::testing::WithParamInterface<TypingAtEndCase> {};

TEST_P(ProgramTypingAtEndTest, WhatIsBeingTypedIsKept) {
    const TypingAtEndCase& c = GetParam();
    WriteFileBytes(kDataFileName, EncodeDataFile(kTwoEntries));
    Start();
    program_->window().SelectPage(kEditorPage);
    DispatchPending();
    HWND window = program_->window().hwnd(), page = program_->window().page(kEditorPage)->hwnd();
    HWND grid = GetDlgItem(page, IDC_DBGRID1), titleEditor = nullptr;
    std::string typedTitle = kTwoEntries[0].title.value_or("");
    if (c.typing == Typing::InTheTitleBox) {
        HWND title = GetDlgItem(page, IDC_DBEDIT1);
        SetFocus(title);
        SendMessageA(title, EM_SETSEL, 1, 1);
        for (char ch : std::string("xy")) SendMessageA(title, WM_CHAR, ch, 1);
        typedTitle = "Axy";
    } else {
        SetFocus(grid);
        ASSERT_TRUE(ListView_EditLabel(grid, 0));
        titleEditor = ListView_GetEditControl(grid);
        ASSERT_TRUE(titleEditor);
        if (c.typing == Typing::InPlaceInTheList) {
            SetWindowTextA(titleEditor, "T");
            typedTitle = "T";
        }
    }
    ASSERT_FALSE(program_->flags().dataModified);
    const bool untouched = c.typing == Typing::InPlaceUntouched;
    const std::vector<Entry> typed{Entry{typedTitle, "1", true, true}, kTwoEntries[1]};
    const std::string unsavedName = std::string(kDataFileName) + ".unsaved";

    const int answer = c.ending == Ending::CloseNo ? IDNO : c.ending == Ending::CloseCancel ? IDCANCEL : IDYES;
    MessageBoxAnswerer answerer({{kClosePromptCaption, answer}});
    switch (c.ending) {
    case Ending::CloseYes:
    case Ending::CloseNo:
    case Ending::CloseCancel: RequestClose(); break;
    case Ending::SessionEnd:
        EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
        EXPECT_EQ(Exists(unsavedName), !untouched) << "kept when the query answers";
        SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        break;
    case Ending::ForcedSessionEnd: SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL); break;
    }
    DispatchPending();

    const bool closed = c.ending == Ending::CloseYes || c.ending == Ending::CloseNo || c.ending == Ending::CloseCancel;
    EXPECT_EQ(answerer.Seen(), closed && !untouched ? std::vector<SeenBox>{kClosePrompt} : std::vector<SeenBox>{});
    EXPECT_EQ(DataFileEntries(), c.ending == Ending::CloseYes && !untouched ? typed : kTwoEntries);
    ASSERT_EQ(Exists(unsavedName), !closed && !untouched);
    if (!closed && !untouched) {
        const DecodedDataFile unsaved = DecodeDataFile(FileBytes(unsavedName));
        EXPECT_EQ(unsaved.entries, typed) << unsaved.error;
    }
    if (c.ending != Ending::CloseCancel) {
        EXPECT_FALSE(IsWindow(window));
        return;
    }
    // Cancelled: the title is still in its editor, which takes the next key
    // (the list's type-ahead does not get it and move the current row).
    ASSERT_TRUE(IsWindow(window));
    if (!IsWindow(titleEditor)) {
        // Under Wine an activation the window manager makes late can still
        // take the focus from the editor after the Cancel, which ends it: the
        // title then goes to the store, so nothing typed is lost.
        EXPECT_EQ(program_->store().Row(0).title, std::optional<std::string>(typedTitle)) << "the editor was ended";
        return;
    }
    EXPECT_EQ(ListView_GetEditControl(grid), titleEditor);
    EXPECT_EQ(GetFocus(), titleEditor);
    SendMessageA(titleEditor, EM_SETSEL, 1, 1);
    SendMessageA(titleEditor, WM_CHAR, 'U', 1);
    EXPECT_EQ(TextOf(titleEditor), "TU");
    EXPECT_EQ(program_->store().CurrentRow(), std::optional<std::size_t>(0));
    EXPECT_FALSE(program_->flags().dataModified);
}

INSTANTIATE_TEST_SUITE_P(
    , ProgramTypingAtEndTest,
    ::testing::Values(
        TypingAtEndCase{"InPlaceCloseYes", Ending::CloseYes, Typing::InPlaceInTheList},
        TypingAtEndCase{"InPlaceCloseNo", Ending::CloseNo, Typing::InPlaceInTheList},
        TypingAtEndCase{"InPlaceCloseCancel", Ending::CloseCancel, Typing::InPlaceInTheList},
        TypingAtEndCase{"InPlaceSessionEnd", Ending::SessionEnd, Typing::InPlaceInTheList},
        TypingAtEndCase{"InPlaceForcedSessionEnd", Ending::ForcedSessionEnd, Typing::InPlaceInTheList},
        TypingAtEndCase{"UntouchedCloseYes", Ending::CloseYes, Typing::InPlaceUntouched},
        TypingAtEndCase{"UntouchedSessionEnd", Ending::SessionEnd, Typing::InPlaceUntouched},
        TypingAtEndCase{"TitleBoxCloseYes", Ending::CloseYes, Typing::InTheTitleBox},
        TypingAtEndCase{"TitleBoxSessionEnd", Ending::SessionEnd, Typing::InTheTitleBox},
        TypingAtEndCase{"TitleBoxForcedSessionEnd", Ending::ForcedSessionEnd, Typing::InTheTitleBox}),
    [](const auto& info) { return std::string(info.param.name); });

// The session ends while the dialog of earlier versions, or its question
// before a load, is open: the entries the editor holds then (a version
// loaded before as unsaved changes among them) are kept for the next start,
// the dialog ends without a load or an error box, and the data file stays.
TEST_F(ProgramTest, ASessionEndingWhileTheVersionsDialogIsOpenKeepsTheEntriesTheEditorHolds) {
    constexpr const char* kVersionsCaption = "较早的版本";
    const std::vector<Entry> kVersion{Entry{"old1", "1", {}, {}}, Entry{"old2", "2", {}, {}}};
    const struct {
        const char* name;
        bool loadFirst;          // a version is loaded, then the dialog opened again
        const char* endsUnder;   // the window up when the session ends
        int sightingAtEnd;       // its how-many-th showing
    } cases[] = {
        {"dialog open after a load", true, kVersionsCaption, 2},
        {"load question up", false, kLoadVersionCaption, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dataBytes = EncodeDataFile({Entry{"now", "n", {}, {}}});
        WriteFileBytes(kDataFileName, dataBytes);
        std::filesystem::create_directories(Path(kBackupFolderName));
        WriteFileBytes(std::string(kBackupFolderName) + "\\Pennora-000001-20261208-090000.Dat", EncodeDataFile(kVersion));
        Start();
        if (!c.loadFirst) ChangeEntries();
        program_->window().SelectPage(kEditorPage);
        HWND window = program_->window().hwnd(), page = program_->window().page(kEditorPage)->hwnd();
        const auto clickVersions = [&] {
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TOOLBUTTON_VERSIONS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_TOOLBAR1)));
        };
        std::atomic<int> sightings = 0;
        std::atomic<bool> queryAnswered = false;
        {
            MessageBoxAnswerer answerer({{kVersionsCaption, IDOK}, {kLoadVersionCaption, IDYES}}, [&](const SeenBox& box) {
                if (box.caption != c.endsUnder || ++sightings != c.sightingAtEnd) return;
                queryAnswered = SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) != FALSE;
                SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            });
            if (c.loadFirst) {
                clickVersions();
                DispatchPending();
                ASSERT_EQ(program_->store().StoredEntries(), kVersion);
                ASSERT_TRUE(program_->flags().dataModified);
            }
            const std::vector<Entry> held = program_->store().StoredEntries();
            clickVersions();
            DispatchPending();
            for (const SeenBox& box : answerer.Seen())
                EXPECT_TRUE(box.caption == kVersionsCaption || box.caption == kLoadVersionCaption) << box.caption;
            EXPECT_TRUE(queryAnswered);
            EXPECT_FALSE(IsWindow(window));
            DecodedDataFile unsaved = DecodeDataFile(FileBytes(std::string(kDataFileName) + ".unsaved"));
            EXPECT_EQ(unsaved.entries, held) << unsaved.error;
            // A loaded version is marked so, for the save after its restore.
            EXPECT_EQ(Exists(UnsavedVersionMarkOf(kDataFileName)), c.loadFirst);
            EXPECT_EQ(program_->store().StoredEntries(), held) << "no load after the end";
        }
        EXPECT_EQ(FileBytes(kDataFileName), dataBytes);
        program_.reset();
        app_.reset();
        DispatchPending();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
}

// Teardown while everything is open: the main window, its pages and the
// drag-fill window go with the program, before what they use is freed.
TEST_F(ProgramTest, DeletingTheProgramWhileItIsOpenTakesItsWindowsAlong) {
    Start();
    HWND window = program_->window().hwnd(), dragFill = program_->fillModes().dragFill().hwnd();
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
    ASSERT_GE(children.size(), 6u);
    program_.reset();
    DispatchPending();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(dragFill));
    for (HWND child : children) EXPECT_FALSE(IsWindow(child));
}

// A data file another program holds open without sharing cannot be read: it
// stays as it is, the user is told and may try again once it is free.
TEST_F(ProgramTest, ADataFileHeldByAnotherProgramCanBeReadOnARetry) {
    const std::string bytes = EncodeDataFile({Entry{"a", "1", {}, {}}});
    WriteFileBytes(kDataFileName, bytes);
    HANDLE held = CreateFileA(Path(kDataFileName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int boxes = 0;
    MessageBoxAnswerer answerer({{kAppTitle, IDRETRY}}, [&](const SeenBox&) {
        if (++boxes == 2) CloseHandle(held);  // the other program lets go while the second box is up
    });
    Start();

    std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].buttons, "Retry Cancel");
    EXPECT_NE(seen[0].text.find(Path(kDataFileName)), std::string::npos) << seen[0].text;
    EXPECT_EQ(program_->window().activePage(), kFillPage);
    EXPECT_EQ(program_->store().RowCount(), 1u);
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
}

TEST_F(ProgramTest, ADataFileHeldByAnotherProgramIsLeftAloneAndNotOverwritten) {
    const std::string bytes = EncodeDataFile({Entry{"a", "1", {}, {}}});
    WriteFileBytes(kDataFileName, bytes);
    // Changes of an ended session wait for a start where they can be saved.
    const std::string unsaved = std::string(kDataFileName) + ".unsaved";
    WriteFileBytes(unsaved, EncodeDataFile(kChangedEntries));
    HANDLE held = CreateFileA(Path(kDataFileName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxAnswerer answerer({{kAppTitle, IDCANCEL}});
        Start();
        EXPECT_EQ(answerer.Seen().size(), 1u);
    }
    CloseHandle(held);
    EXPECT_EQ(program_->window().activePage(), kEditorPage);
    ChangeEntries();
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}, {kAppTitle, IDOK}});
    EXPECT_FALSE(RequestClose().windowGone);  // the save is refused, the entries stay in memory
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{kDataFileName, unsaved}));
}

// Only the temporary file of a save that a power cut interrupted is left.
TEST_F(ProgramTest, TheTemporaryFileOfACutShortSaveIsRecoveredAtStart) {
    const std::string bytes = EncodeDataFile({Entry{"a", "1", {}, {}}, Entry{"b", "2", {}, {}}});
    WriteFileBytes(std::string(kDataFileName) + ".saving", bytes);
    MessageBoxAnswerer answerer({{kAppTitle, IDOK}});
    Start();

    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_NE(answerer.Seen()[0].text.find(Path(kDataFileName) + ".saving"), std::string::npos);
    EXPECT_EQ(program_->window().activePage(), kFillPage);
    EXPECT_EQ(program_->store().RowCount(), 2u);
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
    EXPECT_FALSE(Exists(std::string(kDataFileName) + ".saving"));
}

}  // namespace
}  // namespace pennora
