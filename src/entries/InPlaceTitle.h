#pragma once
// The title typed in place in the entry editor's grid: whether its editor
// holds something other than the row's title, and the GBK text it ends with.
#include <optional>
#include <string>

#include <windows.h>

#include <commctrl.h>

namespace pennora {

// The editor's text differs from `title` (a null title shows as empty).
bool InPlaceTitleChanged(HWND editor, const std::optional<std::string>& title);

// The title an LVN_ENDLABELEDIT hands over, in GBK; nothing when its text
// holds a character GBK does not have (a "?" or a look-alike letter must
// not be stored in its place).
std::optional<std::string> EndedInPlaceTitle(const NMHDR& header);

// While `held` is true the editor stays open when the keyboard focus leaves
// it (the grid ends it then, keeping its text): a question asked over the
// window, such as the close's, must not end it before the answer.
void HoldInPlaceEditorOpen(HWND editor, const bool& held);

}  // namespace pennora
