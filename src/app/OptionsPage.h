#pragma once
// TabSheet6, the Options page: moves the states of its check boxes and its
// hot-key capture control to and from OptionsLogic, which holds the rules.
#include <functional>

#include "app/OptionsLogic.h"
#include "ui/PageDialog.h"

namespace pennora {

class OptionsPage final : public PageDialog {
public:
    OptionsPage(HWND parent, OptionsLogic& logic);
    ~OptionsPage() override;

    // Shows the logic's control states (after it changed them itself).
    void ShowControls();

    // Runs after a commit that had to switch the hot-key mode off.
    std::function<void()> onHotKeyStopped;

protected:
    void OnShow() override;
    bool OnButtonClicked(int id) override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void BtnOKClick();
    OptionsLogic& logic_;
    bool showing_ = false;  // the program is setting the controls
};

// The hot-key capture control's value and the combination it stands for.
HotKeyCombination FromHotKeyControl(WORD value);
WORD ToHotKeyControl(const HotKeyCombination& combination);

}  // namespace pennora
