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

private:
    OwnedBitmap banner_;
};

}  // namespace pennora
