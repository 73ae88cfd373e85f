#include "app/OptionsPage.h"

#include <commctrl.h>

#include "app/resource.h"

namespace pennora {
namespace {

struct CheckBinding {
    int id;
    OptionsCheck box;
    bool OptionsControls::*state;
};

constexpr CheckBinding kChecks[] = {
    {IDC_CHKMINIMIZE, OptionsCheck::ChkMinimize, &OptionsControls::ChkMinimize},
    {IDC_CHKAUTODRAGFILL, OptionsCheck::ChkAutoDragFill, &OptionsControls::ChkAutoDragFill},
    {IDC_CHKAUTOHOTKEY, OptionsCheck::ChkAutoHotKey, &OptionsControls::ChkAutoHotKey},
    {IDC_CHKHOTKEY, OptionsCheck::ChkHotKey, &OptionsControls::ChkHotKey},
    {IDC_CHKDRAG, OptionsCheck::ChkDrag, &OptionsControls::ChkDrag},
};

}  // namespace

HotKeyCombination FromHotKeyControl(WORD value) {
    BYTE flags = HIBYTE(value);
    return {LOBYTE(value),
            {.shift = (flags & HOTKEYF_SHIFT) != 0, .ctrl = (flags & HOTKEYF_CONTROL) != 0, .alt = (flags & HOTKEYF_ALT) != 0}};
}

WORD ToHotKeyControl(const HotKeyCombination& combination) {
    BYTE flags = (combination.shift.shift ? HOTKEYF_SHIFT : 0) | (combination.shift.ctrl ? HOTKEYF_CONTROL : 0) |
                 (combination.shift.alt ? HOTKEYF_ALT : 0);
    return MAKEWORD(BYTE(combination.key), flags);
}

OptionsPage::OptionsPage(HWND parent, OptionsLogic& logic) : logic_(logic) {
    CreateChild(IDD_TABSHEET6, parent);
    ShowControls();
}

void OptionsPage::ShowControls() {
    showing_ = true;
    const OptionsControls& controls = logic_.Controls();
    for (const auto& check : kChecks) CheckButton(check.id, controls.*check.state);
    SendMessageA(Item(IDC_HOTKEY1), HKM_SETHOTKEY, ToHotKeyControl(controls.HotKey1), 0);
    EnableItem(IDC_BTNOK, controls.BtnOKEnabled);
    showing_ = false;
}

void OptionsPage::OnCommand(int id, int code, HWND) {
    if (showing_) return;
    if (id == IDC_BTNOK && code == BN_CLICKED) {
        BtnOKClick();
        return;
    }
    if (id == IDC_HOTKEY1 && code == EN_CHANGE) {
        logic_.HotKey1Change(FromHotKeyControl(WORD(SendMessageA(Item(IDC_HOTKEY1), HKM_GETHOTKEY, 0, 0))));
        ShowControls();
        return;
    }
    for (const auto& check : kChecks) {
        if (check.id == id && code == BN_CLICKED) {
            logic_.CheckClick(check.box, IsButtonChecked(id));
            ShowControls();
        }
    }
}

void OptionsPage::BtnOKClick() {
    OptionsCommit result = logic_.BtnOKClick();
    ShowControls();
    if (result == OptionsCommit::HotKeyStopped && onHotKeyStopped) onHotKeyStopped();
}

}  // namespace pennora
