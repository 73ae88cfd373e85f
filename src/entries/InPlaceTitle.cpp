#include "entries/InPlaceTitle.h"

#include "platform/win32/AnsiText.h"

namespace pennora {
namespace {

constexpr UINT_PTR kHoldSubclass = 0x7E1D;

LRESULT CALLBACK HeldEditorProcedure(HWND editor, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR held) {
    if (message == WM_KILLFOCUS && *reinterpret_cast<const bool*>(held)) return 0;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(editor, HeldEditorProcedure, kHoldSubclass);
    return DefSubclassProc(editor, message, wParam, lParam);
}

}  // namespace

bool InPlaceTitleChanged(HWND editor, const std::optional<std::string>& title) {
    return WindowTextW(editor) != ToWide(title.value_or(std::string()));
}

void HoldInPlaceEditorOpen(HWND editor, const bool& held) {
    SetWindowSubclass(editor, HeldEditorProcedure, kHoldSubclass, reinterpret_cast<DWORD_PTR>(&held));
}

std::optional<std::string> EndedInPlaceTitle(const NMHDR& header) {
    const auto& edit = reinterpret_cast<const NMLVDISPINFOA&>(header);
    if (header.code == LVN_ENDLABELEDITA) return std::string(edit.item.pszText);
    return ToAnsiExactly(reinterpret_cast<const wchar_t*>(edit.item.pszText));
}

}  // namespace pennora
