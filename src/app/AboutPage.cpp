#include "app/AboutPage.h"

#include <utility>

#include "ui/DpiScale.h"
#include "ui/resource.h"

namespace pennora {
namespace {

// At 96 DPI.
constexpr int kMargin = 8;
constexpr int kVersionLineHeight = 40;

}  // namespace

AboutPage::AboutPage(HWND parent) : PageDialog(IDD_TABSHEET3, parent) { ShowBannerAt(dpi()); }

// The picture control lets go of the banner before the page's window goes.
AboutPage::~AboutPage() {
    if (hwnd()) ShowBanner(nullptr);
}

void AboutPage::OnDpiChanged(int /*fromDpi*/, int toDpi) { ShowBannerAt(toDpi); }

// A picture control of the version 6 common controls shows a copy of its own
// of a bitmap with alpha, as the banner has, and hands that copy back at the
// next STM_SETIMAGE for the caller to delete.
void AboutPage::ShowBanner(HBITMAP banner) {
    const auto previous = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageA(hwnd(), IDC_IMAGE2, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner)));
    if (previous && previous != banner_.get()) DeleteObject(previous);
}

void AboutPage::ShowBannerAt(int dpi) {
    OwnedBitmap banner = LoadBannerBitmap(GetModuleHandleA(nullptr), dpi);
    ShowBanner(banner.get());
    banner_ = std::move(banner);  // the control shows the new bitmap before the old one goes
    BITMAP size{};
    GetObjectA(banner_.get(), sizeof size, &size);
    const int margin = ScaleToDpi(kMargin, dpi);
    MoveWindow(Item(IDC_IMAGE2), margin, margin, size.bmWidth, size.bmHeight, TRUE);
    MoveWindow(Item(IDC_LABEL1), margin, 2 * margin + size.bmHeight, size.bmWidth,
               ScaleToDpi(kVersionLineHeight, dpi), TRUE);
}

void AboutPage::SetVersionLine(const std::string& text) const { SetItemText(IDC_LABEL1, text); }

}  // namespace pennora
