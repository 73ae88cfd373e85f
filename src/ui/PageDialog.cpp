#include "ui/PageDialog.h"

#include <algorithm>
#include <utility>

#include "platform/win32/Dpi.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/Hints.h"

namespace pennora {

PageDialog::PageDialog(int templateId, HWND parent, bool unicode) {
    CreateChild(templateId, parent, unicode);
    dpi_ = WindowDpi(hwnd());
    for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
        contentWidth_ = std::max(contentWidth_, int(place.right));
    }
}

// The dialog manager sized the controls and made the template's font for the
// DPI the page was created at; a move to another DPI scales both the same way.
void PageDialog::RescaleForDpi(int toDpi) {
    const int fromDpi = std::exchange(dpi_, toDpi);
    if (fromDpi == toDpi) return;
    const HFONT templateFont = rescaledFont_ ? rescaledFont_.get() : reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    OwnedFont font = RescaleFont(templateFont, fromDpi, toDpi);
    contentWidth_ = RescaleToDpi(contentWidth_, fromDpi, toDpi);
    for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
        place = RescaleRectToDpi(place, fromDpi, toDpi);
        SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (font && reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == templateFont)
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The dialog itself keeps the template's font: the dialog manager
    // deletes what it holds when the page is destroyed.
    if (font) rescaledFont_ = std::move(font);
    OnDpiChanged(fromDpi, toDpi);
}

void PageDialog::AddHint(int controlId, const char* hint) {
    if (!tooltip_) tooltip_ = CreateHintWindow(hwnd());
    pennora::AddHint(tooltip_, hwnd(), Item(controlId), hint);
}

void PageDialog::AddToolButtons(HWND toolBar, HIMAGELIST images, const ToolButton* buttons, int count) {
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetToolImages(toolBar, images);
    for (int i = 0; i < count; ++i) {
        const ToolButton& button = buttons[i];
        TBBUTTON tb{};
        tb.iBitmap = button.id ? button.image : 6;  // a separator's width
        tb.idCommand = button.id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = button.id ? button.style : BTNS_SEP;
        tb.iString = button.id ? reinterpret_cast<INT_PTR>(button.hint) : 0;
        SendMessageA(toolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(toolBar, TB_SETMAXTEXTROWS, 0, 0);  // the text serves as the tooltip, not as a label
    SendMessageA(toolBar, TB_AUTOSIZE, 0, 0);
}

void PageDialog::SetToolImages(HWND toolBar, HIMAGELIST images) {
    int width = 0, height = 0;
    if (images && ImageList_GetIconSize(images, &width, &height))
        SendMessageA(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
}

void PageDialog::OnShow() {
    if (onShow) onShow();
}

void PageDialog::Hint(const std::string& text) {
    if (onHint) onHint(text);
}

LRESULT PageDialog::OnNotify(const NMHDR& header) {
    if (header.code == TBN_HOTITEMCHANGE) {
        const auto& change = reinterpret_cast<const NMTBHOTITEM&>(header);
        char hint[128] = {};
        if (!(change.dwFlags & HICF_LEAVING) &&
            SendMessageA(header.hwndFrom, TB_GETBUTTONTEXTA, change.idNew, reinterpret_cast<LPARAM>(hint)) > 0) {
            Hint(hint);
        }
    } else if (header.code == TTN_SHOW && header.hwndFrom == tooltip_) {
        char hint[128] = {};
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd();
        tool.uId = header.idFrom;
        tool.lpszText = hint;
        SendMessageA(tooltip_, TTM_GETTEXTA, sizeof hint, reinterpret_cast<LPARAM>(&tool));
        Hint(hint);
    }
    return 0;
}

bool PageDialog::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    if (message == WM_SETCURSOR && ApplyAppCursor()) {
        result = TRUE;
        return true;
    }
    return false;
}

}  // namespace pennora
