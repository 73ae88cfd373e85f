#pragma once
// The width in pixels of an icon's picture, or -1 for no icon.
#include <windows.h>

namespace pennora::testing {

inline int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return -1;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

}  // namespace pennora::testing
