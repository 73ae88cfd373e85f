// The pictures at 120, 144 and 192 DPI under Wine: each set is in the
// resources at its scaled size, an image list takes the set for its DPI and
// centres it between two scales, the title strip's glyphs fill their scaled
// places, and the icons hold every small-icon size.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "platform/win32/Owned.h"
#include "ui/DpiImages.h"
#include "ui/DpiScale.h"
#include "ui/ImageSets.h"
#include "ui/TitleStrip.h"

namespace pennora {
namespace {

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

TEST(DpiImagesTest, EverySetIsInTheResourcesAtItsScaledSize) {
    const struct {
        const char* name;
        int width, height, count;  // a tile at 96 DPI, and how many side by side
    } pictures[] = {
        {"IMAGELISTMAIN", 32, 32, 5},
        {"IMGLSTEDITDATA", 16, 16, 11},
        {"STRIPMINIMIZE", 16, 14, 1},
        {"STRIPCLOSE", 16, 14, 1},
    };
    for (const auto& picture : pictures) {
        for (int scale : kImageSetScales) {
            const int dpi = kDesignDpi * scale / 100;
            const std::string name = ImageSetName(picture.name, scale);
            const OwnedBitmap bitmap(
                static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, 0)));
            ASSERT_TRUE(bitmap) << name;
            const SIZE size = BitmapSize(bitmap.get());
            EXPECT_EQ(size.cx, ScaleToDpi(picture.width, dpi) * picture.count) << name;
            EXPECT_EQ(size.cy, ScaleToDpi(picture.height, dpi)) << name;
        }
    }
}

// Where image `index` of the list covers a white square: its left, top,
// right and bottom edges.
RECT DrawnArea(HIMAGELIST images, int index, int cell) {
    WindowDC screen(nullptr);
    Owned<HDC, &DeleteDC> dc(CreateCompatibleDC(screen.get()));
    OwnedBitmap canvas(CreateCompatibleBitmap(screen.get(), cell, cell));
    ScopedSelection selected(dc.get(), canvas.get());
    const RECT all{0, 0, cell, cell};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, dc.get(), 0, 0, ILD_NORMAL);
    RECT area{cell, cell, -1, -1};
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            if ((GetPixel(dc.get(), x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
            area = {std::min<LONG>(area.left, x), std::min<LONG>(area.top, y), std::max<LONG>(area.right, x),
                    std::max<LONG>(area.bottom, y)};
        }
    }
    return area;
}

// The key cap (image 1) is drawn 26 units wide on a 32-unit tile, 3 units in
// from each side: its width shows which set is shown, its margins whether it
// is centred.
TEST(DpiImagesTest, ImageListTakesTheLargestFittingSetCentredNeverStretched) {
    for (const auto& [dpi, cell, drawn] : {std::tuple{96, 32, 26}, std::tuple{120, 40, 33}, std::tuple{144, 48, 39},
                                           std::tuple{168, 56, 39}, std::tuple{192, 64, 52}}) {
        const OwnedImageList images = LoadImageListForDpi("IMAGELISTMAIN", 32, dpi);
        ASSERT_TRUE(images) << dpi;
        int width = 0, height = 0;
        ImageList_GetIconSize(images.get(), &width, &height);
        EXPECT_EQ(width, cell) << dpi;
        EXPECT_EQ(height, cell) << dpi;
        EXPECT_EQ(ImageList_GetImageCount(images.get()), 5) << dpi;
        const RECT area = DrawnArea(images.get(), 1, cell);
        EXPECT_NEAR(area.right - area.left + 1, drawn, 1) << dpi;
        EXPECT_NEAR(area.left, cell - 1 - area.right, 1) << dpi;
        EXPECT_NEAR(area.top, cell - 1 - area.bottom, 1) << dpi;
    }
}

TEST(DpiImagesTest, TitleStripAndItsGlyphsFollowTheDpi) {
    HWND parent = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    {
        TitleStrip strip(parent, 100, TitleStrip::Look{static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), false, 101, 102});
        for (const auto& [dpi, height, glyph] : {std::tuple{192, 38, SIZE{32, 28}}, std::tuple{120, 24, SIZE{20, 18}},
                                                 std::tuple{96, 19, SIZE{16, 14}}}) {
            strip.OnDpiChanged(dpi, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
            strip.Layout(300);
            EXPECT_EQ(strip.Height(), height) << dpi;
            RECT stripRect;
            GetClientRect(strip.hwnd(), &stripRect);
            EXPECT_EQ(stripRect.bottom, height) << dpi;
            RECT close;
            GetWindowRect(GetDlgItem(strip.hwnd(), 102), &close);
            MapWindowPoints(nullptr, strip.hwnd(), reinterpret_cast<POINT*>(&close), 2);
            EXPECT_EQ(close.right - close.left, glyph.cx) << dpi;
            EXPECT_EQ(close.bottom - close.top, glyph.cy) << dpi;
            EXPECT_EQ(close.right, 300 - ScaleToDpi(2, dpi)) << dpi;  // the gap at the right end
            EXPECT_NEAR(close.top, height - close.bottom, 1) << dpi;  // centred in the strip
            const HBITMAP shown = reinterpret_cast<HBITMAP>(
                SendDlgItemMessageA(strip.hwnd(), 102, STM_GETIMAGE, IMAGE_BITMAP, 0));
            EXPECT_EQ(BitmapSize(shown).cx, glyph.cx) << dpi;  // drawn at that size, not stretched
        }
    }
    DestroyWindow(parent);
}

// An icon asked for at a small-icon size comes as drawn at that size.
TEST(DpiImagesTest, IconsHoldEverySmallIconSize) {
    HMODULE module = GetModuleHandleA(nullptr);
    for (const char* name : {"MAINICON", "HOTKEYICON"}) {
        HRSRC group = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(group, nullptr) << name;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
        for (int size : {16, 20, 24, 32}) {
            const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
            HRSRC icon = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
            ASSERT_NE(icon, nullptr) << name << " " << size;
            const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, icon)));
            EXPECT_EQ(header->biWidth, size) << name;
        }
    }
}

}  // namespace
}  // namespace pennora
