#pragma once
// A menu bar made of a flat tool bar: one text button for each popup of a
// menu resource, which drops that popup down below itself. Alt with a
// button's mnemonic drops its popup down too. The popups' commands go to the
// bar's parent window.
#include <windows.h>

#include <vector>

#include "platform/win32/Owned.h"

namespace pennora {

class MenuBar {
public:
    struct Button {
        int id;
        const char* caption;
        char mnemonic;     // the letter after '&', upper case
        int menuPosition;  // position of its popup in the menu
    };

    MenuBar(HWND parent, int id, HFONT font, int menuResource, std::vector<Button> buttons);

    HWND hwnd() const { return toolBar_; }
    // Shows a button's popup below it (TBN_DROPDOWN) and waits until it closes.
    void DropDown(int buttonId);
    // Alt and a letter (WM_SYSCOMMAND with SC_KEYMENU): the popup of the
    // button with that mnemonic.
    void OpenByMnemonic(char key);

private:
    HWND parent_;
    HWND toolBar_;
    OwnedMenu menu_;
    std::vector<Button> buttons_;
};

}  // namespace pennora
