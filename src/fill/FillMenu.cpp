#include "fill/FillMenu.h"

#include <algorithm>

#include "fill/ListDiff.h"
#include "ui/PopupMenu.h"

namespace pennora {
namespace {

// Command ids of the items, 16 bits as a menu command carries them: each new
// item takes the next; when they run out, the items are numbered afresh.
constexpr UINT kFirstItemId = 0x4000;
constexpr UINT kLastItemId = 0xFFFE;
// More items than ids could not be told apart (and no menu that long fits
// on a screen): titles beyond this are left out.
constexpr std::size_t kMostItems = kLastItemId - kFirstItemId + 1;

}  // namespace

FillMenu::HiddenOwner::HiddenOwner() {
    Create("PennoraFillMenuOwner", WNDCLASSEXA{}, WS_EX_TOOLWINDOW, "", WS_POPUP, RECT{0, 0, 0, 0}, nullptr);
}

FillMenu::FillMenu() : menu_(CreatePopupMenu()), nextId_(kFirstItemId) {}

void FillMenu::Rebuild(const std::vector<std::string>& titles) {
    if (titles.size() > kMostItems) {
        Rebuild(std::vector<std::string>(titles.begin(), titles.begin() + long(kMostItems)));
        return;
    }
    const ListChange change = DiffLists(captions_, titles);
    for (std::size_t i = 0; i < change.removed; ++i) DeleteMenu(menu_.get(), UINT(change.first), MF_BYPOSITION);
    ids_.erase(ids_.begin() + long(change.first), ids_.begin() + long(change.first + change.removed));
    // The kept items may hold any ids of the range, the oldest ones too.
    if (change.inserted > kLastItemId + 1 - nextId_) NumberAfresh();
    for (std::size_t i = 0; i < change.inserted; ++i) {
        const std::size_t position = change.first + i;
        InsertMenuA(menu_.get(), UINT(position), MF_BYPOSITION | MF_STRING, nextId_, titles[position].c_str());
        ids_.insert(ids_.begin() + long(position), nextId_++);
    }
    captions_ = titles;
}

void FillMenu::NumberAfresh() {
    nextId_ = kFirstItemId;
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID;
    for (std::size_t position = 0; position < ids_.size(); ++position) {
        item.wID = nextId_;
        SetMenuItemInfoA(menu_.get(), UINT(position), TRUE, &item);
        ids_[position] = nextId_++;
    }
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
    return CaptionOf(chosen);
}

std::optional<std::string> FillMenu::CaptionOf(UINT id) const {
    const auto item = std::find(ids_.begin(), ids_.end(), id);
    if (id == 0 || item == ids_.end()) return std::nullopt;
    return captions_[std::size_t(item - ids_.begin())];
}

}  // namespace pennora
