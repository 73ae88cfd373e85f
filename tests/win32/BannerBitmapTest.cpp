// The About banner under Wine: the JPEG decoded by the cross-built libjpeg and
// handed to GDI comes back from the bitmap pixel for pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/AboutPage.h"
#include "app/BannerBitmap.h"
#include "platform/Error.h"
#include "ui/resource.h"
#include "win32/WinePaths.h"

namespace pennora {
namespace {

JpegImage DecodedBanner() {
    std::ifstream in(testing::WindowsPath(PENNORA_SOURCE_DIR "/res/banner.jpg"), std::ios::binary);
    EXPECT_TRUE(in);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return DecodeJpeg(bytes);
}

// Reads the bitmap back as 32-bit top-down rows, the layout it was made from.
std::vector<std::uint8_t> ReadBack(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(rows, height);
    return pixels;
}

TEST(BannerBitmapTest, BitmapHasTheBannersSizeAndPixels) {
    const JpegImage image = DecodedBanner();
    ASSERT_EQ(image.width, 440);
    ASSERT_EQ(image.height, 150);
    const OwnedBitmap bitmap = CreateBannerBitmap(image);
    ASSERT_NE(bitmap.get(), nullptr);

    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap.get(), sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 440);
    EXPECT_EQ(info.bmHeight, 150);
    EXPECT_EQ(info.bmBitsPixel, 32);

    const std::vector<std::uint8_t> back = ReadBack(bitmap.get(), image.width, image.height);
    int differing = 0;
    for (std::size_t i = 0; i < back.size(); i += 4) {
        if (back[i] != image.pixels[i] || back[i + 1] != image.pixels[i + 1] || back[i + 2] != image.pixels[i + 2]) {
            ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
    // The strip colour at the top left, in blue, green, red order.
    EXPECT_NEAR(back[0], 220, 6);
    EXPECT_NEAR(back[1], 183, 6);
    EXPECT_NEAR(back[2], 169, 6);
}

TEST(BannerBitmapTest, RefusesAnImageWithoutPixels) {
    EXPECT_THROW(CreateBannerBitmap(JpegImage{}), Error);
    EXPECT_THROW(CreateBannerBitmap(JpegImage{2, 2, std::vector<std::uint8_t>(8)}), Error);
}

// The test program carries the product's resources. At a higher DPI the
// banner is resampled to its scaled size, its colours kept.
TEST(BannerBitmapTest, LoadsTheBannerFromTheResourcesAtTheDpisSize) {
    for (const auto& [dpi, width, height] : {std::tuple{96, 440, 150}, std::tuple{144, 660, 225},
                                             std::tuple{192, 880, 300}}) {
        const OwnedBitmap bitmap = LoadBannerBitmap(GetModuleHandleA(nullptr), dpi);
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bitmap.get(), sizeof info, &info), int(sizeof info));
        EXPECT_EQ(info.bmWidth, width);
        EXPECT_EQ(info.bmHeight, height);
        const std::vector<std::uint8_t> back = ReadBack(bitmap.get(), width, height);
        EXPECT_NEAR(back[0], 220, 6) << dpi;  // the strip colour at the top left
        EXPECT_NEAR(back[1], 183, 6) << dpi;
        EXPECT_NEAR(back[2], 169, 6) << dpi;
    }
}

TEST(BannerBitmapTest, EveryPictureResourceLoads) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    const struct {
        const char* name;
        UINT type;
        int width, height;
    } pictures[] = {
        {"IMAGELISTMAIN", IMAGE_BITMAP, 160, 32}, {"STRIPMINIMIZE", IMAGE_BITMAP, 16, 14},
        {"STRIPCLOSE", IMAGE_BITMAP, 16, 14},     {"MAINICON", IMAGE_ICON, 32, 32},
        {"HOTKEYICON", IMAGE_ICON, 16, 16},       {"DRAGCURSOR", IMAGE_CURSOR, 32, 32},
    };
    for (const auto& picture : pictures) {
        // Icons and cursors are asked for at one size; bitmaps come at their own.
        const int width = picture.type == IMAGE_BITMAP ? 0 : picture.width;
        const int height = picture.type == IMAGE_BITMAP ? 0 : picture.height;
        HANDLE loaded = LoadImageA(module, picture.name, picture.type, width, height, 0);
        ASSERT_NE(loaded, nullptr) << picture.name;
        if (picture.type == IMAGE_BITMAP) {
            BITMAP info{};
            GetObjectA(loaded, sizeof info, &info);
            EXPECT_EQ(info.bmWidth, picture.width) << picture.name;
            EXPECT_EQ(info.bmHeight, picture.height) << picture.name;
            DeleteObject(loaded);
        } else if (picture.type == IMAGE_ICON) {
            DestroyIcon(static_cast<HICON>(loaded));
        } else {
            DestroyCursor(static_cast<HCURSOR>(loaded));
        }
    }
}

BOOL CALLBACK KeepFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR first) {
    *reinterpret_cast<std::string*>(first) = IS_INTRESOURCE(name) ? "#" + std::to_string(LOWORD(name)) : name;
    return FALSE;
}

// Explorer and the shell show a program's first icon group as its icon.
TEST(BannerBitmapTest, TheFirstIconGroupIsTheApplicationIcon) {
    std::string first;
    EnumResourceNamesA(GetModuleHandleA(nullptr), RT_GROUP_ICON, KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(first, "APPICON");
}

TEST(BannerBitmapTest, MissingResourceIsAnError) {
    EXPECT_THROW(LoadRcData(GetModuleHandleA(nullptr), "NOSUCHPICTURE"), Error);
}

// The banner has alpha, so the picture control shows a copy of its own and
// hands it back at the next change; no copy may be left behind, at a DPI
// change or when the page goes.
TEST(BannerBitmapTest, TheAboutPageLeavesNoBannerBehind) {
    HWND parent = CreateWindowExA(0, "STATIC", "about host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                  nullptr, nullptr);
    auto page = std::make_unique<AboutPage>(parent);
    std::vector<HGDIOBJ> shown;
    const auto keepShown = [&] {
        shown.push_back(reinterpret_cast<HGDIOBJ>(
            SendDlgItemMessageA(page->hwnd(), IDC_IMAGE2, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    };
    for (const int dpi : {192, 144, 96}) {
        keepShown();
        page->RescaleForDpi(dpi);
    }
    keepShown();
    page.reset();
    DestroyWindow(parent);
    for (HGDIOBJ bitmap : shown) EXPECT_EQ(GetObjectType(bitmap), 0u) << bitmap;
}

}  // namespace
}  // namespace pennora
