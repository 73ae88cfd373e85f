#include "fill/FillMenu.h"

#include <algorithm>

#include "fill/ListDiff.h"
#include "ui/PopupMenu.h"

namespace pennora {
namespace {

// Command ids of the items: each new item takes the next, from this on.
constexpr UINT kFirstItemId = 0x4000;

}  // namespace

FillMenu::HiddenOwner::HiddenOwner() {
    Create("PennoraFillMenuOwner", WNDCLASSEXA{}, WS_EX_TOOLWINDOW, "", WS_POPUP, RECT{0, 0, 0, 0}, nullptr);
}

FillMenu::FillMenu() : menu_(CreatePopupMenu()), nextId_(kFirstItemId) {}

void FillMenu::Rebuild(const std::vector<std::string>& titles) {
    const ListChange change = DiffLists(captions_, titles);
    for (std::size_t i = 0; i < change.removed; ++i) DeleteMenu(menu_.get(), UINT(change.first), MF_BYPOSITION);
    ids_.erase(ids_.begin() + long(change.first), ids_.begin() + long(change.first + change.removed));
    for (std::size_t i = 0; i < change.inserted; ++i) {
        const std::size_t position = change.first + i;
        if (nextId_ == 0xFFFF) nextId_ = kFirstItemId;  // ids are 16-bit; old ones are long gone by then
        InsertMenuA(menu_.get(), UINT(position), MF_BYPOSITION | MF_STRING, nextId_, titles[position].c_str());
        ids_.insert(ids_.begin() + long(position), nextId_++);
    }
    captions_ = titles;
}

// The focus is read and put back in the input state the caller shares with
// the user's window (the hot key attaches to it): a program that does not
// give the focus back to its field when it is activated again keeps it there.
std::optional<std::string> FillMenu::Popup(POINT topLeft) const {
    HWND previous = GetForegroundWindow();
    HWND focused = GetFocus();
    const UINT chosen =
        TrackMenuInFront(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, topLeft, owner_.hwnd());
    if (previous) SetForegroundWindow(previous);
    if (focused && IsWindow(focused)) SetFocus(focused);
    const auto item = std::find(ids_.begin(), ids_.end(), chosen);
    if (chosen == 0 || item == ids_.end()) return std::nullopt;
    return captions_[std::size_t(item - ids_.begin())];
}

}  // namespace pennora
