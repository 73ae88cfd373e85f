#pragma once
// Records every call of the WindowsInput seam and answers from a script that
// a test sets up through the public members below.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "fakes/CallLog.h"
#include "platform/WindowsInput.h"

namespace pennora::fakes {

class FakeWindowsInput final : public WindowsInput {
public:
    // Records into `sharedLog` when given, so several fakes make one sequence.
    explicit FakeWindowsInput(CallLog* sharedLog = nullptr) : calls(sharedLog ? *sharedLog : ownLog_) {}

    // Script.
    Handle mutexHandle = 0x77;
    unsigned lastError = 0;
    Hwnd desktop = 0x10;
    std::map<std::pair<Hwnd, unsigned>, Hwnd> windowLinks;            // GetWindow answers
    std::map<std::pair<Hwnd, std::string>, std::uintptr_t> properties;  // GetPropA answers
    std::deque<int> messageBoxAnswers;                                 // IDOK (1) when empty
    // Runs while a box is up, before it is answered, as a message handled
    // by the box's modal loop would.
    std::function<void()> whileBoxIsUp;
    Point cursor{};
    Hwnd windowUnderCursor = 0;
    // Process ids: every window belongs to another program unless listed.
    unsigned ownProcessId = 0x500;
    unsigned otherProcessId = 0x600;
    std::map<Hwnd, unsigned> windowProcessIds;
    int swapButtons = 0;
    int appCursor = 0;
    bool postMessageResult = true;  // what every PostMessageA returns
    // Scan codes MapVirtualKeyA answers (Enter and Tab as on a PC keyboard).
    std::map<unsigned, unsigned> scanCodes{{0x0D, 0x1C}, {0x09, 0x0F}};
    // Thread and process of each window GetWindowThreadProcessId knows.
    std::map<Hwnd, std::pair<unsigned, unsigned>> windowThreads;
    // What GetGUIThreadInfo reports as the focus, one answer a call, the
    // last one repeated; nothing: the call fails (the thread is gone).
    std::deque<std::optional<Hwnd>> threadFocus;
    // When set, answers GetGUIThreadInfo in place of threadFocus (a model
    // of the target's thread); nothing: the call fails.
    std::function<std::optional<Hwnd>(unsigned thread)> focusOfThread;
    Hwnd foreground = 0;
    // Runs after each PostMessageA, as the target taking a posted key would.
    std::function<void(unsigned message, std::uintptr_t wParam)> afterPost;
    // Runs for each SendMessageTimeoutA and gives its result (true when not
    // set): a model of the target's thread taking the sent message, and the
    // posted ones queued before it, from its message loop.
    std::function<bool(Hwnd window, unsigned message)> onSend;
    // Windows IsWindow denies (every other window exists).
    std::set<Hwnd> goneWindows;
    // GetAncestor(window, GA_ROOT) answers; a window not listed is its own.
    std::map<Hwnd, Hwnd> rootWindows;
    std::map<Hwnd, std::string> classNames;  // RealGetWindowClassA answers ("" when not listed)
    // The tick count: Sleep, WaitDrawing and a SendMessageTimeoutA that
    // fails advance it by the time they would take.
    std::uint64_t ticks = 1000;
    // Runs inside each WaitDrawing, as a message sent to the tool's windows
    // would be answered there.
    std::function<void()> whileWaiting;
    unsigned ownThreadId = 0x50;  // GetCurrentThreadId

    CallLog& calls;

    Handle CreateMutexA(bool initialOwner, const std::string& name) override {
        calls.push_back("CreateMutexA(" + std::to_string(initialOwner) + ", " + Quoted(name) + ")");
        return mutexHandle;
    }
    unsigned GetLastError() override { return lastError; }
    void CloseHandle(Handle handle) override { calls.push_back("CloseHandle(" + Hex(handle) + ")"); }
    Hwnd GetDesktopWindow() override { return desktop; }
    Hwnd GetWindow(Hwnd window, unsigned command) override {
        auto link = windowLinks.find({window, command});
        return link == windowLinks.end() ? 0 : link->second;
    }
    std::uintptr_t GetPropA(Hwnd window, const std::string& name) override {
        auto prop = properties.find({window, name});
        return prop == properties.end() ? 0 : prop->second;
    }
    bool SetPropA(Hwnd window, const std::string& name, std::uintptr_t value) override {
        calls.push_back("SetPropA(" + Hex(window) + ", " + Quoted(name) + ", " + Hex(value) + ")");
        properties[{window, name}] = value;
        return true;
    }
    bool SetForegroundWindow(Hwnd window) override {
        calls.push_back("SetForegroundWindow(" + Hex(window) + ")");
        return true;
    }
    bool PostMessageA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        calls.push_back("PostMessageA(" + Hex(window) + ", " + Hex(message) + ", " + Hex(wParam) + ", " +
                        std::to_string(lParam) + ")");
        if (afterPost) afterPost(message, wParam);
        return postMessageResult;
    }
    unsigned MapVirtualKeyA(unsigned code, unsigned mapType) override {
        auto scan = scanCodes.find(code);
        return mapType != 0 || scan == scanCodes.end() ? 0 : scan->second;
    }
    unsigned GetWindowThreadProcessId(Hwnd window, unsigned* processId) override {
        auto owner = windowThreads.find(window);
        if (owner == windowThreads.end()) {
            if (processId) *processId = 0;
            return 0;
        }
        if (processId) *processId = owner->second.second;
        return owner->second.first;
    }
    bool GetGUIThreadInfo(unsigned threadId, GuiThreadInfo& info) override {
        if (focusOfThread) {
            const std::optional<Hwnd> focus = threadId == 0 ? std::nullopt : focusOfThread(threadId);
            if (!focus) return false;
            info.focus = *focus;
            return true;
        }
        if (threadId == 0 || threadFocus.empty()) return false;
        const std::optional<Hwnd> focus = threadFocus.front();
        if (threadFocus.size() > 1) threadFocus.pop_front();
        if (!focus) return false;
        info.focus = *focus;
        return true;
    }
    Hwnd GetForegroundWindow() override { return foreground; }
    int MessageBoxA(Hwnd owner, const std::string& text, const std::string& caption, unsigned flags) override {
        calls.push_back("MessageBoxA(" + Hex(owner) + ", " + Quoted(text) + ", " + Quoted(caption) + ", " +
                        Hex(flags) + ")");
        if (whileBoxIsUp) whileBoxIsUp();
        if (messageBoxAnswers.empty()) return 1;
        int answer = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        return answer;
    }
    Point GetCursorPos() override {
        calls.push_back("GetCursorPos()");
        return cursor;
    }
    Hwnd WindowFromPoint(Point point) override {
        calls.push_back("WindowFromPoint(" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")");
        return windowUnderCursor;
    }
    unsigned GetWindowThreadProcessId(Hwnd window) override {
        if (window == 0) return 0;
        auto owner = windowProcessIds.find(window);
        return owner == windowProcessIds.end() ? otherProcessId : owner->second;
    }
    unsigned GetCurrentProcessId() override { return ownProcessId; }
    int GetSystemMetrics(int index) override { return index == kSmSwapButton ? swapButtons : 0; }
    void mouse_event(unsigned flags, int x, int y, unsigned data, std::uintptr_t extraInfo) override {
        calls.push_back("mouse_event(" + Hex(flags) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
                        std::to_string(data) + ", " + std::to_string(extraInfo) + ")");
    }
    void Sleep(unsigned milliseconds) override {
        calls.push_back("Sleep(" + std::to_string(milliseconds) + ")");
        ticks += milliseconds;
    }
    bool SendMessageTimeoutA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, unsigned flags,
                             unsigned timeoutMs) override {
        calls.push_back("SendMessageTimeoutA(" + Hex(window) + ", " + Hex(message) + ", " + Hex(wParam) + ", " +
                        std::to_string(lParam) + ", " + Hex(flags) + ", " + std::to_string(timeoutMs) + ")");
        if (goneWindows.count(window)) {
            lastError = 1400;  // ERROR_INVALID_WINDOW_HANDLE
            return false;
        }
        if (!onSend || onSend(window, message)) return true;
        lastError = 1460;  // ERROR_TIMEOUT
        ticks += timeoutMs;
        return false;
    }
    bool IsWindow(Hwnd window) override { return window != 0 && !goneWindows.count(window); }
    Hwnd GetAncestor(Hwnd window, unsigned) override {
        auto root = rootWindows.find(window);
        return root == rootWindows.end() ? window : root->second;
    }
    std::string RealGetWindowClassA(Hwnd window) override {
        auto name = classNames.find(window);
        return name == classNames.end() ? std::string() : name->second;
    }
    std::uint64_t GetTickCount64() override { return ticks; }
    void WaitDrawing(unsigned milliseconds) override {
        calls.push_back("WaitDrawing(" + std::to_string(milliseconds) + ")");
        if (whileWaiting) whileWaiting();
        ticks += milliseconds;
    }
    unsigned GetCurrentThreadId() override { return ownThreadId; }
    bool FlashWindowEx(Hwnd window, unsigned flags, unsigned count, unsigned timeoutMs) override {
        calls.push_back("FlashWindowEx(" + Hex(window) + ", " + Hex(flags) + ", " + std::to_string(count) + ", " +
                        std::to_string(timeoutMs) + ")");
        return true;
    }
    Hwnd SetCapture(Hwnd window) override {
        calls.push_back("SetCapture(" + Hex(window) + ")");
        return 0;
    }
    bool ReleaseCapture() override {
        calls.push_back("ReleaseCapture()");
        return true;
    }
    int GetAppCursor() override { return appCursor; }
    void SetAppCursor(int cursorId) override {
        calls.push_back("SetAppCursor(" + std::to_string(cursorId) + ")");
        appCursor = cursorId;
    }

private:
    CallLog ownLog_;
};

}  // namespace pennora::fakes
