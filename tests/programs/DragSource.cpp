// A drag source built on the product's own text delivery: an ANSI window with
// a list box. A left press on a list item arms the drag with this window as
// the capture window; the left release, wherever it happens, drops the text
// given on the command line (hex-encoded bytes, GBK for Chinese) on the window
// under the cursor. Releasing over the list itself aborts the drop.
//   DragSource.exe HEX-TEXT [X Y]
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "fill/TextDelivery.h"
#include "platform/win32/Win32WindowsInput.h"

namespace {

const char kClassName[] = "PennoraDragSource";

pennora::Win32WindowsInput windowsInput;
pennora::TextDelivery delivery{windowsInput};
std::string dropText;
HWND mainWindow = nullptr;
HWND list = nullptr;
WNDPROC listProc = nullptr;

std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const std::string pair = hex.substr(i, 2);
        char* end = nullptr;
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) return std::nullopt;
        bytes += char(value);
    }
    return bytes;
}

pennora::MouseButton ButtonOf(UINT message) {
    switch (message) {
    case WM_RBUTTONUP: return pennora::MouseButton::Right;
    case WM_MBUTTONUP: return pennora::MouseButton::Middle;
    default: return pennora::MouseButton::Left;
    }
}

bool IsButtonUp(UINT message) { return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP; }

bool PressHitsAnItem(LPARAM lParam) {
    const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, lParam);
    return HIWORD(hit) == 0 && LOWORD(hit) < SendMessageA(list, LB_GETCOUNT, 0, 0);
}

// The release of the list and of the window holding the capture. The capture
// window gives up the capture on its own left release, before the drop, so
// that the synthetic click goes to the target and not back to this window.
void ListMouseUp(UINT message, LPARAM lParam) {
    if (message == WM_LBUTTONUP && GetCapture() == mainWindow) ReleaseCapture();
    delivery.DropText(ButtonOf(message), short(LOWORD(lParam)), short(HIWORD(lParam)), {pennora::FromHwnd(list)},
                      [] { return dropText; }, pennora::OnRefusedRelease::RestoreCursor);
}

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        // The list's own handling selects the item first.
        const LRESULT result = CallWindowProcA(listProc, window, message, wParam, lParam);
        if (PressHitsAnItem(lParam)) delivery.ArmDrag(pennora::FromHwnd(mainWindow));
        return result;
    }
    if (IsButtonUp(message)) {
        const LRESULT result = CallWindowProcA(listProc, window, message, wParam, lParam);
        ListMouseUp(message, lParam);
        return result;
    }
    if (message == WM_SETCURSOR && pennora::ApplyAppCursor()) return TRUE;
    return CallWindowProcA(listProc, window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsButtonUp(message)) {
        ListMouseUp(message, lParam);
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                               0, 0, 0, window, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (!list) return -1;
        SendMessageA(list, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        for (const char* title : {"灌水", "abc"}) SendMessageA(list, LB_ADDSTRING, 0, LPARAM(title));
        listProc = WNDPROC(SetWindowLongPtrA(list, GWLP_WNDPROC, LONG_PTR(ListProc)));
        return 0;
    case WM_SIZE:
        // A strip at the bottom stays uncovered: a release there is a drop
        // on this window itself, which is not the excluded list.
        MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam) * 3 / 4, TRUE);
        return 0;
    case WM_SETCURSOR:
        if (pennora::ApplyAppCursor()) return TRUE;
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::optional<std::string> text = __argc >= 2 ? FromHex(__argv[1]) : std::nullopt;
    if (!text) {
        MessageBoxA(nullptr, "usage: DragSource.exe HEX-TEXT [X Y]", kClassName, MB_ICONERROR);
        return 2;
    }
    dropText = *text;
    const int x = __argc >= 4 ? std::atoi(__argv[2]) : CW_USEDEFAULT;
    const int y = __argc >= 4 ? std::atoi(__argv[3]) : CW_USEDEFAULT;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return 1;

    mainWindow = CreateWindowExA(WS_EX_TOPMOST, kClassName, "PennoraDragSource", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                                 200, 240, nullptr, nullptr, instance, nullptr);
    if (!mainWindow) return 1;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}
