#include "ui/TitleStrip.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/Dpi.h"
#include "ui/DpiImages.h"
#include "ui/DpiScale.h"
#include "ui/Hints.h"

namespace pennora {
namespace {

// The glyphs' places at 96 DPI; each glyph's bitmap is centred in its place.
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 14;
constexpr int kImageGap = 2;
constexpr int kCaptionIndent = 4;
constexpr UINT_PTR kGlyphSubclass = 1;

bool IsInClient(HWND window, LPARAM point) {
    RECT client;
    GetClientRect(window, &client);
    return PtInRect(&client, POINT{short(LOWORD(point)), short(HIWORD(point))}) != FALSE;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

}  // namespace

TitleStrip::TitleStrip(HWND parent, int id, const Look& look) : look_(look), dpi_(WindowDpi(parent)) {
    WNDCLASSEXA windowClass{};
    windowClass.hbrBackground = nullptr;
    Create("PennoraTitleStrip", windowClass, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
           RECT{0, 0, 100, Height()}, parent);
    SetWindowLongPtrA(hwnd(), GWLP_ID, id);
    tooltip_ = CreateHintWindow(hwnd());
    minimize_ = MakeImage(look.minimizeId, "最小化");
    close_ = MakeImage(look.closeId, "关闭");
    LoadGlyphs();
}

TitleStrip::~TitleStrip() {
    for (HWND glyph : {minimize_, close_}) {
        if (glyph && IsWindow(glyph)) RemoveWindowSubclass(glyph, GlyphProc, kGlyphSubclass);
    }
}

HWND TitleStrip::MakeImage(int id, const char* tip) {
    HWND image = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 0, 0, 0, hwnd(),
                                 reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
    AddHint(tooltip_, hwnd(), image, tip);
    SetWindowSubclass(image, GlyphProc, kGlyphSubclass, reinterpret_cast<DWORD_PTR>(this));
    return image;
}

// The glyphs drawn for the strip's DPI; the controls show the new bitmaps
// before the old ones are deleted.
void TitleStrip::LoadGlyphs() {
    OwnedBitmap minimize = LoadBitmapForDpi("STRIPMINIMIZE", dpi_);
    OwnedBitmap close = LoadBitmapForDpi("STRIPCLOSE", dpi_);
    SendMessageA(minimize_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(minimize.get()));
    SendMessageA(close_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(close.get()));
    minimizeBitmap_ = std::move(minimize);
    closeBitmap_ = std::move(close);
}

void TitleStrip::SetCaption(const std::string& caption) {
    caption_ = caption;
    InvalidateRect(hwnd(), nullptr, TRUE);
}

int TitleStrip::Height() const { return ScaleToDpi(kStripHeight, dpi_); }

void TitleStrip::OnDpiChanged(int dpi, HFONT font) {
    dpi_ = dpi;
    look_.font = font;
    LoadGlyphs();
    RECT client;
    GetClientRect(hwnd(), &client);
    Layout(client.right);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void TitleStrip::Layout(int width) {
    MoveWindow(hwnd(), 0, 0, width, Height(), TRUE);
    const int placeWidth = ScaleToDpi(kImageWidth, dpi_), placeHeight = ScaleToDpi(kImageHeight, dpi_);
    const int gap = ScaleToDpi(kImageGap, dpi_);
    const int placeTop = (Height() - placeHeight) / 2;
    const auto place = [&](HWND image, HBITMAP bitmap, int placeLeft) {
        const SIZE size = BitmapSize(bitmap);
        MoveWindow(image, placeLeft + (placeWidth - size.cx) / 2, placeTop + (placeHeight - size.cy) / 2, size.cx,
                   size.cy, TRUE);
    };
    place(close_, closeBitmap_.get(), width - placeWidth - gap);
    place(minimize_, minimizeBitmap_.get(), width - 2 * (placeWidth + gap));
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
    text.left += ScaleToDpi(kCaptionIndent, dpi_);
    DrawTextA(dc, caption_.c_str(), int(caption_.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TitleStrip::MouseDown() {
    ReleaseCapture();
    SendMessageA(GetAncestor(hwnd(), GA_ROOT), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

// The press takes the keyboard focus for itself, as a pressed button does,
// so that Esc reaches the strip; the focus goes back when the press ends.
void TitleStrip::PressGlyph(HWND glyph) {
    if (pressed_) EndPress();
    pressed_ = glyph;
    pressedOver_ = true;
    focusBeforePress_ = GetFocus();
    SetCapture(glyph);
    SetFocus(hwnd());
    InvalidateRect(glyph, nullptr, TRUE);
}

void TitleStrip::TrackGlyph(HWND glyph, LPARAM point) {
    if (glyph != pressed_) return;
    const bool over = IsInClient(glyph, point);
    if (over == pressedOver_) return;
    pressedOver_ = over;
    InvalidateRect(glyph, nullptr, TRUE);
}

void TitleStrip::ReleaseGlyph(HWND glyph, LPARAM point) {
    if (glyph != pressed_) return;
    const bool act = IsInClient(glyph, point);
    EndPress();
    if (!act) return;
    if (glyph == minimize_ && onMinimizeClick) onMinimizeClick();
    if (glyph == close_ && onCloseClick) onCloseClick();
}

void TitleStrip::EndPress() {
    HWND glyph = pressed_;
    if (!glyph) return;
    // Cleared first: giving up the capture sends WM_CAPTURECHANGED, which
    // must find no press left to end.
    pressed_ = nullptr;
    pressedOver_ = false;
    if (GetCapture() == glyph) ReleaseCapture();
    HWND focus = focusBeforePress_;
    focusBeforePress_ = nullptr;
    if (GetFocus() == hwnd() && focus && IsWindow(focus)) SetFocus(focus);
    InvalidateRect(glyph, nullptr, TRUE);
}

// A held press shows the image sunken, as a pressed button is.
void TitleStrip::DrawPressed(HWND glyph) const {
    if (glyph != pressed_ || !pressedOver_) return;
    WindowDC dc(glyph);
    RECT client;
    GetClientRect(glyph, &client);
    DrawEdge(dc.get(), &client, BDR_SUNKENOUTER, BF_RECT);
}

LRESULT CALLBACK TitleStrip::GlyphProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
    auto& strip = *reinterpret_cast<TitleStrip*>(self);
    switch (message) {
    // The mouse messages go on down the chain before they are acted on: the
    // hint window's own subclass lies below this one and shows the hint
    // only when it hears of the mouse, and a release that closes the window
    // must be the last thing done with the glyph. The static control's
    // click notice goes to the strip, which ignores it.
    // A second press soon after the first arrives as a double click; it is
    // a press like any other.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        DefSubclassProc(window, message, wParam, lParam);
        strip.PressGlyph(window);
        return 0;
    case WM_MOUSEMOVE:
        DefSubclassProc(window, message, wParam, lParam);
        strip.TrackGlyph(window, lParam);
        return 0;
    case WM_LBUTTONUP:
        DefSubclassProc(window, message, wParam, lParam);
        strip.ReleaseGlyph(window, lParam);
        return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        if (window == strip.pressed_) strip.EndPress();
        break;
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        strip.DrawPressed(window);
        return result;
    }
    }
    return DefSubclassProc(window, message, wParam, lParam);
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
    case WM_GETDLGCODE:
        // The program's message loop gives every window dialog navigation,
        // which would turn Esc into the window's Cancel: during a press the
        // strip takes it to give the press up.
        if (pressed_ && lParam && wParam == VK_ESCAPE) return DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && pressed_) {
            EndPress();
            return 0;
        }
        break;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        EndPress();
        break;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora
