#pragma once
// The coloured strip that stands in for a caption bar on the tool's borderless
// windows: its caption, and two small images at its right end (minimise and
// close). Pressing any mouse button on the strip moves the window.
#include <functional>
#include <string>

#include "platform/win32/Owned.h"
#include "ui/Window.h"

namespace pennora {

inline constexpr COLORREF kStripColour = 14464937;  // light blue: red 169, green 183, blue 220
inline constexpr int kStripHeight = 19;

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
    void SetFont(HFONT font);
    void Layout(int width);

    std::function<void()> onMinimizeClick;
    std::function<void()> onCloseClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HWND MakeImage(const char* bitmapName, int id, const char* tip);
    void Paint();
    void MouseDown();  // the strip's press: let the system move the window

    Look look_;
    std::string caption_;
    HWND minimize_ = nullptr;
    HWND close_ = nullptr;
    HWND tooltip_ = nullptr;
    OwnedBitmap minimizeBitmap_;
    OwnedBitmap closeBitmap_;
};

}  // namespace pennora
