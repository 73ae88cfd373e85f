#include "platform/win32/Dpi.h"

#include "platform/win32/LateBound.h"
#include "platform/win32/Owned.h"

namespace pennora {
namespace {

// The per-monitor calls, looked up once so the program still starts on
// systems without them.
struct DpiCalls {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;

    DpiCalls() {
        Find("GetDpiForWindow", getDpiForWindow);
        Find("GetSystemMetricsForDpi", getSystemMetricsForDpi);
        Find("AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
    }

    template <class Function>
    static void Find(const char* name, Function& function) {
        function = LateBound<Function>("user32.dll", name);
    }
};

const DpiCalls& Calls() {
    static const DpiCalls calls;
    return calls;
}

int SystemDpi() {
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

}  // namespace

int WindowDpi(HWND window) {
    if (window && Calls().getDpiForWindow) {
        if (UINT dpi = Calls().getDpiForWindow(window)) return int(dpi);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    if (Calls().getSystemMetricsForDpi) return Calls().getSystemMetricsForDpi(index, UINT(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    if (Calls().adjustWindowRectExForDpi) {
        Calls().adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, UINT(dpi));
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

}  // namespace pennora
