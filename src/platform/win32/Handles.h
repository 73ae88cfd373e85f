#pragma once
// The seam carries window handles as integers; these turn them back and forth.
#include <windows.h>

#include "platform/Types.h"

namespace pennora {

inline HWND ToHwnd(Hwnd window) { return reinterpret_cast<HWND>(window); }
inline Hwnd FromHwnd(HWND window) { return reinterpret_cast<Hwnd>(window); }

}  // namespace pennora
