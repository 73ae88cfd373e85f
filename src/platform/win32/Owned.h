#pragma once
// Owners of Win32 handles: each handle is released once, by the object that
// made it, in place of hand-paired Create/Delete, Get/Release and
// Select/Select calls.
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace pennora {

// A handle and the call that releases it; move-only. A control that shows a
// font, bitmap or icon through it must not outlive it (controls do not take
// ownership).
template <class Handle, auto Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (Handle old = std::exchange(handle_, handle)) Release(old);
    }

private:
    Handle handle_ = nullptr;
};

using OwnedFont = Owned<HFONT, &DeleteObject>;
using OwnedBrush = Owned<HBRUSH, &DeleteObject>;
using OwnedBitmap = Owned<HBITMAP, &DeleteObject>;
using OwnedMenu = Owned<HMENU, &DestroyMenu>;
using OwnedIcon = Owned<HICON, &DestroyIcon>;
using OwnedImageList = Owned<HIMAGELIST, &ImageList_Destroy>;
using OwnedWindow = Owned<HWND, &DestroyWindow>;

// A window's device context (the screen's for no window), released at the
// end of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of a WM_PAINT, ended at the end of the scope.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context; the one it replaced comes back
// at the end of the scope.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
    ~ScopedSelection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace pennora
