#include "fill/TextDelivery.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace pennora {
namespace {

constexpr unsigned kMouseAbsolute = 0x8000;
constexpr unsigned kMouseLeftDown = 0x0002;
constexpr unsigned kMouseLeftUp = 0x0004;
constexpr unsigned kMouseRightDown = 0x0008;
constexpr unsigned kMouseRightUp = 0x0010;

}  // namespace

void ClickAtCursor(PointerInput& input, int x, int y) {
    // With swapped buttons the physical right button is the primary one.
    const bool swapped = input.GetSystemMetrics(kSmSwapButton) > 0;
    const unsigned down = swapped ? kMouseRightDown : kMouseLeftDown;
    const unsigned up = swapped ? kMouseRightUp : kMouseLeftUp;
    input.mouse_event(kMouseAbsolute | down, x, y, 0, 0);
    input.mouse_event(kMouseAbsolute | up, x, y, 0, 0);
}

namespace {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kTab = 0x09;
constexpr unsigned kPostAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kMapVkToVsc = 0;
constexpr std::intptr_t kPreviousStateBit = std::intptr_t(1) << 30;
constexpr std::intptr_t kTransitionBit = std::intptr_t(1) << 31;

// Posts to one target window and keeps count of what it refused.
class KeyTyping {
public:
    KeyTyping(KeyPosting& input, Hwnd target) : input_(input), target_(target) {}

    // One character message, as the keyboard layout would make it.
    void Char(unsigned char byte, std::intptr_t lParam = 1) { Post(kWmChar, byte, lParam); }

    // A key going down and coming up, with the lParams of a press: repeat
    // count 1 and the key's scan code; the up also sets the previous-state
    // and transition bits. `character`, when not 0, is the character message
    // the key makes, posted between the two. The down carries the up-flag of
    // its scan code (the transition bit) as well: the target's own
    // TranslateMessage then makes no second character of it, which it would
    // post behind everything already queued, a line break at the end of the
    // text. Key handlers (rich edits, the dialog manager, browsers) read the
    // virtual key and take it as pressed.
    // False when a post of this key was refused.
    bool Key(unsigned virtualKey, unsigned char character) {
        const bool refusedBefore = refused_;
        refused_ = false;
        const std::intptr_t press = 1 | (std::intptr_t(input_.MapVirtualKeyA(virtualKey, kMapVkToVsc) & 0xFF) << 16);
        const std::intptr_t down = press | kTransitionBit;
        Post(kWmKeyDown, virtualKey, down);
        if (character) Post(kWmChar, character, press);
        Post(kWmKeyUp, virtualKey, press | kPreviousStateBit | kTransitionBit);
        const bool accepted = !refused_ && !elevated_;
        refused_ = refused_ || refusedBefore;
        return accepted;
    }

    bool Elevated() const { return elevated_; }
    bool AnyRefused() const { return refused_; }
    Hwnd Target() const { return target_; }
    void MoveTo(Hwnd target) { target_ = target; }

private:
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        if (elevated_) return;
        if (input_.PostMessageA(target_, message, wParam, lParam)) return;
        refused_ = true;
        if (input_.GetLastError() == kPostAccessDenied) elevated_ = true;
    }

    KeyPosting& input_;
    Hwnd target_;
    bool refused_ = false;
    bool elevated_ = false;
};

unsigned ProcessOf(KeyPosting& input, Hwnd window) {
    unsigned process = 0;
    if (!input.GetWindowThreadProcessId(window, &process)) return 0;
    return process;
}

// Waits, after a Tab key posted to `field`, until the focus of the target's
// thread has moved to another window and stayed there for one more look.
// Gives up when the thread is gone, when the focus or the foreground window
// is no longer the target program's, or when the limit passes.
Delivery FollowFocus(KeyPosting& input, Hwnd field, unsigned thread, unsigned process, Hwnd& next) {
    Hwnd seen = 0;
    for (unsigned waited = 0; waited < kTabFocusLimitMs; waited += kTabFocusPollMs) {
        input.Sleep(kTabFocusPollMs);
        GuiThreadInfo info;
        if (!input.GetGUIThreadInfo(thread, info)) return Delivery::Interrupted;
        if (ProcessOf(input, input.GetForegroundWindow()) != process) return Delivery::Interrupted;
        if (info.focus == 0 || info.focus == field) {
            seen = 0;
            continue;
        }
        if (ProcessOf(input, info.focus) != process) return Delivery::Interrupted;
        if (info.focus == seen) {
            next = seen;
            return Delivery::Delivered;
        }
        seen = info.focus;
    }
    return Delivery::FocusStayed;
}

}  // namespace

Delivery TypeText(KeyPosting& input, Hwnd target, const std::string& text, TypingRules rules) {
    KeyTyping typing(input, target);
    unsigned process = 0;
    const unsigned thread = input.GetWindowThreadProcessId(target, &process);
    for (std::size_t at = 0; at < text.size() && !typing.Elevated(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == kCr || byte == kLf) {
            // CR LF is one line break; so is a CR or an LF on its own.
            if (byte == kCr && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) == kLf) ++at;
            typing.Key(kVkReturn, kCr);
        } else if (byte == kTab && rules.tabToNextField) {
            if (!typing.Key(kVkTab, 0)) {
                if (typing.Elevated()) break;
                return Delivery::Refused;  // the focus cannot move on: nothing more goes anywhere
            }
            if (thread == 0) return Delivery::Interrupted;
            Hwnd next = 0;
            const Delivery followed = FollowFocus(input, typing.Target(), thread, process, next);
            if (followed != Delivery::Delivered) return followed;
            typing.MoveTo(next);
        } else {
            typing.Char(byte);
        }
    }
    if (typing.Elevated()) return Delivery::RefusedElevated;
    return typing.AnyRefused() ? Delivery::Refused : Delivery::Delivered;
}

const char* DeliveryProblemText(Delivery result) {
    switch (result) {
    case Delivery::Refused:
        return "目标窗口拒绝了输入的文字，文字没有完整送达。";
    case Delivery::RefusedElevated:
        return "目标程序以管理员身份运行，Pennora 无法向它输入文字。请以管理员身份运行 Pennora，"
               "或以普通身份运行目标程序。";
    case Delivery::FocusStayed:
        return "按 Tab 后焦点没有移到下一个输入框，其余的文字没有输入。";
    case Delivery::Interrupted:
        return "填写中途目标程序已关闭或不在前台，其余的文字没有输入。";
    case Delivery::NotDropped:
    case Delivery::Delivered:
        break;
    }
    return nullptr;
}

void TextDelivery::ArmDrag(Hwnd captureWindow) {
    state_.SavedCursor = input_.GetAppCursor();
    input_.SetAppCursor(kCrDrag);
    input_.SetCapture(captureWindow);
    state_.DragActive = true;
}

DropResult TextDelivery::DropText(MouseButton releasedButton, int x, int y, std::initializer_list<Hwnd> excludedWindows,
                                  const TextSource& textSource, OnRefusedRelease onRefused) {
    if (!state_.DragActive || releasedButton != MouseButton::Left) {
        if (onRefused == OnRefusedRelease::RestoreCursor) RestoreCursor();
        return DropResult::NotDropped;
    }
    const Hwnd target = input_.WindowFromPoint(input_.GetCursorPos());
    // No window of the tool itself takes a drop (the drag-fill window's find
    // box, the main window and its pages), whether the source listed it or not.
    const bool ownWindow = target != 0 && input_.GetWindowThreadProcessId(target) == input_.GetCurrentProcessId();
    if (target == 0 || ownWindow ||
        std::find(excludedWindows.begin(), excludedWindows.end(), target) != excludedWindows.end()) {
        // An aborted drop stays armed: the next left release on either
        // source drops at that point.
        RestoreCursor();
        return DropResult::NotDropped;
    }
    ClickAtCursor(input_, x, y);
    std::string text;
    try {
        text = textSource();
    } catch (...) {
        // The drag is over whatever the source did: no armed drag, capture or
        // drag cursor is left behind for the error report to sit on.
        CancelDrag();
        throw;
    }
    input_.Sleep(kDropPauseMs);
    const Delivery typed = TypeText(input_, target, text, {tabToNextField_ && *tabToNextField_});
    CancelDrag();
    return typed;
}

void TextDelivery::CancelDrag() {
    state_.DragActive = false;
    input_.ReleaseCapture();
    RestoreCursor();
}

}  // namespace pennora
