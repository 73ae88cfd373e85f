#pragma once
// The rules of the Options page ("选项..."), apart from its window: a model of
// the page's controls, their loading from the in-memory settings, the commit
// button and the reset command of the Options menu. The dialog moves states
// between its controls and this model and calls the handlers below.
#include <cstdint>

#include <functional>
#include <string>

#include "app/StartWithWindows.h"
#include "ui/IniFile.h"
#include "ui/ModeFlags.h"
#include "ui/Settings.h"
#include "platform/HotKeyApi.h"
#include "platform/Types.h"
#include "platform/WindowsInput.h"

namespace pennora {

// The combination held by the hot-key capture control HotKey1.
struct HotKeyCombination {
    std::uint16_t key = 0;
    ShiftState shift;
    // The key is one of the extended keys (Insert, Home, the arrows ...): the
    // control names it by its extended scan code, "Home" rather than "Num 7".
    bool extended = false;
    bool operator==(const HotKeyCombination&) const = default;
};

// Whether a virtual-key code stands for an extended key of the keyboard.
bool IsExtendedKey(std::uint16_t key);

// Whether a combination would take an ordinary key from every program: a
// letter, digit or Space without Ctrl or Alt (Shift alone still types).
bool SwallowsOrdinaryKey(const HotKeyCombination& combination);

// The check boxes of the page, by their control names.
enum class OptionsCheck { ChkMinimize, ChkAutoDragFill, ChkAutoHotKey, ChkHotKey, ChkDrag, ChkAutoRun, ChkTabToNextField };

// The states of the page's controls; the initial values are the built-in
// states in force until the page is first loaded.
struct OptionsControls {
    bool ChkMinimize = false;      // MinimizeWhenStartup
    bool ChkAutoDragFill = false;  // AutoStartDragFill
    bool ChkAutoHotKey = false;    // AutoStartHotKey
    bool ChkHotKey = false;        // MinimizeWhenHotKey
    bool ChkDrag = true;           // MinimizeWhenDrag
    bool ChkTabToNextField = false;  // TabToNextField
    HotKeyCombination HotKey1{kVkV, {.ctrl = true, .alt = true}};
    bool BtnOKEnabled = true;
    // Start with Windows: not a setting of the file but the Run value as the
    // registry held it when the page was last shown, and the note under the
    // box about it (another copy's value, a registry that cannot be read).
    bool ChkAutoRun = false;
    std::string AutoRunNote = "";
    // Off while the Run value cannot be read: the box could only guess.
    bool ChkAutoRunEnabled = true;
    bool operator==(const OptionsControls&) const = default;
};

// What BtnOKClick did.
enum class OptionsCommit {
    Refused,         // the combination would swallow an ordinary key: kHotKeyNeedsModifierText
                     // was shown, nothing was written, BtnOK stays enabled
    Committed,       // settings written, the live hot key (if any) replaced, BtnOK disabled
    HotKeyStopped,   // settings written, but the new hot key was refused: no hot key is
                     // registered any more and HotKeyOn was cleared; BtnOK stays enabled.
                     // The window layer releases the hot-key button and menu check mark,
                     // puts the application's icon back in the tray and shows
                     // kHotKeyStoppedStatus on the status line.
};

inline constexpr const char* kHotKeyStoppedStatus = "热键快填已停止：热键注册失败";
inline constexpr const char* kHotKeyRefusedText =
    "Registration of hot-key failed.\r Maybe the keystrokes specified for the hot key have already been "
    "registered by another hot key.";
inline constexpr const char* kHotKeyNeedsModifierText =
    "热键必须含有 Ctrl 或 Alt。单独的字母、数字或空格（或只加 Shift）会让所有程序都收不到这个键。\r\r"
    "选项没有保存，请换一个组合键再按“确 定”。";
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr const char* kResetOptionsText = "您确定要删除所有关于“选项”的个人设置吗？";
inline constexpr const char* kResetOptionsCaption = "警告！";
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbYesNoWarningDefaultNo = 0x134;  // MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2

class OptionsLogic {
public:
    // All references must outlive the object; `mainWindow` owns the hot key
    // and the message boxes. Without `startWithWindows` the page has no
    // start-with-Windows box to keep.
    OptionsLogic(Settings& settings, IniFile& ini, ModeFlags& flags, HotKeyApi& hotKeys, MessageBoxes& input,
                 Hwnd mainWindow, StartWithWindows* startWithWindows = nullptr);

    // The current control states; the dialog shows these after every call below.
    const OptionsControls& Controls() const { return controls_; }

    // The fill page was shown: loads the controls from the in-memory settings.
    // A check box whose state changes enables BtnOK, as a user's click would.
    void TabSheet1Show();

    // The Options page was shown, or the main window came back with it: the
    // start-with-Windows box and its note show the Run value as the registry
    // holds it now (it may have been changed elsewhere). Showing what is there
    // is no change of the user's, so BtnOK keeps its state; a box the user
    // changed and has not committed keeps the user's choice, and only the note
    // follows the registry.
    void OptionsPageShow();

    // A check box now has state `checked` (the user clicked it): BtnOK is
    // enabled if the state changed. Nothing else takes effect before BtnOK.
    void CheckClick(OptionsCheck box, bool checked);

    // The user edited HotKey1's combination: stores it and enables BtnOK.
    void HotKey1Change(HotKeyCombination combination);

    // Commits the page: copies the controls into the settings, writes the seven
    // keys, makes the Run value follow the start-with-Windows box if the user
    // changed the box since it last showed the registry (an untouched box
    // leaves the value to whoever set it; a refusal is shown after the box
    // shows the registry's state again), replaces the
    // live hot key when HotKeyOn is set. Throws Error when a
    // write is refused (the settings in memory are already updated then). A
    // combination that would swallow an ordinary key is refused first.
    OptionsCommit BtnOKClick();

    // Asks for confirmation; on Yes resets the settings and controls to the
    // defaults (Shift+Alt+V) and writes the seven keys. Does not touch the live
    // hot key. Returns whether the reset took place. Throws Error when a write
    // is refused; the settings and controls are then as they were before, as
    // the file still holds them.
    bool ResetOptions1Click();

    // Runs when the logic changed the controls in the middle of a handler,
    // before it tells the user something: the dialog shows the controls then.
    std::function<void()> onControlsChanged;

private:
    bool& CheckState(OptionsCheck box);
    void SetCheck(OptionsCheck box, bool checked);
    void ShowSettings();
    bool ReplaceLiveHotKey();
    void ApplyAutoRun();
    void ShowAutoRun(bool keepChoice);

    Settings& settings_;
    IniFile& ini_;
    ModeFlags& flags_;
    HotKeyApi& hotKeys_;
    MessageBoxes& input_;
    Hwnd mainWindow_;
    StartWithWindows* startWithWindows_;
    OptionsControls controls_;
    // The box's state when it last showed the registry: the user changed the
    // box when it differs from this.
    bool autoRunShown_ = false;
};

}  // namespace pennora
