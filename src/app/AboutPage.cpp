#include "app/AboutPage.h"

#include "ui/resource.h"

namespace pennora {

AboutPage::AboutPage(HWND parent) : PageDialog(IDD_TABSHEET3, parent) {
    banner_ = LoadBannerBitmap(GetModuleHandleA(nullptr));
    SendDlgItemMessageA(hwnd(), IDC_IMAGE2, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_.get()));
    BITMAP size{};
    GetObjectA(banner_.get(), sizeof size, &size);
    constexpr int kMargin = 8;
    MoveWindow(Item(IDC_IMAGE2), kMargin, kMargin, size.bmWidth, size.bmHeight, FALSE);
    MoveWindow(Item(IDC_LABEL1), kMargin, 2 * kMargin + size.bmHeight, size.bmWidth, 40, FALSE);
}

void AboutPage::SetVersionLine(const std::string& text) const { SetItemText(IDC_LABEL1, text); }

}  // namespace pennora
