#include "app/OptionsPage.h"

#include <commctrl.h>

#include "ui/resource.h"

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
    {IDC_CHKAUTORUN, OptionsCheck::ChkAutoRun, &OptionsControls::ChkAutoRun},
    {IDC_CHKTABTONEXTFIELD, OptionsCheck::ChkTabToNextField, &OptionsControls::ChkTabToNextField},
};

constexpr const char* kAutoRunHint =
    "登录 Windows 时自动运行这里的 Pennora（写入当前用户的“Run”启动项）；按“确 定”后生效";

}  // namespace

HotKeyCombination FromHotKeyControl(WORD value) {
    BYTE flags = HIBYTE(value);
    return {LOBYTE(value),
            {.shift = (flags & HOTKEYF_SHIFT) != 0, .ctrl = (flags & HOTKEYF_CONTROL) != 0, .alt = (flags & HOTKEYF_ALT) != 0},
            (flags & HOTKEYF_EXT) != 0};
}

WORD ToHotKeyControl(const HotKeyCombination& combination) {
    BYTE flags = (combination.shift.shift ? HOTKEYF_SHIFT : 0) | (combination.shift.ctrl ? HOTKEYF_CONTROL : 0) |
                 (combination.shift.alt ? HOTKEYF_ALT : 0) | (combination.extended ? HOTKEYF_EXT : 0);
    return MAKEWORD(BYTE(combination.key), flags);
}

OptionsPage::OptionsPage(HWND parent, OptionsLogic& logic) : PageDialog(IDD_TABSHEET6, parent), logic_(logic) {
    AddHint(IDC_CHKAUTORUN, kAutoRunHint);
    AddHint(IDC_CHKTABTONEXTFIELD, "填写时内容里的 Tab 像按下 Tab 键一样跳到下一个输入框，一条内容填满整张表单");
    logic_.onControlsChanged = [this] { ShowControls(); };
    ShowControls();
}

OptionsPage::~OptionsPage() { logic_.onControlsChanged = nullptr; }

// The start-with-Windows box shows the registry as it is each time the page
// comes up: the value may have been removed or changed elsewhere meanwhile.
void OptionsPage::OnShow() {
    logic_.OptionsPageShow();
    ShowControls();
    PageDialog::OnShow();
}

void OptionsPage::ShowControls() {
    showing_ = true;
    const OptionsControls& controls = logic_.Controls();
    for (const auto& check : kChecks) CheckButton(check.id, controls.*check.state);
    SendMessageA(Item(IDC_HOTKEY1), HKM_SETHOTKEY, ToHotKeyControl(controls.HotKey1), 0);
    SetWindowTextA(Item(IDC_LABELAUTORUN), controls.AutoRunNote.c_str());
    EnableItem(IDC_CHKAUTORUN, controls.ChkAutoRunEnabled);
    EnableItem(IDC_BTNOK, controls.BtnOKEnabled);
    showing_ = false;
}

bool OptionsPage::OnButtonClicked(int id) {
    if (showing_) return false;
    if (id == IDC_BTNOK) {
        BtnOKClick();
        return true;
    }
    for (const auto& check : kChecks) {
        if (check.id == id) {
            logic_.CheckClick(check.box, IsButtonChecked(id));
            ShowControls();
            return true;
        }
    }
    return false;
}

bool OptionsPage::OnCommand(int id, int code, HWND) {
    if (showing_ || id != IDC_HOTKEY1 || code != EN_CHANGE) return false;
    logic_.HotKey1Change(FromHotKeyControl(WORD(SendMessageA(Item(IDC_HOTKEY1), HKM_GETHOTKEY, 0, 0))));
    ShowControls();
    return true;
}

void OptionsPage::BtnOKClick() {
    OptionsCommit result = logic_.BtnOKClick();
    ShowControls();
    if (result == OptionsCommit::HotKeyStopped && onHotKeyStopped) onHotKeyStopped();
}

}  // namespace pennora
