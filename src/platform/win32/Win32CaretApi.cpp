#include "platform/win32/Win32CaretApi.h"

#include <windows.h>

#include "platform/win32/Handles.h"

namespace pennora {

Hwnd Win32CaretApi::GetForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

unsigned Win32CaretApi::GetWindowThreadProcessId(Hwnd window) {
    return ::GetWindowThreadProcessId(ToHwnd(window), nullptr);
}

unsigned Win32CaretApi::GetCurrentThreadId() { return ::GetCurrentThreadId(); }

bool Win32CaretApi::AttachThreadInput(unsigned attachingThread, unsigned toThread, bool attach) {
    return ::AttachThreadInput(attachingThread, toThread, attach) != FALSE;
}

bool Win32CaretApi::GetCaretPos(Point& caret) {
    POINT point{};
    if (!::GetCaretPos(&point)) return false;
    caret = {point.x, point.y};
    return true;
}

Hwnd Win32CaretApi::GetFocus() { return FromHwnd(::GetFocus()); }

bool Win32CaretApi::GetWindowRect(Hwnd window, Rect& rect) {
    RECT r{};
    if (!::GetWindowRect(ToHwnd(window), &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

}  // namespace pennora
