#pragma once
// TabSheet3 "关于...", the About page: the banner picture and the version line.
#include <string>

#include "app/BannerBitmap.h"
#include "ui/PageDialog.h"

namespace pennora {

class AboutPage final : public PageDialog {
public:
    explicit AboutPage(HWND parent);

    void SetVersionLine(const std::string& text) const;

    // The page moved to a monitor of another DPI: the banner is made again
    // at that DPI's size, and the margins follow.
    void ShowBannerAt(int dpi);

private:
    OwnedBitmap banner_;
};

}  // namespace pennora
