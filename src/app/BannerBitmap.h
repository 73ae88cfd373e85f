#pragma once
// The About page's banner: a JPEG stored as an RCDATA resource of the exe,
// decoded and turned into a bitmap a static control can show.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/JpegImage.h"
#include "platform/win32/Owned.h"

namespace pennora {

inline constexpr const char* kBannerResource = "BANNER";

// A 32-bit top-down DIB section with the picture's pixels. Throws
// pennora::Error for an image without pixels or when GDI refuses.
OwnedBitmap CreateBannerBitmap(const JpegImage& image);

// The bytes of an RCDATA resource of the module; throws pennora::Error when
// the module has none of that name.
std::vector<std::uint8_t> LoadRcData(HMODULE module, const char* name);

// Decodes the module's RCDATA "BANNER" into a bitmap of its size at `dpi`
// (its pixel size at 96 DPI), resampled smoothly at any other DPI; throws
// pennora::Error.
OwnedBitmap LoadBannerBitmap(HMODULE module, int dpi);

}  // namespace pennora
