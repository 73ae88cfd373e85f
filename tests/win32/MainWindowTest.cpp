// The real main window on the real profile and file functions: the save prompt
// at close and its three answers, a save that fails at close, the first page
// chosen from the data file, and the status line after a page change. Every
// test runs in its own folder that plays the tool's folder.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "matrix/MatrixPage.h"
#include "matrix/MatrixPageIds.h"
#include "ui/Settings.h"
#include "ui/resource.h"
#include "entries/DataFile.h"
#include "entries/EntryEditorIds.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Win32CaretApi.h"
#include "platform/win32/Win32HotKeyApi.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"
#include "win32/IconSize.h"
#include "win32/LongFolder.h"

namespace pennora {
namespace {

constexpr const char* kClosePromptCaption = "退出 Pennora";
constexpr const char* kIniName = "Pennora.Ini";
constexpr const char* kMissing = "<missing>";

// Control ids inside a system message box.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

// A message box as the user saw it.
struct SeenBox {
    std::string caption;
    std::string text;
    std::string icon;     // "error", "question", "warning" or "other"
    std::string buttons;  // the visible buttons, e.g. "Yes No Cancel"
    bool operator==(const SeenBox&) const = default;
};

void PrintTo(const SeenBox& box, std::ostream* out) {
    *out << "{\"" << box.caption << "\", \"" << box.text << "\", " << box.icon << ", " << box.buttons << "}";
}

const SeenBox kClosePrompt{kClosePromptCaption, "保存对数据项的修改吗？", "question", "Yes No Cancel"};

// The length of the text matrix page's font list, as the system offers it here.
int ScreenFontCount() { return int(ScreenFontList().size()); }

std::string IconKind(HWND box) {
    auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIconId, STM_GETICON, 0, 0));
    if (icon && icon == LoadIconA(nullptr, IDI_ERROR)) return "error";
    if (icon && icon == LoadIconA(nullptr, IDI_QUESTION)) return "question";
    if (icon && icon == LoadIconA(nullptr, IDI_WARNING)) return "warning";
    return "other";
}

std::string VisibleButtons(HWND box) {
    static const std::pair<int, const char*> kButtons[] = {{IDOK, "OK"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    std::string names;
    for (const auto& [id, name] : kButtons) {
        HWND button = GetDlgItem(box, id);
        if (!button || !IsWindowVisible(button)) continue;
        if (!names.empty()) names += ' ';
        names += name;
    }
    return names;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Answers every message box this process shows, from a thread of its own (a
// box runs its modal loop inside the handler under test): with the button
// given for its caption, or Cancel for a box nobody expected, so a wrong box
// is recorded instead of hanging the test. Each box is recorded before it is
// answered, so once the handler has returned, Seen() is complete.
class MessageBoxAnswerer {
public:
    // `beforeAnswer` runs on the answering thread while the box is still up.
    explicit MessageBoxAnswerer(std::map<std::string, int> answers = {},
                                std::function<void(const SeenBox&)> beforeAnswer = {})
        : answers_(std::move(answers)), beforeAnswer_(std::move(beforeAnswer)), thread_([this] { Run(); }) {}
    ~MessageBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }

    std::vector<SeenBox> Seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    void Run() {
        std::set<HWND> answered;
        while (!stop_) {
            std::erase_if(answered, [](HWND box) { return !IsWindow(box); });
            for (HWND box : ShownBoxes()) {
                if (answered.insert(box).second) Answer(box);
            }
            Sleep(5);
        }
    }

    static std::vector<HWND> ShownBoxes() {
        std::vector<HWND> boxes;
        EnumWindows(
            [](HWND window, LPARAM found) -> BOOL {
                char className[16] = {};
                GetClassNameA(window, className, sizeof className);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == GetCurrentProcessId() && std::string(className) == "#32770" && IsWindowVisible(window))
                    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&boxes));
        return boxes;
    }

    void Answer(HWND box) {
        SeenBox seen{WindowText(box), WindowText(GetDlgItem(box, kMessageBoxTextId)), IconKind(box), VisibleButtons(box)};
        auto answer = answers_.find(seen.caption);
        int button = answer == answers_.end() ? IDCANCEL : answer->second;
        {
            std::lock_guard lock(mutex_);
            seen_.push_back(seen);
        }
        if (beforeAnswer_) beforeAnswer_(seen);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }

    const std::map<std::string, int> answers_;
    const std::function<void(const SeenBox&)> beforeAnswer_;
    mutable std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Dispatches everything queued for this thread; true when WM_QUIT was among it
// (swallowed, so it cannot end a later modal loop).
bool DispatchPending() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

struct CloseOutcome {
    bool windowGone;
    bool quitPosted;  // the message loop of the program would end
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "PennoraMainWindowTest-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++serial) + "\\";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        main_.reset();
        app_.reset();
        DispatchPending();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Program entry with the tool's folder as AppPath (the exe need not exist there).
    void Start() {
        app_ = std::make_unique<Application>(kAppTitle);
        main_ = std::make_unique<MainWindow>(*app_, ShellServices{windows_, profile_, files_, hotKeys_, caret_},
                                             Path("Pennora.exe"));
        main_->Show();
        DispatchPending();
    }

    // A stored change of the entries, as the editor page makes it.
    void ChangeEntries() {
        main_->store().SetTitle("x");
        main_->store().Post();
        ASSERT_TRUE(main_->flags().dataModified);
    }

    // The close request of the title strip's close image and the Exit items.
    CloseOutcome RequestClose() {
        HWND window = main_->hwnd();
        PostMessageA(window, WM_CLOSE, 0, 0);
        bool quit = DispatchPending();
        return {!IsWindow(window), quit};
    }

    std::string Path(const std::string& name) const { return folder_ + name; }
    bool Exists(const std::string& name) const { return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string FileBytes(const std::string& name) const {
        std::ostringstream bytes;
        bytes << std::ifstream(Path(name), std::ios::binary).rdbuf();
        return bytes.str();
    }
    void WriteFileBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string IniValue(const char* section, const char* key) {
        return profile_.GetPrivateProfileStringA(section, key, kMissing, Path(kIniName));
    }
    std::vector<Entry> DataFileEntries() const {
        DecodedDataFile decoded = DecodeDataFile(FileBytes(kDataFileName));
        EXPECT_TRUE(decoded.ok()) << decoded.error;
        return decoded.entries;
    }

    Win32WindowsInput windows_;
    Win32Profile profile_;
    Win32FileSystem files_;
    Win32HotKeyApi hotKeys_;
    Win32CaretApi caret_;
    std::string folder_;
    std::unique_ptr<Application> app_;
    std::unique_ptr<MainWindow> main_;
};

// A settings file of a user who set an option once and has never closed the
// tool: no Position and no ChineseGroup keys yet.
const std::string kOptionsOnlyIni = "[Options]\r\nMinimizeWhenDrag=0\r\n";
const std::vector<Entry> kChangedEntries{Entry{"x", std::nullopt, std::nullopt, std::nullopt}};

TEST_F(MainWindowTest, CancelInTheSavePromptKeepsTheWindowTheEntriesAndTheFilesAsTheyWere) {
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    ChangeEntries();

    MessageBoxAnswerer answerer({{kClosePromptCaption, IDCANCEL}});
    CloseOutcome outcome = RequestClose();

    EXPECT_EQ(answerer.Seen(), std::vector<SeenBox>{kClosePrompt});
    EXPECT_FALSE(outcome.windowGone);
    EXPECT_FALSE(outcome.quitPosted);
    EXPECT_TRUE(main_->flags().dataModified);
    EXPECT_EQ(main_->store().RowCount(), 1u);
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

class MainWindowCloseTest : public MainWindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MainWindowCloseTest, ClosesAndWritesTheDragFillPlaceAndTheMatrixFields) {
    const CloseCase& c = GetParam();
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    if (c.changeEntries) ChangeEntries();
    // Moved since start, so the keys must come from where the window is now.
    SetWindowPos(main_->dragFill().hwnd(), nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

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
TEST_F(MainWindowTest, ACloseWithoutTheDragFillWindowEverMadeStoresItsPlaceUnchanged) {
    for (const auto& [settings, left, top] : {std::tuple{std::string(kOptionsOnlyIni), "364", "164"},
                                         std::tuple{std::string("[Position]\r\nLeft=-20\r\nTop=700\r\n"), "-20", "700"}}) {
        SCOPED_TRACE(settings);
        WriteFileBytes(kIniName, settings);
        Start();
        EXPECT_TRUE(RequestClose().windowGone);
        EXPECT_EQ(IniValue(ini::kPosition, ini::kLeft), left);
        EXPECT_EQ(IniValue(ini::kPosition, ini::kTop), top);
        main_.reset();
        app_.reset();
        DispatchPending();
    }
}

INSTANTIATE_TEST_SUITE_P(, MainWindowCloseTest,
                         ::testing::Values(CloseCase{"AnsweredYes", true, IDYES, true, true},
                                           CloseCase{"AnsweredNo", true, IDNO, true, false},
                                           CloseCase{"WithoutChangesNoPrompt", false, IDCANCEL, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, AFailedSaveAtCloseIsReportedAndTheWindowKeepsItsEntriesForTheNextClose) {
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
    EXPECT_TRUE(main_->flags().dataModified);
    ASSERT_EQ(main_->store().RowCount(), 1u);
    EXPECT_EQ(main_->store().Row(0), kChangedEntries[0]);
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

class MainWindowStartTest : public MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(MainWindowStartTest, TheDataFileDecidesTheFirstPage) {
    const StartCase& c = GetParam();
    if (c.dataFile) WriteFileBytes(kDataFileName, *c.dataFile);

    MessageBoxAnswerer answerer({{kAppTitle, IDOK}});
    Start();

    EXPECT_EQ(main_->activePage(), c.page);
    EXPECT_EQ(main_->store().RowCount(), c.rows);
    EXPECT_FALSE(main_->flags().dataModified);
    EXPECT_EQ(main_->statusText(), "");
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
    , MainWindowStartTest,
    ::testing::Values(StartCase{"NoDataFileOpensTheEditor", std::nullopt, kEditorPage, 0, false},
                      StartCase{"DataFileOpensTheFillPage",
                                EncodeDataFile({Entry{"a", "1", true, std::nullopt}, Entry{"b", std::nullopt, false, true}}),
                                kFillPage, 2, false},
                      StartCase{"UnreadableDataFileIsReportedAndOpensTheEditor", "not a data file", kEditorPage, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A start that finds the data file unreadable offers, in the same box, the
// newest earlier version that reads: Yes loads it as unsaved changes, No
// starts empty as before.
class MainWindowVersionOfferTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(MainWindowVersionOfferTest, TheNewestVersionThatReadsIsOfferedAndYesLoadsItAsUnsavedChanges) {
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

    EXPECT_EQ(main_->activePage(), kEditorPage);
    std::vector<Entry> rows;
    for (std::size_t row = 0; row < main_->store().RowCount(); ++row) rows.push_back(main_->store().Row(row));
    EXPECT_EQ(rows, answer == IDYES ? kept : std::vector<Entry>{});
    EXPECT_EQ(main_->flags().dataModified, answer == IDYES);
    // The unreadable file is kept aside either way, and nothing is saved yet.
    EXPECT_TRUE(Exists(std::string(kDataFileName) + ".unreadable-1"));
    EXPECT_FALSE(Exists(kDataFileName));
}

INSTANTIATE_TEST_SUITE_P(, MainWindowVersionOfferTest, ::testing::Values(IDYES, IDNO),
                         [](const auto& info) { return std::string(info.param == IDYES ? "Yes" : "No"); });

TEST_F(MainWindowTest, EntriesSavedAtCloseAreLoadedAtTheNextStartOnTheFillPage) {
    Start();
    ASSERT_EQ(main_->activePage(), kEditorPage);
    ChangeEntries();
    {
        MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
        ASSERT_TRUE(RequestClose().windowGone);
    }
    main_.reset();
    app_.reset();

    Start();
    EXPECT_EQ(main_->activePage(), kFillPage);
    ASSERT_EQ(main_->store().RowCount(), 1u);
    EXPECT_EQ(main_->store().Row(0), kChangedEntries[0]);
}

// A click on a tab of the page area, as the mouse makes it: the tab control
// selects the tab and notifies the main window.
void ClickTab(HWND tabs, int index) {
    RECT item{};
    ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)));
    LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(tabs, WM_LBUTTONUP, 0, point);
}

TEST_F(MainWindowTest, TheStatusLineShowsTheCaptionOfThePageTheUserSelects) {
    static const std::pair<int, const char*> kPageCaptions[] = {
        {kFillPage, " 填表助手"},  {kEditorPage, " 数据编辑 "},  {kBrowserMenuPage, "IE右键菜单填表"},
        {kMatrixPage, "文字方阵制作"}, {kOptionsPage, "选项..."}, {kAboutPage, "关于..."},
    };
    Start();
    HWND tabs = GetDlgItem(main_->hwnd(), IDC_PAGECONTROL1);
    ASSERT_TRUE(tabs);
    for (const auto& [page, caption] : kPageCaptions) {
        SCOPED_TRACE(page);
        ClickTab(tabs, page);
        DispatchPending();
        EXPECT_EQ(main_->activePage(), page);
        EXPECT_EQ(main_->statusText(), caption);
    }
}

TEST_F(MainWindowTest, ASettingsFileThatRefusesTheWriteAtCloseIsReportedAndTheProgramStillEnds) {
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
TEST_F(MainWindowTest, ACloseWhileTheClosePromptIsUpAsksOnceAndClosesOnce) {
    Start();
    ChangeEntries();
    HWND window = main_->hwnd();
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

TEST_F(MainWindowTest, ACloseDuringAStartUpMessageWaitsUntilTheWindowIsBuilt) {
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

// Minimised another way than by its own glyph: the tray icon still comes, and
// the icon's click brings the window back.
TEST_F(MainWindowTest, AMinimiseFromOutsideGoesToTheTrayAndTheTrayBringsTheWindowBack) {
    for (bool applicationWindow : {false, true}) {
        SCOPED_TRACE(applicationWindow ? "the application window" : "the main window");
        Start();
        ShowWindow(applicationWindow ? app_->hwnd() : main_->hwnd(), SW_MINIMIZE);  // as another program would
        DispatchPending();
        EXPECT_TRUE(main_->trayIcon().IsShown());
        EXPECT_FALSE(IsWindowVisible(main_->hwnd()));

        SendMessageA(main_->hwnd(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
        DispatchPending();
        EXPECT_TRUE(IsWindowVisible(main_->hwnd()));
        EXPECT_FALSE(IsIconic(main_->hwnd()));
        main_.reset();
        app_.reset();
    }
}

// The tray shows icons at the small size; a 32 x 32 picture shrunk there by
// the shell is blurred.
TEST_F(MainWindowTest, TrayIconsAreOfTheSmallIconSize) {
    Start();
    MessageBoxAnswerer answerer;  // the hot key's notice
    app_->Minimize();
    DispatchPending();
    EXPECT_EQ(testing::IconWidth(main_->trayIcon().record().hIcon), GetSystemMetrics(SM_CXSMICON));
    main_->hotKeyFill().ToolButtonHotKeyClick();
    DispatchPending();
    ASSERT_TRUE(main_->flags().hotKeyOn);
    EXPECT_EQ(testing::IconWidth(main_->trayIcon().record().hIcon), GetSystemMetrics(SM_CXSMICON));
    main_->hotKeyFill().ToolButtonHotKeyClick();
}

TEST_F(MainWindowTest, PointingAtTheSameButtonAfterAPageChangeShowsItsHintAgain) {
    WriteFileBytes(kDataFileName, EncodeDataFile({Entry{"a", "1", {}, {}}}));
    Start();
    ASSERT_EQ(main_->activePage(), kFillPage);
    HWND tabs = GetDlgItem(main_->hwnd(), IDC_PAGECONTROL1);
    HWND fillPage = GetWindow(main_->hwnd(), GW_CHILD);
    HWND toolBar3 = nullptr;
    for (; fillPage && !toolBar3; fillPage = GetWindow(fillPage, GW_HWNDNEXT)) toolBar3 = GetDlgItem(fillPage, IDC_TOOLBAR3);
    ASSERT_TRUE(toolBar3);
    auto point = [&] {
        SendMessageA(toolBar3, TB_SETHOTITEM, 0, 0);  // the first button, ToolButtonDragFill
        DispatchPending();
        SendMessageA(toolBar3, TB_SETHOTITEM, WPARAM(-1), 0);
        DispatchPending();
    };
    point();
    EXPECT_EQ(main_->statusText(), "拖动快填");
    ClickTab(tabs, kEditorPage);
    ClickTab(tabs, kFillPage);
    DispatchPending();
    EXPECT_EQ(main_->statusText(), " 填表助手");
    point();
    EXPECT_EQ(main_->statusText(), "拖动快填");
}

// A tool copied deep into a folder tree, where its own files still fit the
// classic path limit and the files beside them do not: the start asks
// nothing, and entries are saved.
TEST_F(MainWindowTest, InAFolderAtTheEdgeOfThePathLimitTheStartAsksNothingAndASaveWorks) {
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
    main_.reset();
    app_.reset();
}

// Logoff and shutdown: no question holds up the session; changes not saved
// are kept in a file of their own and offered at the next start.
TEST_F(MainWindowTest, AnEndingSessionKeepsUnsavedEntriesForTheNextStartAndWritesTheSettings) {
    WriteFileBytes(kIniName, kOptionsOnlyIni);
    Start();
    ChangeEntries();
    HWND window = main_->hwnd();
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
    main_.reset();
    app_.reset();

    {
        MessageBoxAnswerer answerer({{kAppTitle, IDYES}});
        Start();
        ASSERT_EQ(answerer.Seen().size(), 1u);
        EXPECT_EQ(answerer.Seen()[0].icon, "question");
    }
    EXPECT_TRUE(main_->flags().dataModified);
    ASSERT_EQ(main_->store().RowCount(), 1u);
    EXPECT_EQ(main_->store().Row(0), kChangedEntries[0]);
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}});
    EXPECT_TRUE(RequestClose().windowGone);
    EXPECT_EQ(DataFileEntries(), kChangedEntries);
    EXPECT_FALSE(Exists(std::string(kDataFileName) + ".unsaved"));
}

// A critical end of the session comes without the query.
TEST_F(MainWindowTest, AForcedSessionEndStillKeepsTheUnsavedEntries) {
    Start();
    ChangeEntries();
    HWND window = main_->hwnd();
    SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL);
    DispatchPending();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(Exists(kDataFileName));
    DecodedDataFile unsaved = DecodeDataFile(FileBytes(std::string(kDataFileName) + ".unsaved"));
    EXPECT_EQ(unsaved.entries, kChangedEntries) << unsaved.error;
}

TEST_F(MainWindowTest, ASessionEndThatIsCalledOffLeavesNothingBehind) {
    Start();
    ChangeEntries();
    HWND window = main_->hwnd();
    EXPECT_TRUE(SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageA(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    DispatchPending();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(Exists(std::string(kDataFileName) + ".unsaved"));
    EXPECT_TRUE(main_->flags().dataModified);
}

// Teardown while everything is open: the main window, its pages and the
// drag-fill window go with the object, before what they use is freed.
TEST_F(MainWindowTest, DeletingTheMainWindowWhileItIsOpenTakesItsWindowsAlong) {
    Start();
    HWND window = main_->hwnd(), dragFill = main_->dragFill().hwnd();
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
    ASSERT_GE(children.size(), 6u);
    main_.reset();
    DispatchPending();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(dragFill));
    for (HWND child : children) EXPECT_FALSE(IsWindow(child));
}

// A data file another program holds open without sharing cannot be read: it
// stays as it is, the user is told and may try again once it is free.
TEST_F(MainWindowTest, ADataFileHeldByAnotherProgramCanBeReadOnARetry) {
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
    EXPECT_EQ(main_->activePage(), kFillPage);
    EXPECT_EQ(main_->store().RowCount(), 1u);
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
}

TEST_F(MainWindowTest, ADataFileHeldByAnotherProgramIsLeftAloneAndNotOverwritten) {
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
    EXPECT_EQ(main_->activePage(), kEditorPage);
    ChangeEntries();
    MessageBoxAnswerer answerer({{kClosePromptCaption, IDYES}, {kAppTitle, IDOK}});
    EXPECT_FALSE(RequestClose().windowGone);  // the save is refused, the entries stay in memory
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{kDataFileName, unsaved}));
}

// Only the temporary file of a save that a power cut interrupted is left.
TEST_F(MainWindowTest, TheTemporaryFileOfACutShortSaveIsRecoveredAtStart) {
    const std::string bytes = EncodeDataFile({Entry{"a", "1", {}, {}}, Entry{"b", "2", {}, {}}});
    WriteFileBytes(std::string(kDataFileName) + ".saving", bytes);
    MessageBoxAnswerer answerer({{kAppTitle, IDOK}});
    Start();

    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_NE(answerer.Seen()[0].text.find(Path(kDataFileName) + ".saving"), std::string::npos);
    EXPECT_EQ(main_->activePage(), kFillPage);
    EXPECT_EQ(main_->store().RowCount(), 2u);
    EXPECT_EQ(FileBytes(kDataFileName), bytes);
    EXPECT_FALSE(Exists(std::string(kDataFileName) + ".saving"));
}

// The places of a window's child controls, relative to its client area.
std::map<int, RECT> ChildPlaces(HWND window) {
    std::map<int, RECT> places;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        places[GetDlgCtrlID(child)] = place;
    }
    return places;
}

// The page dialogs of the main window, made and in page order.
std::vector<HWND> Pages(HWND mainWindow) {
    std::vector<HWND> pages;
    for (HWND child = GetWindow(mainWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (std::string(className) == "#32770") pages.push_back(child);
    }
    return pages;
}

int FontHeight(HWND control) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

void SendDpiChange(HWND window, int dpi, RECT suggested) {
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    DispatchPending();
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT Scaled(RECT rect, int factor) {
    return {rect.left, rect.top, rect.left + (rect.right - rect.left) * factor, rect.top + (rect.bottom - rect.top) * factor};
}

// A move to a monitor of twice the DPI and back: the window takes the place
// the system suggests, its fonts and every page (a page made afterwards too)
// follow, everything stays inside its window, and the way back restores
// every control to within a pixel.
TEST_F(MainWindowTest, AMoveToAMonitorOfAnotherDpiAndBackRescalesTheWindowAndEveryPage) {
    Start();
    HWND window = main_->hwnd(), tabs = GetDlgItem(window, IDC_PAGECONTROL1);
    for (int page : {kFillPage, kEditorPage, kBrowserMenuPage, kMatrixPage, kOptionsPage}) ClickTab(tabs, page);
    DispatchPending();
    const int dpi = WindowDpi(window), fontHeight = FontHeight(tabs);
    // In the screen's corner, so the window twice as large still fits on the
    // screen: a window manager keeps a window on it.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DispatchPending();
    RECT before;
    GetWindowRect(window, &before);
    std::map<HWND, std::map<int, RECT>> placesBefore;
    for (HWND page : Pages(window)) placesBefore[page] = ChildPlaces(page);

    SendDpiChange(window, 2 * dpi, Scaled(before, 2));
    ClickTab(tabs, kAboutPage);  // made at the new DPI
    DispatchPending();
    RECT moved, client;
    const RECT suggested = Scaled(before, 2);
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_EQ(FontHeight(tabs), 2 * fontHeight);
    GetClientRect(window, &client);
    for (HWND page : Pages(window)) {
        RECT pageRect, pageClient;
        GetWindowRect(page, &pageRect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pageRect), 2);
        EXPECT_TRUE(Contains(client, pageRect)) << "page " << GetDlgCtrlID(page);
        GetClientRect(page, &pageClient);
        for (const auto& [id, place] : ChildPlaces(page)) {
            if (IsWindowVisible(GetDlgItem(page, id))) {
                EXPECT_TRUE(Contains(pageClient, place)) << "control " << id << " of a page";
            }
        }
    }
    // A page's controls take the template's font rescaled; the dialog
    // itself keeps the font it was made with.
    // The Options page, laid out by its template alone, is the same page
    // twice as large.
    int optionsPages = 0;
    for (HWND page : Pages(window)) {
        if (!GetDlgItem(page, IDC_BTNOK)) continue;
        ++optionsPages;
        EXPECT_EQ(FontHeight(GetDlgItem(page, IDC_BTNOK)), 2 * FontHeight(page));
        for (const auto& [id, place] : ChildPlaces(page)) {
            const RECT& was = placesBefore[page][id];
            EXPECT_NEAR(place.left, 2 * was.left, 1) << "control " << id;
            EXPECT_NEAR(place.bottom, 2 * was.bottom, 1) << "control " << id;
        }
    }
    EXPECT_EQ(optionsPages, 1);

    SendDpiChange(window, dpi, before);
    for (auto& [page, places] : placesBefore) {
        for (const auto& [id, place] : ChildPlaces(page)) {
            const RECT& was = places[id];
            EXPECT_LE(std::abs(place.left - was.left) + std::abs(place.top - was.top) + std::abs(place.right - was.right) +
                          std::abs(place.bottom - was.bottom),
                      2)
                << "control " << id << " of page " << GetWindowLongA(page, GWL_ID);
        }
    }
}

// The side of the images a control shows, by the message that gives its
// image list.
int ImageSide(HWND control, UINT message, WPARAM which = 0) {
    int width = 0, height = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(control, message, which, 0)), &width, &height);
    return width;
}

// The pages' pictures are drawn for the new DPI, not the old ones shown
// larger or smaller.
TEST_F(MainWindowTest, ThePagesPicturesFollowAMoveToAMonitorOfAnotherDpi) {
    Start();
    HWND window = main_->hwnd(), tabs = GetDlgItem(window, IDC_PAGECONTROL1);
    for (int page : {kFillPage, kEditorPage, kMatrixPage, kAboutPage}) ClickTab(tabs, page);
    DispatchPending();
    const int dpi = WindowDpi(window);
    RECT before;
    GetWindowRect(window, &before);
    for (const int factor : {2, 1}) {
        SendDpiChange(window, factor * dpi, Scaled(before, factor));
        int pagesSeen = 0;
        for (HWND page : Pages(window)) {
            if (HWND toolBar3 = GetDlgItem(page, IDC_TOOLBAR3)) {
                ++pagesSeen;
                EXPECT_EQ(ImageSide(toolBar3, TB_GETIMAGELIST), 32 * factor);
            }
            if (HWND grid = GetDlgItem(page, IDC_DBGRID1)) {
                ++pagesSeen;
                EXPECT_EQ(ImageSide(GetDlgItem(page, IDC_TOOLBAR1), TB_GETIMAGELIST), 16 * factor);
                EXPECT_EQ(ImageSide(grid, LVM_GETIMAGELIST, LVSIL_SMALL), 16 * factor);
            }
            if (HWND toolBar = GetDlgItem(page, IDC_TOOLBAR_MATRIX)) {
                ++pagesSeen;
                // The system's standard images: the small set, or the large
                // one where the small would be scaled up past it.
                EXPECT_EQ(ImageSide(toolBar, TB_GETIMAGELIST), factor == 2 ? 24 : 16);
            }
            if (HWND banner = GetDlgItem(page, IDC_IMAGE2)) {
                ++pagesSeen;
                BITMAP shown{};
                GetObjectA(reinterpret_cast<HBITMAP>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof shown,
                           &shown);
                EXPECT_EQ(shown.bmWidth, 440 * factor);
            }
        }
        EXPECT_EQ(pagesSeen, 4);
    }
}

TEST_F(MainWindowTest, TheDragFillWindowFollowsAMoveToAMonitorOfAnotherDpi) {
    Start();
    HWND window = main_->dragFill().hwnd(), list = GetDlgItem(window, IDC_DF_LISTBOX1);
    const int dpi = WindowDpi(window), lineHeight = int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const int fontHeight = FontHeight(list);
    RECT before;
    GetWindowRect(window, &before);
    SendDpiChange(window, 2 * dpi, Scaled(before, 2));
    RECT moved, client, listPlace;
    const RECT suggested = Scaled(before, 2);
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 2 * lineHeight);
    EXPECT_EQ(FontHeight(list), 2 * fontHeight);
    GetClientRect(window, &client);
    listPlace = ChildPlaces(window)[IDC_DF_LISTBOX1];
    EXPECT_TRUE(Contains(client, listPlace));
}

}  // namespace
}  // namespace pennora
