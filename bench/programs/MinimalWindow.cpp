// The yardstick for Pennora's start-up and memory: the least a Win32 program
// does to put a window of the main window's size on the screen. One window
// class, one window, the message loop; nothing else is loaded or drawn.
#include <windows.h>

namespace {

constexpr int kClientWidth = 468;
constexpr int kClientHeight = 343;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "MinimalWindow";
    if (!RegisterClassA(&windowClass)) return 1;

    RECT bounds = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&bounds, kStyle, FALSE);
    HWND window = CreateWindowExA(0, "MinimalWindow", "MinimalWindow", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}
