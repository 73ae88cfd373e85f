#pragma once
// The seam to the shell's collection of open browser windows (the
// ShellWindows automation object through IShellWindows) and to the one
// user32 call made on each window. Results are HRESULTs (negative on failure).
#include <memory>

#include "platform/Types.h"

namespace pennora {

inline constexpr long kSOk = 0;

// One live collection; released when the object is destroyed.
class ShellWindowCollection {
public:
    virtual ~ShellWindowCollection() = default;
    virtual long get_Count(long& count) = 0;
    // Item(VARIANT VT_I4 index), then its IDispatch "Hwnd" read with
    // GetIDsOfNames and Invoke(DISPATCH_METHOD | DISPATCH_PROPERTYGET),
    // converted to a 32-bit window handle.
    virtual long ItemHwnd(long index, Hwnd& window) = 0;
};

class ShellWindowsApi {
public:
    virtual ~ShellWindowsApi() = default;
    // CoCreateInstance of CLSID_ShellWindows asking for IShellWindows.
    virtual long CoCreateInstance(std::unique_ptr<ShellWindowCollection>& collection) = 0;
    virtual bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) = 0;
};

inline constexpr Hwnd kHwndTop = 0;
inline constexpr Hwnd kHwndBottom = 1;
inline constexpr unsigned kSwpHide = 0x283;  // SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW | SWP_NOOWNERZORDER
inline constexpr unsigned kSwpShow = 0x243;  // SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER

}  // namespace pennora
