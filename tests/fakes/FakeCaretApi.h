#pragma once
// Records every call of the CaretApi seam and answers from a script.
#include <string>

#include "fakes/CallLog.h"
#include "platform/CaretApi.h"

namespace pennora::fakes {

class FakeCaretApi final : public CaretApi {
public:
    explicit FakeCaretApi(CallLog* sharedLog = nullptr) : calls(sharedLog ? *sharedLog : ownLog_) {}

    // Script.
    Hwnd foreground = 0x500;
    unsigned foregroundThread = 77;
    unsigned ownThread = 11;
    bool hasCaret = true;
    Point caret{30, 4};
    Hwnd focus = 0x510;
    Rect focusRect{200, 100, 400, 130};

    CallLog& calls;

    Hwnd GetForegroundWindow() override {
        calls.push_back("GetForegroundWindow()");
        return foreground;
    }
    unsigned GetWindowThreadProcessId(Hwnd window) override {
        calls.push_back("GetWindowThreadProcessId(" + Hex(window) + ")");
        return foregroundThread;
    }
    unsigned GetCurrentThreadId() override { return ownThread; }
    bool AttachThreadInput(unsigned attachingThread, unsigned toThread, bool attach) override {
        calls.push_back("AttachThreadInput(" + std::to_string(attachingThread) + ", " + std::to_string(toThread) +
                        ", " + (attach ? "TRUE" : "FALSE") + ")");
        return true;
    }
    bool GetCaretPos(Point& point) override {
        calls.push_back("GetCaretPos()");
        if (hasCaret) point = caret;
        return hasCaret;
    }
    Hwnd GetFocus() override {
        calls.push_back("GetFocus()");
        return focus;
    }
    bool GetWindowRect(Hwnd window, Rect& rect) override {
        calls.push_back("GetWindowRect(" + Hex(window) + ")");
        rect = focusRect;
        return true;
    }

private:
    CallLog ownLog_;
};

}  // namespace pennora::fakes
