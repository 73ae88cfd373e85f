#pragma once
// The whole program on the real profile and file functions, as program entry
// makes it, each test in a folder of its own that plays the tool's folder;
// and the message boxes it shows, answered from a thread of their own.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/Program.h"
#include "entries/DataFile.h"
#include "platform/win32/Win32CaretApi.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32HotKeyApi.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora::testing {

inline constexpr const char* kIniName = "Pennora.Ini";
inline constexpr const char* kMissing = "<missing>";

// Control ids inside a system message box.
inline constexpr int kMessageBoxTextId = 0xFFFF;
inline constexpr int kMessageBoxIconId = 0x0440;

// A message box as the user saw it.
struct SeenBox {
    std::string caption;
    std::string text;
    std::string icon;     // "error", "question", "warning" or "other"
    std::string buttons;  // the visible buttons, e.g. "Yes No Cancel"
    bool operator==(const SeenBox&) const = default;
};

inline void PrintTo(const SeenBox& box, std::ostream* out) {
    *out << "{\"" << box.caption << "\", \"" << box.text << "\", " << box.icon << ", " << box.buttons << "}";
}

inline std::string IconKind(HWND box) {
    auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIconId, STM_GETICON, 0, 0));
    if (icon && icon == LoadIconA(nullptr, IDI_ERROR)) return "error";
    if (icon && icon == LoadIconA(nullptr, IDI_QUESTION)) return "question";
    if (icon && icon == LoadIconA(nullptr, IDI_WARNING)) return "warning";
    return "other";
}

inline std::string VisibleButtons(HWND box) {
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

inline std::string WindowText(HWND window) {
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
inline bool DispatchPending() {
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

class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "PennoraProgram-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++serial) + "\\";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        program_.reset();
        app_.reset();
        DispatchPending();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Program entry with the tool's folder as AppPath (the exe need not exist
    // there); `windows`, when given, stands in for the windows seam.
    void Start(WindowsInput* windows = nullptr) {
        app_ = std::make_unique<Application>(kAppTitle);
        program_ = std::make_unique<Program>(
            *app_, ShellServices{windows ? *windows : windows_, profile_, files_, hotKeys_, caret_}, Path("Pennora.exe"));
        program_->Show();
        DispatchPending();
    }

    // A stored change of the entries, as the editor page makes it.
    void ChangeEntries() {
        program_->store().SetTitle("x");
        program_->store().Post();
        ASSERT_TRUE(program_->flags().dataModified);
    }

    // The close request of the title strip's close image and the Exit items.
    CloseOutcome RequestClose() {
        HWND window = program_->window().hwnd();
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
    std::unique_ptr<Program> program_;
};

// A click on a tab of the page area, as the mouse makes it: the tab control
// selects the tab and notifies the main window.
inline void ClickTab(HWND tabs, int index) {
    RECT item{};
    ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)));
    LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(tabs, WM_LBUTTONUP, 0, point);
}

}  // namespace pennora::testing
