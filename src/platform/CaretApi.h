#pragma once
// The seam to user32's focus and caret queries of another program's input
// state: the foreground window's thread, attaching to its input, its focused
// window and caret. The Win32 face forwards each call to the function of
// that name; tests/fakes records them.
#include "platform/Types.h"

namespace pennora {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

class CaretApi {
public:
    virtual ~CaretApi() = default;

    virtual Hwnd GetForegroundWindow() = 0;
    // The thread that owns the window (the process id is not asked for).
    virtual unsigned GetWindowThreadProcessId(Hwnd window) = 0;
    virtual unsigned GetCurrentThreadId() = 0;
    virtual bool AttachThreadInput(unsigned attachingThread, unsigned toThread, bool attach) = 0;
    // False when there is no caret; the point is in the caret window's client
    // coordinates.
    virtual bool GetCaretPos(Point& caret) = 0;
    // The keyboard focus of the (attached) input state, or 0.
    virtual Hwnd GetFocus() = 0;
    // The window's outer rectangle in screen coordinates.
    virtual bool GetWindowRect(Hwnd window, Rect& rect) = 0;
};

}  // namespace pennora
