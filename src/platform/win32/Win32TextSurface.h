#pragma once
#include <windows.h>

#include "platform/TextSurface.h"

namespace pennora {

// A memory bitmap with its own device context; each call of the seam goes to
// the GDI function of that name. The bitmap and the font stay selected into
// the context for the surface's life.
class Win32TextSurface final : public TextSurface {
public:
    Win32TextSurface() = default;
    Win32TextSurface(const Win32TextSurface&) = delete;
    Win32TextSurface& operator=(const Win32TextSurface&) = delete;
    ~Win32TextSurface() override;

    void CreateCompatibleBitmap(int width, int height) override;
    void CreateFontA(int height, const std::string& faceName) override;
    void TextOutA(int x, int y, const std::string& text) override;
    ColorRef GetPixel(int x, int y) override;

    // Copies the picture to (x, y) of another context (the matrix icon shows it).
    void BitBlt(HDC target, int x, int y) const;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ originalBitmap_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace pennora
