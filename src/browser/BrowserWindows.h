#pragma once
// Hiding and showing every open browser window at once, through the shell's
// collection of browser windows.
#include <string>

#include "platform/ShellWindows.h"

namespace pennora {

inline constexpr const char* kHideIEHint = "快速隐藏IE窗口";  // before the first use
inline constexpr const char* kShowAllIEHint = "显示所有IE浏览器窗口";
inline constexpr const char* kHideAllIEHint = "隐藏所有IE浏览器窗口";

class BrowserWindows {
public:
    explicit BrowserWindows(ShellWindowsApi& shell) : shell_(shell) {}

    // Hides (true) or shows (false) every window of the collection, the last
    // one first; a window that fails is skipped. `hidden` (IEWindowsHidden)
    // follows once a window is handled. Returns the tool button's new hint,
    // or "" when it keeps its text (an empty collection). Throws Error when
    // the collection cannot be made or counted; then nothing changes.
    // A request that arrives while a walk is still under way (the calls into
    // the shell let the user interface handle messages meanwhile) does
    // nothing, so the two walks cannot interleave.
    std::string HideIEWindow(bool hide, bool& hidden);

private:
    ShellWindowsApi& shell_;
    bool walking_ = false;
};

}  // namespace pennora
