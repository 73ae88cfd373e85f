#pragma once
// Putting a procedure of the program's in front of a control's own.
#include <windows.h>

namespace pennora {

// Puts `procedure` in front of a control's own window procedure, which it
// returns (for CallWindowProcA or, for a Unicode control, CallWindowProcW);
// `self` is kept in the control's GWLP_USERDATA. Not SetWindowSubclass:
// comctl32 looks the subclass chain up in a window property at every
// message, which under Wine is a round trip to the wineserver, and a list
// box is sent many messages at every paint.
inline WNDPROC Subclass(HWND control, WNDPROC procedure, void* self) {
    const bool unicode = IsWindowUnicode(control);
    (unicode ? SetWindowLongPtrW : SetWindowLongPtrA)(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return reinterpret_cast<WNDPROC>(
        (unicode ? SetWindowLongPtrW : SetWindowLongPtrA)(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

template <class Self>
Self* SelfOf(HWND control) {
    return reinterpret_cast<Self*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

}  // namespace pennora
