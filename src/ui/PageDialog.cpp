#include "ui/PageDialog.h"

#include <algorithm>
#include <utility>

#include "platform/win32/Dpi.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/DpiScale.h"
#include "ui/Fonts.h"
#include "ui/Hints.h"

namespace pennora {
namespace {

constexpr UINT_PTR kToolBarKeysSubclass = 1;

// The next button from `from` in `step`'s direction that can be pressed,
// wrapping round; -1 when there is none.
int NextPressable(HWND toolBar, int from, int step) {
    const int count = int(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 1; i <= count; ++i) {
        const int index = ((from + step * i) % count + count) % count;
        TBBUTTON button{};
        if (SendMessageA(toolBar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) &&
            !(button.fsStyle & BTNS_SEP) && (button.fsState & TBSTATE_ENABLED) && !(button.fsState & TBSTATE_HIDDEN))
            return index;
    }
    return -1;
}

// A page's tool bar is reached with Tab; Wine's leaves the arrow keys,
// Enter and Space to the dialog, which has no use for them there. So the
// arrows (and Home, End) move its hot button and Enter or Space press it,
// as a click does. Focus leaving it clears the hot button, so none stays lit.
LRESULT CALLBACK ToolBarKeys(HWND toolBar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
        const bool press = keyMessage && keyMessage->message == WM_KEYDOWN &&
                           (keyMessage->wParam == VK_RETURN || keyMessage->wParam == VK_SPACE);
        return DefSubclassProc(toolBar, message, wParam, lParam) | DLGC_WANTARROWS | (press ? DLGC_WANTMESSAGE : 0);
    }
    if (message == WM_SETFOCUS && SendMessageA(toolBar, TB_GETHOTITEM, 0, 0) < 0)
        SendMessageA(toolBar, TB_SETHOTITEM, NextPressable(toolBar, -1, 1), 0);
    if (message == WM_KILLFOCUS) SendMessageA(toolBar, TB_SETHOTITEM, WPARAM(-1), 0);
    if (message != WM_KEYDOWN) return DefSubclassProc(toolBar, message, wParam, lParam);
    const int hot = int(SendMessageA(toolBar, TB_GETHOTITEM, 0, 0));
    switch (wParam) {
    case VK_LEFT:
    case VK_UP: SendMessageA(toolBar, TB_SETHOTITEM, NextPressable(toolBar, hot < 0 ? 0 : hot, -1), 0); return 0;
    case VK_RIGHT:
    case VK_DOWN: SendMessageA(toolBar, TB_SETHOTITEM, NextPressable(toolBar, hot, 1), 0); return 0;
    case VK_HOME: SendMessageA(toolBar, TB_SETHOTITEM, NextPressable(toolBar, -1, 1), 0); return 0;
    case VK_END: SendMessageA(toolBar, TB_SETHOTITEM, NextPressable(toolBar, 0, -1), 0); return 0;
    case VK_RETURN:
    case VK_SPACE: {
        // A key held down repeats its key-down: it is one press, as a click is.
        if (lParam & (LPARAM(1) << 30)) return 0;
        TBBUTTON button{};
        if (hot < 0 || !SendMessageA(toolBar, TB_GETBUTTON, hot, reinterpret_cast<LPARAM>(&button)) ||
            (button.fsStyle & BTNS_SEP) || !(button.fsState & TBSTATE_ENABLED))
            return 0;
        if (button.fsStyle & BTNS_CHECK)
            SendMessageA(toolBar, TB_CHECKBUTTON, button.idCommand, !(button.fsState & TBSTATE_CHECKED));
        SendMessageA(GetParent(toolBar), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
                     reinterpret_cast<LPARAM>(toolBar));
        return 0;
    }
    }
    return DefSubclassProc(toolBar, message, wParam, lParam);
}

}  // namespace

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
    SetWindowSubclass(toolBar, ToolBarKeys, kToolBarKeysSubclass, 0);
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
