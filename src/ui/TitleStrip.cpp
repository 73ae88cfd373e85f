#include "ui/TitleStrip.h"

#include <commctrl.h>

namespace pennora {
namespace {

constexpr int kImageWidth = 16;
constexpr int kImageHeight = 14;
constexpr int kImageGap = 2;

}  // namespace

TitleStrip::TitleStrip(HWND parent, int id, const Look& look) : look_(look) {
    WNDCLASSEXA windowClass{};
    windowClass.hbrBackground = nullptr;
    Create("PennoraTitleStrip", windowClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
           RECT{0, 0, 100, kStripHeight}, parent);
    SetWindowLongPtrA(hwnd(), GWLP_ID, id);
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    minimize_ = MakeImage("STRIPMINIMIZE", look.minimizeId, "最小化");
    close_ = MakeImage("STRIPCLOSE", look.closeId, "关闭");
}

TitleStrip::~TitleStrip() = default;

HWND TitleStrip::MakeImage(const char* bitmapName, int id, const char* tip) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND image = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 0, kImageWidth,
                                 kImageHeight, hwnd(), reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    OwnedBitmap& bitmap = id == look_.minimizeId ? minimizeBitmap_ : closeBitmap_;
    bitmap.reset(static_cast<HBITMAP>(LoadImageA(instance, bitmapName, IMAGE_BITMAP, 0, 0, 0)));
    SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));

    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(image);
    tool.lpszText = const_cast<char*>(tip);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return image;
}

void TitleStrip::SetCaption(const std::string& caption) {
    caption_ = caption;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void TitleStrip::SetFont(HFONT font) {
    look_.font = font;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void TitleStrip::Layout(int width) {
    MoveWindow(hwnd(), 0, 0, width, kStripHeight, TRUE);
    int top = (kStripHeight - kImageHeight) / 2;
    MoveWindow(close_, width - kImageWidth - kImageGap, top, kImageWidth, kImageHeight, TRUE);
    MoveWindow(minimize_, width - 2 * (kImageWidth + kImageGap), top, kImageWidth, kImageHeight, TRUE);
}

void TitleStrip::Paint() {
    PaintDC paint(hwnd());
    HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, OwnedBrush(CreateSolidBrush(kStripColour)).get());
    ScopedSelection font(dc, look_.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 0, 0));
    RECT text = client;
    text.left += 4;
    DrawTextA(dc, caption_.c_str(), int(caption_.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TitleStrip::MouseDown() {
    ReleaseCapture();
    SendMessageA(GetAncestor(hwnd(), GA_ROOT), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

LRESULT TitleStrip::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        MouseDown();
        return 0;
    case WM_SETCURSOR:
        if (look_.handCursorOnImages &&
            (reinterpret_cast<HWND>(wParam) == minimize_ || reinterpret_cast<HWND>(wParam) == close_)) {
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED) {
            if (LOWORD(wParam) == look_.minimizeId && onMinimizeClick) onMinimizeClick();
            if (LOWORD(wParam) == look_.closeId && onCloseClick) onCloseClick();
            return 0;
        }
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora
