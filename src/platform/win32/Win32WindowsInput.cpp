#include "platform/win32/Win32WindowsInput.h"

#include <algorithm>
#include <string>

namespace pennora {
namespace {

int appCursor = kCrDefault;

HCURSOR CursorFor(int cursorId) {
    if (cursorId == kCrDrag) {
        // The drag cursor ships as a resource of the exe; a test host without
        // it falls back to the system's "arrow with a cross" shape.
        if (HCURSOR drag = LoadCursorA(GetModuleHandleA(nullptr), "DRAGCURSOR")) return drag;
        return LoadCursorA(nullptr, IDC_SIZEALL);
    }
    if (cursorId == kCrAppStart) return LoadCursorA(nullptr, IDC_APPSTARTING);
    return LoadCursorA(nullptr, IDC_ARROW);
}

}  // namespace

bool ApplyAppCursor() {
    if (appCursor == kCrDefault) return false;
    ::SetCursor(CursorFor(appCursor));
    return true;
}

Handle Win32WindowsInput::CreateMutexA(bool initialOwner, const std::string& name) {
    return reinterpret_cast<Handle>(::CreateMutexA(nullptr, initialOwner, name.c_str()));
}
unsigned Win32WindowsInput::GetLastError() { return ::GetLastError(); }
void Win32WindowsInput::CloseHandle(Handle handle) { ::CloseHandle(reinterpret_cast<HANDLE>(handle)); }
Hwnd Win32WindowsInput::GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }
Hwnd Win32WindowsInput::GetWindow(Hwnd window, unsigned command) { return FromHwnd(::GetWindow(ToHwnd(window), command)); }
std::uintptr_t Win32WindowsInput::GetPropA(Hwnd window, const std::string& name) {
    return reinterpret_cast<std::uintptr_t>(::GetPropA(ToHwnd(window), name.c_str()));
}
bool Win32WindowsInput::SetPropA(Hwnd window, const std::string& name, std::uintptr_t value) {
    return ::SetPropA(ToHwnd(window), name.c_str(), reinterpret_cast<HANDLE>(value));
}
bool Win32WindowsInput::SetForegroundWindow(Hwnd window) { return ::SetForegroundWindow(ToHwnd(window)); }
bool Win32WindowsInput::PostMessageA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::PostMessageA(ToHwnd(window), message, wParam, lParam);
}
unsigned Win32WindowsInput::MapVirtualKeyA(unsigned code, unsigned mapType) { return ::MapVirtualKeyA(code, mapType); }
unsigned Win32WindowsInput::GetWindowThreadProcessId(Hwnd window, unsigned* processId) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &process);
    if (processId) *processId = process;
    return thread;
}
bool Win32WindowsInput::GetGUIThreadInfo(unsigned threadId, GuiThreadInfo& info) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!::GetGUIThreadInfo(threadId, &gui)) return false;
    info.active = FromHwnd(gui.hwndActive);
    info.focus = FromHwnd(gui.hwndFocus);
    return true;
}
Hwnd Win32WindowsInput::GetForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }
int Win32WindowsInput::MessageBoxA(Hwnd owner, const std::string& text, const std::string& caption, unsigned flags) {
    return ::MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
}
Point Win32WindowsInput::GetCursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}
Hwnd Win32WindowsInput::WindowFromPoint(Point point) { return FromHwnd(::WindowFromPoint(POINT{point.x, point.y})); }
unsigned Win32WindowsInput::GetWindowThreadProcessId(Hwnd window) {
    DWORD processId = 0;
    if (::GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return 0;
    return processId;
}
unsigned Win32WindowsInput::GetCurrentProcessId() { return ::GetCurrentProcessId(); }
int Win32WindowsInput::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }
void Win32WindowsInput::mouse_event(unsigned flags, int x, int y, unsigned data, std::uintptr_t extraInfo) {
    ::mouse_event(flags, x, y, data, extraInfo);
}
void Win32WindowsInput::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }
bool Win32WindowsInput::SendMessageTimeoutA(Hwnd window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                            unsigned flags, unsigned timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, flags, timeoutMs, &result) != 0;
}
bool Win32WindowsInput::IsWindow(Hwnd window) { return ::IsWindow(ToHwnd(window)); }
Hwnd Win32WindowsInput::GetAncestor(Hwnd window, unsigned flags) { return FromHwnd(::GetAncestor(ToHwnd(window), flags)); }
std::string Win32WindowsInput::RealGetWindowClassA(Hwnd window) {
    char name[256];
    const UINT length = ::RealGetWindowClassA(ToHwnd(window), name, sizeof name);
    return std::string(name, std::min<std::size_t>(length, sizeof name - 1));
}
std::uint64_t Win32WindowsInput::GetTickCount64() { return ::GetTickCount64(); }

void Win32WindowsInput::WaitDrawing(unsigned milliseconds) {
    // Only paint messages are taken from the queue; sent messages are
    // answered inside PeekMessage and MsgWaitForMultipleObjects. A window that
    // does not validate its paint gets a bounded number of turns.
    constexpr int kPaintTurns = 64;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        MSG message;
        for (int turn = 0; turn < kPaintTurns && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
             ++turn)
            ::DispatchMessageA(&message);
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (waited >= milliseconds) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(milliseconds - waited), QS_PAINT | QS_SENDMESSAGE);
    }
}

unsigned Win32WindowsInput::GetCurrentThreadId() { return ::GetCurrentThreadId(); }
bool Win32WindowsInput::FlashWindowEx(Hwnd window, unsigned flags, unsigned count, unsigned timeoutMs) {
    FLASHWINFO flash{sizeof flash, ToHwnd(window), flags, count, timeoutMs};
    return ::FlashWindowEx(&flash);
}
Hwnd Win32WindowsInput::SetCapture(Hwnd window) { return FromHwnd(::SetCapture(ToHwnd(window))); }
bool Win32WindowsInput::ReleaseCapture() { return ::ReleaseCapture(); }
int Win32WindowsInput::GetAppCursor() { return appCursor; }
void Win32WindowsInput::SetAppCursor(int cursorId) {
    appCursor = cursorId;
    ::SetCursor(CursorFor(cursorId));
}

}  // namespace pennora
