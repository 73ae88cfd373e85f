#pragma once
#include <windows.h>

#include "platform/WindowsInput.h"
#include "platform/win32/Handles.h"

namespace pennora {

// Forwards each call of the seam to the Win32 function of the same name.
// (Not final: a test may record one call and forward it still.)
class Win32WindowsInput : public WindowsInput {
public:
    Handle CreateMutexA(bool initialOwner, const std::string& name) override;
    unsigned GetLastError() override;
    void CloseHandle(Handle handle) override;
    Hwnd GetDesktopWindow() override;
    Hwnd GetWindow(Hwnd window, unsigned command) override;
    std::uintptr_t GetPropA(Hwnd window, const std::string& name) override;
    bool SetPropA(Hwnd window, const std::string& name, std::uintptr_t value) override;
    bool SetForegroundWindow(Hwnd window) override;
    bool PostMessageA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    unsigned MapVirtualKeyA(unsigned code, unsigned mapType) override;
    unsigned GetWindowThreadProcessId(Hwnd window, unsigned* processId) override;
    bool GetGUIThreadInfo(unsigned threadId, GuiThreadInfo& info) override;
    Hwnd GetForegroundWindow() override;
    int MessageBoxA(Hwnd owner, const std::string& text, const std::string& caption, unsigned flags) override;
    Point GetCursorPos() override;
    Hwnd WindowFromPoint(Point point) override;
    unsigned GetWindowThreadProcessId(Hwnd window) override;
    unsigned GetCurrentProcessId() override;
    int GetSystemMetrics(int index) override;
    void mouse_event(unsigned flags, int x, int y, unsigned data, std::uintptr_t extraInfo) override;
    void Sleep(unsigned milliseconds) override;
    bool SendMessageTimeoutA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, unsigned flags,
                             unsigned timeoutMs) override;
    bool IsWindow(Hwnd window) override;
    Hwnd GetAncestor(Hwnd window, unsigned flags) override;
    std::string RealGetWindowClassA(Hwnd window) override;
    std::uint64_t GetTickCount64() override;
    void WaitDrawing(unsigned milliseconds) override;
    unsigned GetCurrentThreadId() override;
    bool FlashWindowEx(Hwnd window, unsigned flags, unsigned count, unsigned timeoutMs) override;
    Hwnd SetCapture(Hwnd window) override;
    bool ReleaseCapture() override;
    int GetAppCursor() override;
    void SetAppCursor(int cursorId) override;
};

// The cursor every window of the tool shows while the application-wide
// cursor is not the default; windows call this from WM_SETCURSOR.
bool ApplyAppCursor();

}  // namespace pennora
