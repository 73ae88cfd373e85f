#pragma once
// The tool's bitmaps at a window's DPI, from the set drawn for that scale
// (ui/ImageSets.h); magenta (255, 0, 255) is transparent in image lists.
#include <windows.h>

#include "platform/win32/Owned.h"

namespace pennora {

// An image list of the square tiles of bitmap `baseName` (tiles of
// `designSize` pixels at 96 DPI), each ScaleToDpi(designSize, dpi) pixels:
// the set for `dpi`, centred when it is smaller, never shrunk. Throws
// pennora::Error when the module has no such bitmap.
OwnedImageList LoadImageListForDpi(const char* baseName, int designSize, int dpi);

// The system's standard tool-bar images (STD_FILENEW, STD_COPY ...) for
// `dpi`: the small set (16 pixels), or the large one (24) where the small
// would be scaled up past it. Throws pennora::Error when the system gives
// none.
OwnedImageList LoadStandardToolImages(int dpi);

// Bitmap `baseName` from the set for `dpi` (its own size); throws
// pennora::Error when the module has no such bitmap.
OwnedBitmap LoadBitmapForDpi(const char* baseName, int dpi);

}  // namespace pennora
