#pragma once
// What a screen reader reads of the drag-fill list. The list box holds no
// text, so the system's accessible object of a list box would name every
// line with an empty name; the list answers WM_GETOBJECT with an object of
// its own that names each line by the title it shows and gives every other
// answer about the list itself from the system's object.
#include <windows.h>

#include <string>

namespace pennora {

// The private message by which the object asks the list, on the list's
// thread, for the title of a line (wParam); the list answers it with
// AnswerLineTitle.
UINT LineTitleMessage();
// The list's answer to LineTitleMessage: `title` is the title of the line
// asked for, or nullptr when no title is found for it.
LRESULT AnswerLineTitle(HWND list, const std::string* title);

// The answer to the list's WM_GETOBJECT for its client area (the caller
// checks that lParam asks for OBJID_CLIENT): a reference to a new accessible
// object of `list`, or 0 when none can be made, which leaves the message to
// the list box's own handling.
LRESULT AccessibleListResult(HWND list, WPARAM wParam);

}  // namespace pennora
