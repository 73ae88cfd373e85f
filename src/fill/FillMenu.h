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
    FillMenu();
    FillMenu(const FillMenu&) = delete;
    FillMenu& operator=(const FillMenu&) = delete;

    // Makes the items the titles given; items that stay the same are kept.
    void Rebuild(const std::vector<std::string>& titles);
    const std::vector<std::string>& Captions() const { return captions_; }
    HMENU handle() const { return menu_.get(); }
    // The caption of the item with this command id, or nothing.
    std::optional<std::string> CaptionOf(UINT id) const;

    // Shows the menu with its top-left corner at a screen point and waits:
    // the caption of the chosen item, or nothing. The menu is owned by a
    // window of the tool that is never shown; it is the foreground window
    // while the menu is open, so the menu takes the keyboard, yet no window
    // of the tool comes in front of the user's. Afterwards the window in
    // front before gets the foreground back and its focused control the focus.
    std::optional<std::string> Popup(POINT topLeft) const;

    HWND owner() const { return owner_.hwnd(); }

private:
    void NumberAfresh();  // the items' ids from the first on, in order

    // A top-level window that is never shown: unlike a message-only window
    // it can be the foreground window.
    class HiddenOwner final : public Window {
    public:
        HiddenOwner();
    };

    HiddenOwner owner_;
    OwnedMenu menu_;
    std::vector<std::string> captions_;
    std::vector<UINT> ids_;  // the items' command ids, parallel to captions_
    UINT nextId_;
};

}  // namespace pennora
