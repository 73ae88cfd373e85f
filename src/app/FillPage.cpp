#include "app/FillPage.h"

#include <iterator>
#include <utility>

#include "ui/DpiImages.h"
#include "ui/DpiScale.h"
#include "ui/resource.h"

namespace pennora {
namespace {

constexpr int kImageSize = 32;  // ImageListMain's tiles at 96 DPI
constexpr int kButtonSize = kImageSize + 12;

// Images of ImageListMain: 0 drag fill, 1 hot key, 2 help, 4 hide browser.
constexpr PageDialog::ToolButton kToolBar3[] = {
    {IDC_TOOLBUTTONDRAGFILL, 0, BTNS_CHECK, "拖动快填"},
    {IDC_TOOLBUTTONHOTKEY, 1, BTNS_CHECK, "Startup 热键快填"},
    {IDC_TOOLBUTTONHIDEIE, 4, BTNS_CHECK, "快速隐藏IE窗口"},
    {IDC_TOOLBUTTONHELP, 2, BTNS_BUTTON, "帮助"},
};

void SetButtonSize(HWND toolBar, int dpi) {
    const int size = ScaleToDpi(kButtonSize, dpi);
    SendMessageA(toolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(size, size));
}

}  // namespace

FillPage::FillPage(HWND parent) : PageDialog(IDD_TABSHEET1, parent) {
    images_ = LoadImageListForDpi("IMAGELISTMAIN", kImageSize, dpi());
    HWND toolBar3 = Item(IDC_TOOLBAR3);
    SetButtonSize(toolBar3, dpi());
    AddToolButtons(toolBar3, images_.get(), kToolBar3, int(std::size(kToolBar3)));
}

// The tool bar goes before the image list it shows.
FillPage::~FillPage() { Destroy(); }

void FillPage::OnDpiChanged(int /*fromDpi*/, int toDpi) {
    OwnedImageList images = LoadImageListForDpi("IMAGELISTMAIN", kImageSize, toDpi);
    HWND toolBar3 = Item(IDC_TOOLBAR3);
    SetToolImages(toolBar3, images.get());
    SetButtonSize(toolBar3, toDpi);
    SendMessageA(toolBar3, TB_AUTOSIZE, 0, 0);
    images_ = std::move(images);  // the tool bar shows the new list before the old one goes
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
