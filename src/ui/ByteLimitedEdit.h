#pragma once
// An edit box that takes typed or pasted text only up to a number of bytes of
// the ANSI (GBK) text, where EM_LIMITTEXT would count characters: a Chinese
// character counts two. What does not fit is left out whole-character-wise.
#include <cstddef>

#include <windows.h>

namespace pennora {

void LimitEditToBytes(HWND edit, std::size_t limit);

}  // namespace pennora
