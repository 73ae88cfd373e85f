#pragma once
// PopupMenuFill, the hot-key fill menu: one item per title of the hot-key
// list, each caption exactly the title, shown at a screen point.
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "platform/win32/Owned.h"
#include "ui/Window.h"

namespace pennora {

class FillMenu {
public:
    // How long (in microseconds) a rebuild, or one turn of the work carried
    // on while idle, may change items before it yields to the user: within
    // one frame.
    static constexpr long long kFrameOfWork = 8000;

    explicit FillMenu(long long frameOfWork = kFrameOfWork);
    FillMenu(const FillMenu&) = delete;
    FillMenu& operator=(const FillMenu&) = delete;

    // Makes the items the titles given; items that stay the same are kept.
    // A menu grown by thousands of items at once takes seconds under Wine
    // (every insert copies the whole item array to a new block): what one
    // frame of work does not finish here is carried on while the program is
    // idle, and whatever is left then is finished before the menu is shown.
    void Rebuild(const std::vector<std::string>& titles);
    // The titles of the last rebuild: what the menu shows when it is shown.
    const std::vector<std::string>& Captions() const { return wanted_; }
    // Whether the items already are those titles.
    bool CaughtUp() const { return caughtUp_; }
    // Makes the items those titles now, however long it takes.
    void CatchUp();
    HMENU handle() const { return menu_.get(); }
    // The caption of the item with this command id, or nothing.
    std::optional<std::string> CaptionOf(UINT id) const;

    // Shows the menu with its top-left corner at a screen point and waits:
    // the caption of the chosen item, or nothing. The menu is owned by a
    // window of the tool that is never shown; it is the foreground window
    // while the menu is open, so the menu takes the keyboard, yet no window
    // of the tool comes in front of the user's. Afterwards the window in
    // front before gets the foreground back and its focused control the focus.
    std::optional<std::string> Popup(POINT topLeft);

    HWND owner() const { return owner_.hwnd(); }

private:
    // Changes items towards the wanted titles until they agree (true) or the
    // performance counter has passed `deadline` (false).
    bool Work(long long deadline);
    void WorkForAFrame();
    void WorkWhileIdle();
    void IdleTurn();
    void NumberAfresh();  // the items' ids from the first on, in order

    // A top-level window that is never shown: unlike a message-only window
    // it can be the foreground window. Its timer runs the turns of work
    // carried on while the program is idle.
    class HiddenOwner final : public Window {
    public:
        explicit HiddenOwner(FillMenu& menu);
        ~HiddenOwner() override;

    protected:
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        FillMenu& fillMenu_;
    };

    long long frameOfWork_;  // microseconds
    HiddenOwner owner_;
    OwnedMenu menu_;
    std::vector<std::string> wanted_;
    std::vector<std::string> captions_;  // the items' captions as they are
    std::vector<UINT> ids_;              // the items' command ids, parallel to captions_
    UINT nextId_;
    bool caughtUp_ = true;
    bool shown_ = false;        // the items must not change under an open menu
    bool idleTimerOn_ = false;
};

}  // namespace pennora
