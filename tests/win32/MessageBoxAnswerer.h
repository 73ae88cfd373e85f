#pragma once
// Message boxes of this process as the user sees them, answered from a
// thread of their own while the handler under test waits in the box's modal
// loop, and a pump for what the handler left queued.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pennora {

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

}  // namespace pennora
