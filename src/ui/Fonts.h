#pragma once
// Fonts given in pixels at 96 DPI, made for the DPI of the window that shows
// them.
#include <windows.h>

#include "platform/win32/Owned.h"

namespace pennora {

struct PixelFont {
    int height;  // LOGFONT height at 96 DPI: negative for the character height
    const char* face;
    BYTE charset;
    bool italic = false;
};

inline constexpr PixelFont kSongTi12{-12, "宋体", GB2312_CHARSET};

OwnedFont CreatePixelFont(const PixelFont& design, int dpi);

// A copy of `font` (a font made for `fromDpi`) for `toDpi`.
OwnedFont RescaleFont(HFONT font, int fromDpi, int toDpi);

}  // namespace pennora
