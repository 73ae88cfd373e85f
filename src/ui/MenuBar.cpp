#include "ui/MenuBar.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/Bars.h"

namespace pennora {

MenuBar::MenuBar(HWND parent, int id, HFONT font, int menuResource, std::vector<Button> buttons)
    : parent_(parent),
      toolBar_(CreateTextToolBar(parent, id, font)),
      menu_(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuResource))),
      buttons_(std::move(buttons)) {
    for (const Button& button : buttons_) {
        TBBUTTON tb{};
        tb.iBitmap = I_IMAGENONE;
        tb.idCommand = button.id;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT | BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN;
        tb.iString = reinterpret_cast<INT_PTR>(button.caption);
        SendMessageA(toolBar_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
}

void MenuBar::DropDown(int buttonId) {
    const auto button = std::find_if(buttons_.begin(), buttons_.end(), [&](const Button& b) { return b.id == buttonId; });
    if (button == buttons_.end()) return;
    RECT rect;
    SendMessageA(toolBar_, TB_GETRECT, buttonId, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(toolBar_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    SendMessageA(toolBar_, TB_PRESSBUTTON, buttonId, TRUE);
    TrackPopupMenu(GetSubMenu(menu_.get(), button->menuPosition), TPM_LEFTALIGN | TPM_TOPALIGN, rect.left, rect.bottom,
                   0, parent_, nullptr);
    SendMessageA(toolBar_, TB_PRESSBUTTON, buttonId, FALSE);
}

void MenuBar::OpenByMnemonic(char key) {
    for (const Button& button : buttons_) {
        if (button.mnemonic == (key & ~0x20)) DropDown(button.id);
    }
}

}  // namespace pennora
