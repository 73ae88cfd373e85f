#pragma once
// The coloured strip that stands in for a caption bar on the tool's borderless
// windows: its caption, and two small images at its right end (minimise and
// close). Pressing any mouse button on the strip moves the window. The images
// work as buttons: a left press captures the mouse and shows them pressed,
// and they act on a release over the image that was pressed; a release
// elsewhere, Esc or a lost capture gives the press up. Its sizes
// are designed at 96 DPI and shown at the DPI of the window it lies on.
#include <functional>
#include <string>

#include "platform/win32/Owned.h"
#include "ui/Window.h"

namespace pennora {

inline constexpr COLORREF kStripColour = 14464937;  // light blue: red 169, green 183, blue 220
inline constexpr int kStripHeight = 19;  // at 96 DPI: Height() is the strip's height

class TitleStrip final : public Window {
public:
    struct Look {
        HFONT font;
        bool handCursorOnImages;
        int minimizeId;
        int closeId;
    };
    TitleStrip(HWND parent, int id, const Look& look);
    ~TitleStrip() override;

    void SetCaption(const std::string& caption);
    // Spans `width` at the top of the parent, Height() high.
    void Layout(int width);
    // The strip's height at its DPI.
    int Height() const;
    // The window moved to a monitor of another DPI: the strip shows `font`
    // (its owner's, made for that DPI), the glyphs are taken from the set
    // drawn for it, and it keeps its last width until the owner lays it out
    // again.
    void OnDpiChanged(int dpi, HFONT font);

    std::function<void()> onMinimizeClick;
    std::function<void()> onCloseClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND MakeImage(int id, const char* tip);
    void LoadGlyphs();
    void Paint();
    void MouseDown();  // the strip's press: let the system move the window
    // The images' presses, moves and releases (see above).
    void PressGlyph(HWND glyph);
    void TrackGlyph(HWND glyph, LPARAM point);
    void ReleaseGlyph(HWND glyph, LPARAM point);
    void EndPress();  // gives the press up: no action
    void DrawPressed(HWND glyph) const;
    static LRESULT CALLBACK GlyphProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self);

    Look look_;
    int dpi_;
    std::string caption_;
    HWND minimize_ = nullptr;
    HWND close_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND pressed_ = nullptr;       // the image a left press is held on
    bool pressedOver_ = false;     // and whether the pointer is still over it
    HWND focusBeforePress_ = nullptr;
    OwnedBitmap minimizeBitmap_;
    OwnedBitmap closeBitmap_;
};

}  // namespace pennora
