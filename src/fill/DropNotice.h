#pragma once
// The drag-fill window's status line. It shows its fixed text on one line,
// or what went wrong with a drop in as many lines as that text needs at the
// window's width, so the user reads all of it where they look while
// dragging, with no box in the way of the next drag. The status bar control
// draws one line only, so this one draws its text itself; readers of its
// text (SB_GETTEXT, the window text) get the whole of it.
#include <windows.h>

#include <string>

namespace pennora {

class DropNotice {
public:
    // Makes the status line, a child of `parent` with the id given, showing
    // `text` in `font` (owned by the caller, kept alive while it is used).
    DropNotice(HWND parent, int id, HFONT font, int dpi, const std::string& text);
    DropNotice(const DropNotice&) = delete;
    DropNotice& operator=(const DropNotice&) = delete;

    HWND hwnd() const { return bar_; }
    const std::string& Text() const { return text_; }

    // Shows `text`; the parent lays itself out again, as the height the
    // text needs may have changed.
    void Show(const std::string& text);
    // The window moved to a monitor of another DPI: the font made for it.
    void SetFont(HFONT font, int dpi);
    // Puts the line at the bottom of its parent, as high as its text needs
    // at the parent's width but no higher than `most`; returns its height.
    int Layout(int most);
    // Draws the text; the parent passes on its WM_DRAWITEM for the line.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    RECT TextRect(const RECT& client) const;
    int TextHeight(int width) const;
    static LRESULT CALLBACK Procedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);

    HWND bar_ = nullptr;
    WNDPROC barProcedure_ = nullptr;
    HFONT font_;
    int dpi_;
    std::string text_;
};

}  // namespace pennora
