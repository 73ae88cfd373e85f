#include "ui/DpiImages.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/Error.h"
#include "ui/DpiScale.h"
#include "ui/ImageSets.h"

namespace pennora {
namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

using MemoryDC = Owned<HDC, &DeleteDC>;

// The name of the largest set for `dpi` the module has; a picture drawn
// only at the design size serves every scale.
std::string SetFor(HINSTANCE module, const std::string& baseName, int dpi) {
    const int wanted = ImageSetScale(dpi);
    for (auto scale = std::rbegin(kImageSetScales); scale != std::rend(kImageSetScales); ++scale) {
        if (*scale > wanted) continue;
        std::string name = ImageSetName(baseName, *scale);
        if (FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(2))) return name;  // RT_BITMAP
    }
    throw Error("找不到图片资源 " + baseName + "。");
}

OwnedBitmap LoadSet(HINSTANCE module, const std::string& name) {
    OwnedBitmap bitmap(static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) throw Error("无法读取图片资源 " + name + "。");
    return bitmap;
}

// The tiles of `tiles` (`tile` pixels square, side by side), each centred on
// a magenta square of `cell` pixels.
OwnedImageList CentredTiles(HBITMAP tiles, int tile, int count, int cell) {
    WindowDC screen(nullptr);
    OwnedBitmap canvas(CreateCompatibleBitmap(screen.get(), count * cell, cell));
    MemoryDC source(CreateCompatibleDC(screen.get())), target(CreateCompatibleDC(screen.get()));
    if (!canvas || !source || !target) throw Error("无法创建图片。");
    {
        ScopedSelection sourceBitmap(source.get(), tiles), targetBitmap(target.get(), canvas.get());
        const RECT all{0, 0, count * cell, cell};
        FillRect(target.get(), &all, OwnedBrush(CreateSolidBrush(kTransparent)).get());
        const int offset = (cell - tile) / 2;
        for (int i = 0; i < count; ++i)
            BitBlt(target.get(), i * cell + offset, offset, tile, tile, source.get(), i * tile, 0, SRCCOPY);
    }
    OwnedImageList list(ImageList_Create(cell, cell, ILC_COLOR24 | ILC_MASK, count, 0));
    // The canvas is out of its DC again, as ImageList_AddMasked needs.
    if (!list || ImageList_AddMasked(list.get(), canvas.get(), kTransparent) < 0) throw Error("无法创建图片列表。");
    return list;
}

}  // namespace

OwnedImageList LoadImageListForDpi(const char* baseName, int designSize, int dpi) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    const std::string name = SetFor(module, baseName, dpi);
    const OwnedBitmap tiles = LoadSet(module, name);
    BITMAP size{};
    GetObjectA(tiles.get(), sizeof size, &size);
    const int tile = size.bmHeight;
    const int cell = std::max(ScaleToDpi(designSize, dpi), tile);
    if (tile == cell) {
        // The set fits its place exactly (always at 96 DPI): loaded as it is.
        OwnedImageList list(
            ImageList_LoadImageA(module, name.c_str(), tile, 0, kTransparent, IMAGE_BITMAP, LR_CREATEDIBSECTION));
        if (!list) throw Error("无法读取图片资源 " + name + "。");
        return list;
    }
    return CentredTiles(tiles.get(), tile, size.bmWidth / tile, cell);
}

// The system hands out its standard images only to a tool bar, and a tool
// bar takes each set once (loading it again adds nothing): a tool bar made
// for the purpose loads them into an image list of the caller's.
OwnedImageList LoadStandardToolImages(int dpi) {
    constexpr int kSmall = 16, kLarge = 24;
    const bool large = ScaleToDpi(kSmall, dpi) >= kLarge;
    const int size = large ? kLarge : kSmall;
    OwnedImageList images(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16));
    const OwnedWindow loader(CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                             GetModuleHandleA(nullptr), nullptr));
    if (!images || !loader) throw Error("无法创建图片列表。");
    SendMessageA(loader.get(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(loader.get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    SendMessageA(loader.get(), TB_LOADIMAGES, large ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
                 reinterpret_cast<LPARAM>(HINST_COMMCTRL));
    SendMessageA(loader.get(), TB_SETIMAGELIST, 0, 0);  // the tool bar lets go of the list before it goes
    if (ImageList_GetImageCount(images.get()) == 0) throw Error("无法读取系统的工具栏图片。");
    return images;
}

OwnedBitmap LoadBitmapForDpi(const char* baseName, int dpi) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    return LoadSet(module, SetFor(module, baseName, dpi));
}

}  // namespace pennora
