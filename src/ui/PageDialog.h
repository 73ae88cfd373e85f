#pragma once
// A page of the main window's page area: a child dialog made from its
// template. Pointing at one of its tool-bar buttons, or at a control given a
// hint with AddHint, shows the hint as a tooltip and hands it to onHint (the
// main window puts it on the status line). While the application-wide cursor
// is set (a drag), the page shows it too.
#include <functional>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/Owned.h"
#include "ui/DpiScale.h"
#include "ui/Window.h"

namespace pennora {

class PageDialog : public Dialog {
public:
    std::function<void(const std::string& hint)> onHint;
    std::function<void()> onShow;

    // A button of a page's tool bar: its text is its hint (shown as tooltip,
    // not as a label).
    struct ToolButton {
        int id;  // 0 for a separator
        int image;
        BYTE style;  // BTNS_BUTTON or BTNS_CHECK
        const char* hint;
    };

    // The DPI the page is laid out for.
    int dpi() const { return dpi_; }
    // How far right its template puts its controls at that DPI: the least
    // client width that shows them whole.
    int contentWidth() const { return contentWidth_; }
    // The page's window moved to a monitor of another DPI: the controls'
    // places, sizes and fonts follow it.
    void RescaleForDpi(int toDpi);

protected:
    PageDialog(int templateId, HWND parent, bool unicode = false);

    // Gives a control a hint: its tooltip, and the status line's text while
    // the tooltip shows.
    void AddHint(int controlId, const char* hint);

    // Adds buttons to a tool bar of the template, showing `images` (or none).
    static void AddToolButtons(HWND toolBar, HIMAGELIST images, const ToolButton* buttons, int count);
    // Shows `images` on a tool bar, at their size; the caller sizes the
    // buttons (TB_AUTOSIZE) once it has changed what else it needs.
    static void SetToolImages(HWND toolBar, HIMAGELIST images);

    // After RescaleForDpi has moved the controls: what the page made itself
    // (its own fonts, images, column widths) follows too.
    virtual void OnDpiChanged(int /*fromDpi*/, int /*toDpi*/) {}

    void OnShow() override;
    LRESULT OnNotify(const NMHDR& header) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void Hint(const std::string& text);
    HWND tooltip_ = nullptr;
    int dpi_ = kDesignDpi;
    int contentWidth_ = 0;
    OwnedFont rescaledFont_;  // the template's font at the DPI the page moved to
};

}  // namespace pennora
