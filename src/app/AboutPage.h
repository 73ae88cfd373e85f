#pragma once
// TabSheet3 "关于...", the About page: the banner picture and the version line.
#include <string>

#include "app/BannerBitmap.h"
#include "ui/PageDialog.h"

namespace pennora {

class AboutPage final : public PageDialog {
public:
    explicit AboutPage(HWND parent);
    ~AboutPage() override;

    void SetVersionLine(const std::string& text) const;

protected:
    // The banner is made again at the new DPI's size; the margins follow.
    void OnDpiChanged(int fromDpi, int toDpi) override;

private:
    // Hands the control a bitmap (or none) and deletes what it gives back
    // unless that is banner_ itself.
    void ShowBanner(HBITMAP banner);
    // The banner at `dpi`'s size, the version line below it.
    void ShowBannerAt(int dpi);

    OwnedBitmap banner_;
};

}  // namespace pennora
