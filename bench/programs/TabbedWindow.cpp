// The second yardstick for Pennora's start-up and memory: what any tabbed
// Win32 tool pays before its own work. A window of the main window's size with
// the same comctl32 v6 manifest, a tab control with six tabs, a tool bar with
// three text buttons and a status bar; no pages, pictures or settings.
// Built twice: with Latin captions in the default GUI font, and (with
// CHINESE_CAPTIONS) with Pennora's own tab and menu captions in 宋体 at 9
// points, which shows what a window that shows Chinese text pays for the CJK
// font alone.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace {

constexpr int kClientWidth = 468;
constexpr int kClientHeight = 343;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

HWND tabs = nullptr;
HWND toolBar = nullptr;
HWND statusBar = nullptr;

void CreateChildren(HWND window) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
#ifdef CHINESE_CAPTIONS
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "宋体");
    static const char* const kMenuCaptions[] = {"文件(&F)", "选项(&O)", "帮助(&H)"};
    static const char* const kTabCaptions[] = {" 填表助手", " 数据编辑 ", "IE右键菜单填表", "文字方阵制作", "选项...", "关于..."};
#else
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    static const char* const kMenuCaptions[] = {"File", "Options", "Help"};
    static const char* const kTabCaptions[] = {"Page 1", "Page 2", "Page 3", "Page 4", "Page 5", "Page 6"};
#endif

    toolBar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                              WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER, 0, 0, 0, 0, window,
                              nullptr, instance, nullptr);
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, 0);
    for (const char* caption : kMenuCaptions) {
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(caption);
        SendMessageA(toolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);

    tabs = CreateWindowExA(0, WC_TABCONTROLA, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, window,
                           nullptr, instance, nullptr);
    SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int index = 0;
    for (const char* caption : kTabCaptions) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(caption);
        SendMessageA(tabs, TCM_INSERTITEMA, index++, reinterpret_cast<LPARAM>(&item));
    }
    statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
                                nullptr, instance, nullptr);
    SendMessageA(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Layout(int width, int height) {
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
    SendMessageA(statusBar, WM_SIZE, 0, 0);
    RECT bar, status;
    GetWindowRect(toolBar, &bar);
    GetWindowRect(statusBar, &status);
    const int top = bar.bottom - bar.top;
    MoveWindow(tabs, 0, top, width, height - top - (status.bottom - status.top), TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateChildren(window);
        return 0;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_DESTROY:
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
    windowClass.lpszClassName = "TabbedWindow";
    if (!RegisterClassA(&windowClass)) return 1;

    RECT bounds = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&bounds, kStyle, FALSE);
    HWND window = CreateWindowExA(0, "TabbedWindow", "TabbedWindow", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
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
