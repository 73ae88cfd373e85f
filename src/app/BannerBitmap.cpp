#include "app/BannerBitmap.h"

#include <cstring>
#include <string>

#include "app/ImageResize.h"
#include "platform/Error.h"
#include "ui/DpiScale.h"

namespace pennora {

OwnedBitmap CreateBannerBitmap(const JpegImage& image) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * kJpegBytesPerPixel;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != rowBytes * image.height) {
        throw Error("横幅图片没有像素。");
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // negative: rows top-down, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.get() || !bits) throw Error("无法创建横幅图片的位图。");
    // A 32-bit row is always a whole number of DWORDs, so the DIB has no padding.
    std::memcpy(bits, image.pixels.data(), image.pixels.size());
    return bitmap;
}

std::vector<std::uint8_t> LoadRcData(HMODULE module, const char* name) {
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw Error(std::string("找不到资源 ") + name + "。");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + SizeofResource(module, found)};
}

OwnedBitmap LoadBannerBitmap(HMODULE module, int dpi) {
    const JpegImage image = DecodeJpeg(LoadRcData(module, kBannerResource));
    const int width = ScaleToDpi(image.width, dpi), height = ScaleToDpi(image.height, dpi);
    if (width == image.width && height == image.height) return CreateBannerBitmap(image);
    return CreateBannerBitmap(ResizeImage(image, width, height));
}

}  // namespace pennora
