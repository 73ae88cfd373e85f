#pragma once
// Hot-key fill: while the mode is on, a system-wide hot key opens the fill
// menu of the hot-key list's titles at the caret of the focused field of any
// program, and the chosen title's content is typed there.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "entries/EntryStore.h"
#include "platform/CaretApi.h"
#include "platform/HotKeyApi.h"
#include "platform/WindowsInput.h"
#include "ui/ModeFlags.h"
#include "ui/Settings.h"

namespace pennora {

// What the main window shows of the mode: its button, tray item and icon,
// the fill menu, and the pages it may bring forward.
class HotKeyFillView {
public:
    virtual ~HotKeyFillView() = default;
    virtual void SetHotKeyButton(bool pressed) = 0;     // ToolButtonHotKey's pressed state
    virtual void SetHotKeyMenuCheck(bool checked) = 0;  // MnuHotkeyfilling's check mark
    virtual void ShowHotKeyOptions() = 0;               // the Options page, HotKey1 focused
    virtual void MinimizeApplication() = 0;
    virtual void ChangeTrayIcon(bool hotKeyIcon) = 0;   // HotKeyIcon or the application's icon
    // Replaces the items of PopupMenuFill, one per title, captions as given.
    virtual void RebuildFillMenu(const std::vector<std::string>& titles) = 0;
    // Shows PopupMenuFill with its top-left corner at a screen point and waits
    // for the user: the caption of the chosen item, or nothing.
    virtual std::optional<std::string> PopupFillMenu(Point topLeft) = 0;
    // A fill did not arrive whole (refused by the target, a program running
    // with higher rights, a Tab that did not move on, the target gone): tell
    // the user, without a modal box, the text given.
    virtual void ReportRefusedDelivery(const std::string& text) = 0;
};

inline constexpr const char* kHotKeyEmptyText = "热键注册失败（热键不应为空）！\r请先到“选项”页中设置热键。";
inline constexpr const char* kHotKeyTakenText = "热键注册失败。\r 这种情况可能由于其它应用程序已经注册该热键冲突所致。";
inline constexpr const char* kHotKeyTakenCaption = "热键注册失败";
inline constexpr const char* kHotKeyOffText = "热键取消！";
inline constexpr const char* kHotKeyNoticeCaption = "Pennora";

// The name of a combination as the success notice shows it: "Shift+", "Ctrl+"
// and "Alt+" for the modifier flags present, then the key's name
// ("Shift+Alt+V", "Ctrl+F5", "Alt+Num *").
std::string ShortcutText(std::uint16_t modifiers, std::uint16_t virtualKey);

class HotKeyFill {
public:
    struct Services {
        HotKeyApi& hotKeys;
        CaretApi& caret;
        MessageBoxes& boxes;
        KeyPosting& posting;
    };
    // All references must outlive the object; `mainWindow` owns the hot key.
    HotKeyFill(Services services, EntryStore& store, const Settings& settings, ModeFlags& flags, Hwnd mainWindow,
               HotKeyFillView& view);

    // Switches the mode on when it is off, off when it is on.
    void ToolButtonHotKeyClick();
    // WM_HOTKEY: the fill menu at the caret of the focused field.
    void wmhotkey(std::intptr_t lParam);
    // Rebuilds the fill menu from the hot-key list (a walk of the store).
    void BuildFillMenu();
    void BuildFillMenu(const std::vector<std::string>& titles) { view_.RebuildFillMenu(titles); }
    // Types the content of the first entry titled `caption` into FillTarget.
    // The caption is a copy: rebuilding the menu during the lookup cannot
    // take it away.
    void FillMenuItemClick(std::string caption);

    Hwnd FillTarget() const { return fillTarget_; }
    bool MenuOpen() const { return menuOpen_; }

private:
    void SwitchOn();
    void SwitchOff();
    void ShowMode(bool on);  // the tray icon, the button and the tray item's check mark
    void Notice(const std::string& text, const std::string& caption);
    std::optional<std::string> ShowMenuAtCaret(std::intptr_t lParam);

    Services services_;
    EntryStore& store_;
    const Settings& settings_;
    ModeFlags& flags_;
    Hwnd mainWindow_;
    HotKeyFillView& view_;
    Hwnd fillTarget_ = 0;
    bool menuOpen_ = false;
};

}  // namespace pennora
