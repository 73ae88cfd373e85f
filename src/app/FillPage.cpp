#include "app/FillPage.h"

#include <iterator>

#include "ui/resource.h"

namespace pennora {
namespace {

constexpr int kImageSize = 32;

// Images of ImageListMain: 0 drag fill, 1 hot key, 2 help, 4 hide browser.
constexpr PageDialog::ToolButton kToolBar3[] = {
    {IDC_TOOLBUTTONDRAGFILL, 0, BTNS_CHECK, "拖动快填"},
    {IDC_TOOLBUTTONHOTKEY, 1, BTNS_CHECK, "Startup 热键快填"},
    {IDC_TOOLBUTTONHIDEIE, 4, BTNS_CHECK, "快速隐藏IE窗口"},
    {IDC_TOOLBUTTONHELP, 2, BTNS_BUTTON, "帮助"},
};

}  // namespace

FillPage::FillPage(HWND parent, HIMAGELIST imageListMain) : PageDialog(IDD_TABSHEET1, parent) {
    HWND toolBar3 = Item(IDC_TOOLBAR3);
    SendMessageA(toolBar3, TB_SETBUTTONSIZE, 0, MAKELPARAM(kImageSize + 12, kImageSize + 12));
    AddToolButtons(toolBar3, imageListMain, kToolBar3, int(std::size(kToolBar3)));
}

void FillPage::SetPressed(int buttonId, bool pressed) const {
    SendMessageA(Item(IDC_TOOLBAR3), TB_CHECKBUTTON, buttonId, MAKELPARAM(pressed, 0));
}

bool FillPage::IsPressed(int buttonId) const {
    return SendMessageA(Item(IDC_TOOLBAR3), TB_ISBUTTONCHECKED, buttonId, 0) != 0;
}

bool FillPage::OnButtonClicked(int id) {
    const std::function<void()>* handler = id == IDC_TOOLBUTTONDRAGFILL ? &onDragFillClick
                                           : id == IDC_TOOLBUTTONHOTKEY ? &onHotKeyClick
                                           : id == IDC_TOOLBUTTONHIDEIE ? &onHideIEClick
                                           : id == IDC_TOOLBUTTONHELP   ? &onHelpClick
                                                                        : nullptr;
    if (!handler) return false;
    if (*handler) (*handler)();
    return true;
}

}  // namespace pennora
