#pragma once
// Hints: the tooltips that name a control when the mouse rests on it.
#include <windows.h>

namespace pennora {

// A tooltip window for the controls of `owner`; it goes when its owner does.
HWND CreateHintWindow(HWND owner);
// Shows `text` when the mouse rests on `control`, a child of `owner`.
void AddHint(HWND hints, HWND owner, HWND control, const char* text);

}  // namespace pennora
