#include "platform/win32/Dpi.h"

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
        HMODULE user32 = GetModuleHandleA("user32.dll");
        Find(user32, "GetDpiForWindow", getDpiForWindow);
        Find(user32, "GetSystemMetricsForDpi", getSystemMetricsForDpi);
        Find(user32, "AdjustWindowRectExForDpi", adjustWindowRectExForDpi);
    }

    template <class Function>
    static void Find(HMODULE module, const char* name, Function& function) {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
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
