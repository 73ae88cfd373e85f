#include "fill/HotKeyFill.h"

#include <cstdio>

#include "fill/TextDelivery.h"

namespace pennora {
namespace {

constexpr unsigned kMbIconInformation = 0x40;
constexpr int kMenuOffset = 2;  // the menu opens this far right of and below the caret

struct NamedKey {
    std::uint16_t key;
    const char* name;
};

constexpr NamedKey kKeyNames[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},   {0x0D, "Enter"}, {0x13, "Pause"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"},  {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},  {0x26, "Up"},
    {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},   {0x6A, "Num *"}, {0x6B, "Num +"},
    {0x6D, "Num -"}, {0x6E, "Num ."}, {0x6F, "Num /"}, {0xBA, ";"},     {0xBB, "="},     {0xBC, ","},
    {0xBD, "-"},     {0xBE, "."},     {0xBF, "/"},     {0xC0, "`"},     {0xDB, "["},     {0xDC, "\\"},
    {0xDD, "]"},     {0xDE, "'"},
};

std::string KeyName(std::uint16_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    if (key >= 0x60 && key <= 0x69) return std::string(1, char('0' + key - 0x60));  // number pad digits
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    for (const NamedKey& named : kKeyNames)
        if (named.key == key) return named.name;
    char code[16];
    std::snprintf(code, sizeof code, "#%02X", key);
    return code;
}

// Attaches the tool's input state to another thread's for as long as it
// lives, so the detach runs on every way out.
class AttachedInput {
public:
    AttachedInput(CaretApi& caret, unsigned otherThread)
        : caret_(caret), ownThread_(caret.GetCurrentThreadId()), otherThread_(otherThread) {
        caret_.AttachThreadInput(ownThread_, otherThread_, true);
    }
    ~AttachedInput() { caret_.AttachThreadInput(ownThread_, otherThread_, false); }
    AttachedInput(const AttachedInput&) = delete;
    AttachedInput& operator=(const AttachedInput&) = delete;

private:
    CaretApi& caret_;
    unsigned ownThread_;
    unsigned otherThread_;
};

// Clears a flag when it goes out of scope.
class Raised {
public:
    explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
    ~Raised() { flag_ = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::string ShortcutText(std::uint16_t modifiers, std::uint16_t virtualKey) {
    std::string text;
    if (modifiers & kModShift) text += "Shift+";
    if (modifiers & kModControl) text += "Ctrl+";
    if (modifiers & kModAlt) text += "Alt+";
    return text + KeyName(virtualKey);
}

HotKeyFill::HotKeyFill(Services services, EntryStore& store, const Settings& settings, ModeFlags& flags,
                       Hwnd mainWindow, HotKeyFillView& view)
    : services_(services), store_(store), settings_(settings), flags_(flags), mainWindow_(mainWindow), view_(view) {}

void HotKeyFill::ToolButtonHotKeyClick() {
    if (flags_.hotKeyOn)
        SwitchOff();
    else
        SwitchOn();
}

void HotKeyFill::Notice(const std::string& text, const std::string& caption) {
    services_.boxes.MessageBoxA(mainWindow_, text, caption, kMbIconInformation);
}

// Each notice comes after the mode and everything that shows it are set: a
// notice is modal only to the main window, so the tray menu can switch the
// mode again while it is up, and must find the display telling the truth.
void HotKeyFill::SwitchOn() {
    if (settings_.Shift + settings_.Key == 0) {
        view_.SetHotKeyButton(false);
        Notice(kHotKeyEmptyText, "KestovaPennora");
        view_.ShowHotKeyOptions();
        return;
    }
    if (!services_.hotKeys.RegisterHotKey(mainWindow_, HotKeyId(services_.hotKeys), settings_.Shift, settings_.Key)) {
        view_.SetHotKeyButton(false);
        Notice(kHotKeyTakenText, kHotKeyTakenCaption);
        return;
    }
    flags_.hotKeyOn = true;
    BuildFillMenu();
    ShowMode(true);
    Notice("热键 <" + ShortcutText(settings_.Shift, settings_.Key) + "> 注册成功！", kHotKeyNoticeCaption);
    // Not when the mode was switched off again while the notice was up.
    if (settings_.MinimizeWhenHotKey && flags_.hotKeyOn) view_.MinimizeApplication();
}

void HotKeyFill::SwitchOff() {
    services_.hotKeys.UnregisterHotKey(mainWindow_, HotKeyId(services_.hotKeys));
    flags_.hotKeyOn = false;
    ShowMode(false);
    Notice(kHotKeyOffText, kHotKeyNoticeCaption);
}

void HotKeyFill::ShowMode(bool on) {
    view_.ChangeTrayIcon(on);
    view_.SetHotKeyButton(on);
    view_.SetHotKeyMenuCheck(on);
}

void HotKeyFill::BuildFillMenu() { view_.RebuildFillMenu(store_.WalkHotKeyList()); }

void HotKeyFill::wmhotkey(std::intptr_t lParam) {
    // A press while the menu is open leaves that menu alone: it already
    // belongs to the field the user is filling.
    if (menuOpen_) return;
    // Nor does a press while a fill is still typing: its menu and choice
    // would land in the middle of that fill.
    if (FillRunning()) return;
    std::optional<std::string> chosen = ShowMenuAtCaret(lParam);
    if (chosen) FillMenuItemClick(*chosen);
}

std::optional<std::string> HotKeyFill::ShowMenuAtCaret(std::intptr_t lParam) {
    CaretApi& caret = services_.caret;
    AttachedInput attached(caret, caret.GetWindowThreadProcessId(caret.GetForegroundWindow()));
    const auto modifiers = std::uint16_t(lParam & 0xFFFF);
    const auto key = std::uint16_t((lParam >> 16) & 0xFFFF);
    if (modifiers != settings_.Shift || key != settings_.Key) return std::nullopt;
    Point caretPos;
    if (!caret.GetCaretPos(caretPos)) return std::nullopt;
    fillTarget_ = caret.GetFocus();
    if (!fillTarget_) return std::nullopt;
    Rect rect;
    caret.GetWindowRect(fillTarget_, rect);
    Raised open(menuOpen_);
    return view_.PopupFillMenu({caretPos.x + rect.left + kMenuOffset, caretPos.y + rect.top + kMenuOffset});
}

void HotKeyFill::FillMenuItemClick(std::string caption) {
    const std::string text = store_.GetContentByTitle(caption);
    const Delivery typed = TypeText(services_.posting, fillTarget_, text, {settings_.TabToNextField});
    if (const char* problem = DeliveryProblemText(typed)) view_.ReportRefusedDelivery(problem);
}

}  // namespace pennora
