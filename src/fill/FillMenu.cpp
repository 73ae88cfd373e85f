#include "fill/FillMenu.h"

#include <algorithm>
#include <climits>

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
// One stored change replaces one title at the most: a delete and an insert.
// A turn of work makes at least that many changes, so a stored change is
// never left for later, however busy the machine.
constexpr std::size_t kLeastChanges = 2;

long long Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The performance counter `microseconds` from now.
long long Deadline(long long microseconds) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return Now() + microseconds * frequency.QuadPart / 1'000'000;
}

// The hidden owner's timer of the turns of work carried on while idle.
constexpr UINT_PTR kIdleTimer = 1;

}  // namespace

FillMenu::HiddenOwner::HiddenOwner(FillMenu& menu) : fillMenu_(menu) {
    Create("PennoraFillMenuOwner", WNDCLASSEXA{}, WS_EX_TOOLWINDOW, "", WS_POPUP, RECT{0, 0, 0, 0}, nullptr);
}

FillMenu::HiddenOwner::~HiddenOwner() { Destroy(); }

// Timer messages come when no other message is waiting.
LRESULT FillMenu::HiddenOwner::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kIdleTimer) {
        fillMenu_.IdleTurn();
        return 0;
    }
    return Default(message, wParam, lParam);
}

FillMenu::FillMenu(long long frameOfWork)
    : frameOfWork_(frameOfWork), owner_(*this), menu_(CreatePopupMenu()), nextId_(kFirstItemId) {}

void FillMenu::Rebuild(const std::vector<std::string>& titles) {
    wanted_.assign(titles.begin(), titles.begin() + long(std::min(titles.size(), kMostItems)));
    caughtUp_ = false;
    if (!shown_) WorkForAFrame();
    if (!caughtUp_) WorkWhileIdle();
}

void FillMenu::CatchUp() {
    while (!caughtUp_) caughtUp_ = Work(LLONG_MAX);
}

void FillMenu::WorkForAFrame() { caughtUp_ = Work(Deadline(frameOfWork_)); }

void FillMenu::WorkWhileIdle() {
    if (idleTimerOn_) return;
    idleTimerOn_ = SetTimer(owner_.hwnd(), kIdleTimer, USER_TIMER_MINIMUM, nullptr) != 0;
}

void FillMenu::IdleTurn() {
    if (shown_) return;
    WorkForAFrame();
    if (!caughtUp_) return;
    KillTimer(owner_.hwnd(), kIdleTimer);
    idleTimerOn_ = false;
}

bool FillMenu::Work(long long deadline) {
    const ListChange change = DiffLists(captions_, wanted_);
    const auto first = long(change.first);
    std::size_t changes = 0;
    const auto timeLeft = [&] { return changes < kLeastChanges || Now() < deadline; };

    std::size_t removed = 0;
    for (; removed < change.removed && timeLeft(); ++removed, ++changes)
        DeleteMenu(menu_.get(), UINT(change.first), MF_BYPOSITION);
    captions_.erase(captions_.begin() + first, captions_.begin() + first + long(removed));
    ids_.erase(ids_.begin() + first, ids_.begin() + first + long(removed));
    if (removed < change.removed) return false;

    // The kept items may hold any ids of the range, the oldest ones too.
    if (change.inserted > kLastItemId + 1 - nextId_) NumberAfresh();
    std::vector<UINT> newIds;
    for (std::size_t position = change.first; newIds.size() < change.inserted && timeLeft(); ++position) {
        InsertMenuA(menu_.get(), UINT(position), MF_BYPOSITION | MF_STRING, nextId_, wanted_[position].c_str());
        newIds.push_back(nextId_++);
        ++changes;
    }
    captions_.insert(captions_.begin() + first, wanted_.begin() + first, wanted_.begin() + first + long(newIds.size()));
    ids_.insert(ids_.begin() + first, newIds.begin(), newIds.end());
    return newIds.size() == change.inserted;
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
std::optional<std::string> FillMenu::Popup(POINT topLeft) {
    CatchUp();
    HWND previous = GetForegroundWindow();
    HWND focused = GetFocus();
    shown_ = true;
    const UINT chosen =
        TrackMenuInFront(menu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, topLeft, owner_.hwnd());
    shown_ = false;
    if (previous) SetForegroundWindow(previous);
    if (focused && IsWindow(focused)) SetFocus(focused);
    // A rebuild while the menu was open waits for it to close; the choice
    // is read from the items that were shown.
    std::optional<std::string> caption = CaptionOf(chosen);
    if (!caughtUp_) WorkWhileIdle();
    return caption;
}

std::optional<std::string> FillMenu::CaptionOf(UINT id) const {
    const auto item = std::find(ids_.begin(), ids_.end(), id);
    if (id == 0 || item == ids_.end()) return std::nullopt;
    return captions_[std::size_t(item - ids_.begin())];
}

}  // namespace pennora
