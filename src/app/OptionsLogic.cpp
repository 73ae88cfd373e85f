#include "app/OptionsLogic.h"

namespace pennora {

bool IsExtendedKey(std::uint16_t key) {
    return (key >= 0x21 && key <= 0x28) ||  // Page Up, Page Down, End, Home, the arrows
           key == 0x2D || key == 0x2E ||    // Insert, Delete
           (key >= 0x5B && key <= 0x5D) ||  // the Windows keys, Applications
           key == 0x6F || key == 0x90;      // numeric-pad divide, Num Lock
}

bool SwallowsOrdinaryKey(const HotKeyCombination& combination) {
    const std::uint16_t key = combination.key;
    const bool ordinary = key == 0x20 || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return ordinary && !combination.shift.ctrl && !combination.shift.alt;
}

OptionsLogic::OptionsLogic(Settings& settings, IniFile& ini, ModeFlags& flags, HotKeyApi& hotKeys,
                           MessageBoxes& input, Hwnd mainWindow, StartWithWindows* startWithWindows)
    : settings_(settings),
      ini_(ini),
      flags_(flags),
      hotKeys_(hotKeys),
      input_(input),
      mainWindow_(mainWindow),
      startWithWindows_(startWithWindows) {}

bool& OptionsLogic::CheckState(OptionsCheck box) {
    switch (box) {
    case OptionsCheck::ChkMinimize: return controls_.ChkMinimize;
    case OptionsCheck::ChkAutoDragFill: return controls_.ChkAutoDragFill;
    case OptionsCheck::ChkAutoHotKey: return controls_.ChkAutoHotKey;
    case OptionsCheck::ChkHotKey: return controls_.ChkHotKey;
    case OptionsCheck::ChkAutoRun: return controls_.ChkAutoRun;
    case OptionsCheck::ChkTabToNextField: return controls_.ChkTabToNextField;
    case OptionsCheck::ChkDrag: break;
    }
    return controls_.ChkDrag;
}

// A check box raises its change event whenever its state actually changes,
// whether the user or the program changed it; the event enables BtnOK.
void OptionsLogic::SetCheck(OptionsCheck box, bool checked) {
    bool& state = CheckState(box);
    if (state == checked) return;
    state = checked;
    controls_.BtnOKEnabled = true;
}

void OptionsLogic::CheckClick(OptionsCheck box, bool checked) { SetCheck(box, checked); }

void OptionsLogic::HotKey1Change(HotKeyCombination combination) {
    controls_.HotKey1 = combination;
    controls_.BtnOKEnabled = true;
}

void OptionsLogic::ShowSettings() {
    controls_.HotKey1 = {settings_.Key, ModifiersToShift(settings_.Shift), IsExtendedKey(settings_.Key)};
    SetCheck(OptionsCheck::ChkHotKey, settings_.MinimizeWhenHotKey);
    SetCheck(OptionsCheck::ChkMinimize, settings_.MinimizeWhenStartup);
    SetCheck(OptionsCheck::ChkDrag, settings_.MinimizeWhenDrag);
    SetCheck(OptionsCheck::ChkAutoDragFill, settings_.AutoStartDragFill);
    SetCheck(OptionsCheck::ChkAutoHotKey, settings_.AutoStartHotKey);
    SetCheck(OptionsCheck::ChkTabToNextField, settings_.TabToNextField);
}

void OptionsLogic::TabSheet1Show() { ShowSettings(); }

void OptionsLogic::OptionsPageShow() { ShowAutoRun(true); }

void OptionsLogic::ShowAutoRun(bool keepChoice) {
    if (!startWithWindows_) return;
    const AutoRunState state = startWithWindows_->Read();
    const bool touched = controls_.ChkAutoRun != autoRunShown_;
    if (!keepChoice || !touched) {
        controls_.ChkAutoRun = state.owner == AutoRunOwner::ThisCopy;
        autoRunShown_ = controls_.ChkAutoRun;
    }
    controls_.AutoRunNote = AutoRunNote(state);
    controls_.ChkAutoRunEnabled = state.owner != AutoRunOwner::Unreadable;
}

// The Run value follows the box only when the user changed it: a box left
// as shown asks for nothing, so another copy that took the value since (or
// a value removed elsewhere) stays as it is. The registry is read again
// first: the box asks for "this copy starts" or "this copy does not start",
// and a value changed since the page was shown is judged by what it holds
// now. The box shows the outcome before a refusal is told.
void OptionsLogic::ApplyAutoRun() {
    if (!startWithWindows_) return;
    const bool on = controls_.ChkAutoRun;
    const long code = on != autoRunShown_ ? startWithWindows_->Apply(on) : kErrorSuccess;
    ShowAutoRun(false);
    if (code == kErrorSuccess) return;
    if (onControlsChanged) onControlsChanged();
    input_.MessageBoxA(mainWindow_, AutoRunFailureText(on, code), "", kMbIconWarning);
}

// Unregisters the old hot key and registers the stored combination under the
// same identifier; false when the system refuses the new combination.
bool OptionsLogic::ReplaceLiveHotKey() {
    hotKeys_.UnregisterHotKey(mainWindow_, HotKeyId(hotKeys_));
    return hotKeys_.RegisterHotKey(mainWindow_, HotKeyId(hotKeys_), settings_.Shift, settings_.Key);
}

OptionsCommit OptionsLogic::BtnOKClick() {
    if (SwallowsOrdinaryKey(controls_.HotKey1)) {
        input_.MessageBoxA(mainWindow_, kHotKeyNeedsModifierText, "", kMbIconWarning);
        return OptionsCommit::Refused;
    }
    settings_.MinimizeWhenHotKey = controls_.ChkHotKey;
    settings_.MinimizeWhenStartup = controls_.ChkMinimize;
    settings_.MinimizeWhenDrag = controls_.ChkDrag;
    settings_.AutoStartDragFill = controls_.ChkAutoDragFill;
    settings_.AutoStartHotKey = controls_.ChkAutoHotKey;
    settings_.TabToNextField = controls_.ChkTabToNextField;
    settings_.Key = controls_.HotKey1.key;
    settings_.Shift = ShiftToModifiers(controls_.HotKey1.shift);
    WriteOptions(ini_, settings_);
    ApplyAutoRun();

    if (flags_.hotKeyOn && !ReplaceLiveHotKey()) {
        input_.MessageBoxA(mainWindow_, kHotKeyRefusedText, "", kMbIconInformation);
        // The old key is gone and the new one was refused: the mode is off now,
        // so that HotKeyOn keeps meaning "a hot key is registered".
        flags_.hotKeyOn = false;
        return OptionsCommit::HotKeyStopped;
    }
    controls_.BtnOKEnabled = false;
    return OptionsCommit::Committed;
}

bool OptionsLogic::ResetOptions1Click() {
    if (input_.MessageBoxA(mainWindow_, kResetOptionsText, kResetOptionsCaption, kMbYesNoWarningDefaultNo) != kIdYes) {
        return false;
    }
    const Settings before = settings_;
    const OptionsControls controlsBefore = controls_;
    controls_.HotKey1 = {kVkV, {.shift = true, .alt = true}};
    settings_.Key = controls_.HotKey1.key;
    settings_.Shift = ShiftToModifiers(controls_.HotKey1.shift);

    const Settings defaults;
    settings_.AutoStartDragFill = defaults.AutoStartDragFill;
    settings_.AutoStartHotKey = defaults.AutoStartHotKey;
    settings_.MinimizeWhenStartup = defaults.MinimizeWhenStartup;
    settings_.MinimizeWhenHotKey = defaults.MinimizeWhenHotKey;
    settings_.MinimizeWhenDrag = defaults.MinimizeWhenDrag;
    settings_.TabToNextField = defaults.TabToNextField;
    ShowSettings();
    try {
        WriteOptions(ini_, settings_);
    } catch (...) {
        // The file keeps the old settings: so do memory and the page.
        settings_ = before;
        controls_ = controlsBefore;
        throw;
    }
    return true;
}

}  // namespace pennora
