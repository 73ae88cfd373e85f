#include "platform/win32/Win32HotKeyApi.h"

#include <windows.h>

#include "platform/win32/Handles.h"

namespace pennora {

std::uint16_t Win32HotKeyApi::GlobalAddAtomA(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }

bool Win32HotKeyApi::RegisterHotKey(Hwnd window, int id, unsigned modifiers, unsigned virtualKey) {
    return ::RegisterHotKey(ToHwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32HotKeyApi::UnregisterHotKey(Hwnd window, int id) {
    return ::UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

}  // namespace pennora
