#pragma once
// An edit box that takes text only up to a number of bytes of the ANSI (GBK)
// text, where EM_LIMITTEXT would count characters: a Chinese character counts
// two. However the text arrives (typed, from an input method, pasted, by
// EM_REPLACESEL), what does not fit is left out whole-character-wise and the
// box keeps what it held. A character GBK does not have is left out too: the
// box would show it while the ANSI text held a "?" or a look-alike letter.
// The program's own WM_SETTEXT is not limited: a box shows a stored text whole.
#include <cstddef>

#include <windows.h>

namespace pennora {

void LimitEditToBytes(HWND edit, std::size_t limit);

}  // namespace pennora
