#include "platform/win32/Win32TextSurface.h"

#include "platform/Error.h"
#include "platform/win32/SystemError.h"

namespace pennora {

Win32TextSurface::~Win32TextSurface() {
    if (!dc_) return;
    if (originalFont_) SelectObject(dc_, originalFont_);
    SelectObject(dc_, originalBitmap_);
    if (font_) DeleteObject(font_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void Win32TextSurface::CreateCompatibleBitmap(int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = dc ? ::CreateCompatibleBitmap(screen, width, height) : nullptr;
    const DWORD failure = GetLastError();
    ReleaseDC(nullptr, screen);
    if (!bitmap) {
        if (dc) DeleteDC(dc);
        throw Error("无法创建文字方阵的图片：" + SystemReason(failure));
    }
    dc_ = dc;
    bitmap_ = bitmap;
    width_ = width;
    height_ = height;
    originalBitmap_ = SelectObject(dc_, bitmap_);
    PatBlt(dc_, 0, 0, width, height, WHITENESS);
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, RGB(255, 255, 255));
    SetTextColor(dc_, GetSysColor(COLOR_WINDOWTEXT));
}

void Win32TextSurface::CreateFontA(int height, const std::string& faceName) {
    // A face name longer than LOGFONT holds is cut there, as the system would.
    HFONT font = ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               faceName.substr(0, LF_FACESIZE - 1).c_str());
    if (!font) return;  // the context keeps the previous font
    HGDIOBJ previous = SelectObject(dc_, font);
    if (!originalFont_) originalFont_ = previous;
    if (font_) DeleteObject(font_);
    font_ = font;
}

void Win32TextSurface::TextOutA(int x, int y, const std::string& text) {
    ::TextOutA(dc_, x, y, text.data(), int(text.size()));
}

ColorRef Win32TextSurface::GetPixel(int x, int y) { return ::GetPixel(dc_, x, y); }

void Win32TextSurface::BitBlt(HDC target, int x, int y) const {
    if (dc_) ::BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace pennora
