#pragma once
#include "platform/CaretApi.h"

namespace pennora {

// Forwards each call of the seam to the user32/kernel32 function of that name.
class Win32CaretApi final : public CaretApi {
public:
    Hwnd GetForegroundWindow() override;
    unsigned GetWindowThreadProcessId(Hwnd window) override;
    unsigned GetCurrentThreadId() override;
    bool AttachThreadInput(unsigned attachingThread, unsigned toThread, bool attach) override;
    bool GetCaretPos(Point& caret) override;
    Hwnd GetFocus() override;
    bool GetWindowRect(Hwnd window, Rect& rect) override;
};

}  // namespace pennora
