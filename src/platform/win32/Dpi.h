#pragma once
// The DPI a window is shown at, and the system sizes at a given DPI. The
// per-monitor calls exist from Windows 10 on; before that every window has
// the system DPI, which these fall back to.
#include <windows.h>

namespace pennora {

// The DPI of the monitor `window` is on (the system DPI without one).
int WindowDpi(HWND window);

// GetSystemMetrics for `index` as it is at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// AdjustWindowRectEx for a window shown at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace pennora
