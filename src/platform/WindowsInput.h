#pragma once
// The seam to user32 and kernel32 for windows, messages and synthetic input,
// split by who needs which slice. Member functions carry the Win32 names and
// meanings; the Win32 face forwards each one to the call of that name, and
// tests/fakes records them. One object (WindowsInput) offers all of them.
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace pennora {

// Posting a message to a window of any process; false when it was refused,
// GetLastError then telling why (5, access denied: the receiver runs with
// higher rights).
class MessagePosting {
public:
    virtual ~MessagePosting() = default;
    virtual bool PostMessageA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual unsigned GetLastError() = 0;
};

// Cursor ids of the application-wide cursor (the user-interface layer's
// table): the default arrow, the drag cursor, and the app-starting arrow with
// its hourglass (the tool is busy but answers).
inline constexpr int kCrDefault = 0;
inline constexpr int kCrDrag = -12;
inline constexpr int kCrAppStart = -19;

// The focus of another program's thread as GetGUIThreadInfo reports it.
struct GuiThreadInfo {
    Hwnd active = 0;
    Hwnd focus = 0;
};

// Typing keys into another program's window: what a key press needs for its
// lParam, and where that program's focus is after a key that moves it.
class KeyPosting : public virtual MessagePosting {
public:
    virtual unsigned MapVirtualKeyA(unsigned code, unsigned mapType) = 0;
    // The thread that made the window (0 when there is no such window) and
    // its process.
    virtual unsigned GetWindowThreadProcessId(Hwnd window, unsigned* processId) = 0;
    virtual bool GetGUIThreadInfo(unsigned threadId, GuiThreadInfo& info) = 0;
    virtual Hwnd GetForegroundWindow() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // Sends a message and waits, at most timeoutMs, until the receiver's
    // thread has taken it; false when it did not, GetLastError then telling
    // why (1400: the window is gone; 1460: the time passed or the thread hangs).
    virtual bool SendMessageTimeoutA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                     unsigned flags, unsigned timeoutMs) = 0;
    virtual bool IsWindow(Hwnd window) = 0;
    virtual Hwnd GetAncestor(Hwnd window, unsigned flags) = 0;
    // The window's class; for a window of a class built on a system control
    // the system may name the control's class. "" when it cannot be read.
    virtual std::string RealGetWindowClassA(Hwnd window) = 0;
    virtual std::uint64_t GetTickCount64() = 0;
    // Waits the time given while this thread's windows are still drawn and
    // messages other threads send them are still answered. Those sent
    // messages run their handlers inside the wait (the shell's tray clicks
    // among them, which the tray handler puts back in the queue while a fill
    // runs). No input and no posted message is taken meanwhile: the user's
    // clicks and keys, timers and posted commands wait in the queue and run
    // after the caller is done.
    virtual void WaitDrawing(unsigned milliseconds) = 0;
    virtual unsigned GetCurrentThreadId() = 0;

    // The application-wide cursor: one of the cursor ids below, which every
    // window of the tool shows.
    virtual int GetAppCursor() = 0;
    virtual void SetAppCursor(int cursorId) = 0;
};

// The single-instance handshake.
class InstanceHandshake : public virtual MessagePosting {
public:
    virtual Handle CreateMutexA(bool initialOwner, const std::string& name) = 0;
    virtual void CloseHandle(Handle handle) = 0;
    virtual Hwnd GetDesktopWindow() = 0;
    virtual Hwnd GetWindow(Hwnd window, unsigned command) = 0;
    virtual std::uintptr_t GetPropA(Hwnd window, const std::string& name) = 0;
    virtual bool SetPropA(Hwnd window, const std::string& name, std::uintptr_t value) = 0;
    virtual bool SetForegroundWindow(Hwnd window) = 0;
};

// Modal message boxes.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int MessageBoxA(Hwnd owner, const std::string& text, const std::string& caption, unsigned flags) = 0;
};

// The pointer, synthetic input and the drag cursor: what a drop needs.
class PointerInput : public virtual KeyPosting {
public:
    virtual Point GetCursorPos() = 0;
    virtual Hwnd WindowFromPoint(Point point) = 0;
    // The id of the process that made the window (0 for no window), and the
    // id of this process: a drop never lands on a window of the tool itself.
    virtual unsigned GetWindowThreadProcessId(Hwnd window) = 0;
    virtual unsigned GetCurrentProcessId() = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual void mouse_event(unsigned flags, int x, int y, unsigned data, std::uintptr_t extraInfo) = 0;
    virtual Hwnd SetCapture(Hwnd window) = 0;
    virtual bool ReleaseCapture() = 0;
};

// Drawing the user's eye to a window that is not in front, without bringing
// it forward: its taskbar button flashes (FLASHW_* flags).
class WindowFlashing {
public:
    virtual ~WindowFlashing() = default;
    virtual bool FlashWindowEx(Hwnd window, unsigned flags, unsigned count, unsigned timeoutMs) = 0;
};

// All of the above, as the main window holds them.
class WindowsInput : public InstanceHandshake, public MessageBoxes, public PointerInput, public WindowFlashing {};

}  // namespace pennora
