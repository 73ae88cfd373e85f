#pragma once
// The bars of the tool's windows: a flat tool bar of text buttons (the main
// window's menu bar, the drag-fill window's tool bar) and the heights that
// lay out a window around its tool bar and status line.
#include <windows.h>

namespace pennora {

HWND CreateTextToolBar(HWND parent, int id, HFONT font);
// The height a tool bar takes for its buttons.
int ToolBarHeight(HWND toolBar);
// Lets the status line place itself at the bottom of its window; its height.
int StatusBarHeight(HWND statusBar);

}  // namespace pennora
