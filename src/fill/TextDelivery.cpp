#include "fill/TextDelivery.h"

#include <algorithm>
#include <cstddef>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>

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
constexpr unsigned kErrorAccessDenied = 5;
constexpr unsigned kErrorInvalidWindowHandle = 1400;
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kMapVkToVsc = 0;
constexpr unsigned kWmNull = 0x0000;
constexpr unsigned kSmtoAbortIfHung = 0x0002;
constexpr unsigned kGaRoot = 2;
constexpr std::intptr_t kPreviousStateBit = std::intptr_t(1) << 30;
constexpr std::intptr_t kTransitionBit = std::intptr_t(1) << 31;

bool fillRunning = false;

// Marks a typing as running for as long as it lives.
class RunningFill {
public:
    RunningFill() : was_(std::exchange(fillRunning, true)) {}
    ~RunningFill() { fillRunning = was_; }
    RunningFill(const RunningFill&) = delete;
    RunningFill& operator=(const RunningFill&) = delete;

private:
    bool was_;
};

// Posts to one target window, keeps count of what it refused, and of how
// many messages went into the target's queue since the last wait for it.
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
        const bool accepted = !refused_ && !Stopped();
        refused_ = refused_ || refusedBefore;
        return accepted;
    }

    // Nothing more can arrive: the target has higher rights, or is gone.
    bool Stopped() const { return elevated_ || closed_; }
    Delivery Result() const {
        if (elevated_) return Delivery::RefusedElevated;
        if (closed_) return Delivery::Closed;
        return refused_ ? Delivery::Refused : Delivery::Delivered;
    }
    Hwnd Target() const { return target_; }
    void MoveTo(Hwnd target) { target_ = target; }
    // The messages posted whose taking the target has not yet shown by its
    // answers to sent messages; a wait that ends early leaves the rest owed
    // to the next one.
    unsigned Unanswered() const { return queued_; }
    void SetUnanswered(unsigned count) { queued_ = count; }

private:
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        if (Stopped()) return;
        if (input_.PostMessageA(target_, message, wParam, lParam)) {
            ++queued_;
            return;
        }
        refused_ = true;
        const unsigned error = input_.GetLastError();
        if (error == kErrorAccessDenied)
            elevated_ = true;
        else if (error == kErrorInvalidWindowHandle || !input_.IsWindow(target_))
            closed_ = true;
    }

    KeyPosting& input_;
    Hwnd target_;
    unsigned queued_ = 0;
    bool refused_ = false;
    bool elevated_ = false;
    bool closed_ = false;
};

// The standard controls and the edit boxes of class libraries built on
// them (their classes carry names of their own, such as "TEdit",
// "WindowsForms10.EDIT.app.0.1" or "ThunderRT6TextBox"): each is one field,
// so a Tab that leaves the focus on one of them did not move on. A window
// whose class cannot be read counts as one too. Other windows (a browser's
// page) may move among fields they draw themselves while keeping the focus.
bool IsSingleFieldControl(const std::string& className) {
    if (className.empty()) return true;
    std::string name = className;
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* part : {"edit", "memo", "textbox", "combo", "listbox", "button"})
        if (name.find(part) != std::string::npos) return true;
    return false;
}

struct TabWait {
    unsigned thread;   // the target's thread, whose focus is followed
    Hwnd before;       // its focus just before the Tab
    Hwnd form;         // the top-level window holding the target
    std::uint64_t fillStarted;
};

// Waits, after a Tab key, until the target's thread has taken it and its
// focus has settled: on another window of the same top-level window (seen
// on two looks running), or, for a window that moves among fields of its
// own, on the same window once the key is taken and the focus has held still
// for a settle time. Each look first lets the thread answer a sent message:
// a message loop answers at least one before it takes each posted message,
// so until as many answers as messages were queued have come, the Tab is
// surely not taken (a loop that peeks before it gets answers more, hence the
// settle time and the class test). A target that has not answered them
// within the Tab's limit is too slow (busy or hung). The target's top-level
// window must stay in front and hold the focus: otherwise nothing more is
// typed.
Delivery FollowFocus(KeyPosting& input, KeyTyping& typing, const TabWait& wait, Hwnd& next) {
    unsigned answersDue = typing.Unanswered() + 1;
    // Whatever way the wait ends, the answers still owed stay owed.
    struct Owed {
        KeyTyping& typing;
        const unsigned& due;
        ~Owed() { typing.SetUnanswered(due > 0 ? due - 1 : 0); }
    } owed{typing, answersDue};
    const std::uint64_t tabPosted = input.GetTickCount64();
    Hwnd seen = 0;
    std::uint64_t stillSince = tabPosted;
    for (;;) {
        const std::uint64_t now = input.GetTickCount64();
        if (now - wait.fillStarted >= kFillWaitLimitMs) return Delivery::TooSlow;
        if (now - tabPosted >= kTabFocusLimitMs) return answersDue > 0 ? Delivery::TooSlow : Delivery::FocusStayed;
        if (answersDue == 0) {
            input.WaitDrawing(kTabFocusPollMs);
        } else if (input.SendMessageTimeoutA(typing.Target(), kWmNull, 0, 0, kSmtoAbortIfHung, kRoundTripLimitMs)) {
            --answersDue;
        } else if (!input.IsWindow(typing.Target())) {
            return Delivery::Closed;
        } else {
            input.WaitDrawing(kTabFocusPollMs);  // busy or hung: look again later
        }
        if (!input.IsWindow(typing.Target())) return Delivery::Closed;
        // A thread whose focus cannot be read cannot be followed.
        GuiThreadInfo info;
        if (!input.GetGUIThreadInfo(wait.thread, info)) return Delivery::FocusUnknown;
        const Hwnd foreground = input.GetForegroundWindow();
        if (foreground != 0 && foreground != wait.form) return Delivery::Interrupted;
        const Hwnd focus = info.focus;
        if (focus != 0 && focus != wait.before) {
            if (input.GetAncestor(focus, kGaRoot) != wait.form) return Delivery::Interrupted;
            if (focus == seen) {
                next = focus;
                return Delivery::Delivered;
            }
            seen = focus;
            continue;
        }
        if (seen != 0) stillSince = input.GetTickCount64();
        seen = 0;
        if (focus == wait.before && answersDue == 0 && input.GetTickCount64() - stillSince >= kTabSettleMs &&
            !IsSingleFieldControl(input.RealGetWindowClassA(focus))) {
            next = focus;
            return Delivery::Delivered;
        }
    }
}

// The Tab key into the target, then the typing goes on where the focus went.
Delivery NextField(KeyPosting& input, KeyTyping& typing, std::uint64_t fillStarted) {
    TabWait wait{input.GetWindowThreadProcessId(typing.Target(), nullptr), 0, 0, fillStarted};
    if (wait.thread == 0) return Delivery::Closed;
    // A window of the tool's own thread: its loop would take the Tab only
    // after the fill, while the text before the Tab still waits in the queue
    // for the old field, and nothing of that queue may run inside the fill (a
    // queued Enter can press a button whose handler opens a modal box). So a
    // fill stops at its first Tab there and says why; what came before it
    // arrives in the field.
    if (wait.thread == input.GetCurrentThreadId()) return Delivery::OwnWindow;
    GuiThreadInfo info;
    if (!input.GetGUIThreadInfo(wait.thread, info)) return Delivery::FocusUnknown;
    wait.before = info.focus != 0 ? info.focus : typing.Target();
    wait.form = input.GetAncestor(typing.Target(), kGaRoot);
    if (!typing.Key(kVkTab, 0)) {
        // The focus cannot move on: nothing more goes anywhere.
        return typing.Stopped() ? typing.Result() : Delivery::Refused;
    }
    Hwnd next = 0;
    const Delivery followed = FollowFocus(input, typing, wait, next);
    if (followed == Delivery::Delivered) typing.MoveTo(next);
    return followed;
}

// The app-starting cursor of a waiting fill covers the cursor the drag state
// calls for. While it shows, the drag's cursor changes are kept beneath it,
// and the cover ends on the last of them: a drag armed or ended by a handler
// run inside a fill's wait leaves the cursor of that drag state, never the
// cursor the fill found. Only the outermost of nested fills shows it.
int busyFills = 0;
int cursorBeneathBusy = kCrDefault;

// The cursor the drag state calls for now.
int DragCursor(KeyPosting& input) { return busyFills > 0 ? cursorBeneathBusy : input.GetAppCursor(); }

void ShowDragCursor(KeyPosting& input, int cursorId) {
    if (busyFills > 0)
        cursorBeneathBusy = cursorId;
    else
        input.SetAppCursor(cursorId);
}

// Shows the app-starting cursor for as long as it lives, then the cursor
// the drag state then calls for, whatever way the fill ends.
class BusyCursor {
public:
    explicit BusyCursor(KeyPosting& input) : input_(input) {
        if (busyFills++ > 0) return;
        cursorBeneathBusy = input_.GetAppCursor();
        input_.SetAppCursor(kCrAppStart);
    }
    ~BusyCursor() {
        if (--busyFills == 0) input_.SetAppCursor(cursorBeneathBusy);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    KeyPosting& input_;
};

}  // namespace

bool FillRunning() { return fillRunning; }

Delivery TypeText(KeyPosting& input, Hwnd target, const std::string& text, TypingRules rules) {
    RunningFill running;
    KeyTyping typing(input, target);
    std::uint64_t started = 0;
    // From the first Tab on the fill may wait for the target (up to
    // kFillWaitLimitMs in all): the cursor says the tool is busy.
    std::optional<BusyCursor> busy;
    for (std::size_t at = 0; at < text.size() && !typing.Stopped(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == kCr || byte == kLf) {
            // CR LF is one line break; so is a CR or an LF on its own.
            if (byte == kCr && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) == kLf) ++at;
            typing.Key(kVkReturn, kCr);
        } else if (byte == kTab && rules.tabToNextField) {
            if (!busy) {
                started = input.GetTickCount64();
                busy.emplace(input);
            }
            const Delivery moved = NextField(input, typing, started);
            if (moved != Delivery::Delivered) return moved;
        } else {
            typing.Char(byte);
        }
    }
    return typing.Result();
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
        return "填写中途另一个窗口到了前台或得到了焦点，其余的文字没有输入。";
    case Delivery::FocusUnknown:
        return "按 Tab 后读不到目标程序的输入焦点，无法确定下一个输入框，其余的文字没有输入。";
    case Delivery::Closed:
        return "填写中途目标窗口已关闭，其余的文字没有输入。";
    case Delivery::TooSlow:
        return "目标程序没有响应（忙碌或已停止响应），按 Tab 后没能及时切换输入框，填写已停止，其余的文字没有输入。";
    case Delivery::OwnWindow:
        return "在 Pennora 自己的窗口里，内容中的 Tab 不会切换到下一个输入框：第一个 Tab 之前的文字已输入，"
               "其余的文字没有输入。";
    case Delivery::NotDropped:
    case Delivery::Delivered:
        break;
    }
    return nullptr;
}

void TextDelivery::ArmDrag(Hwnd captureWindow) {
    state_.SavedCursor = DragCursor(input_);
    ShowDragCursor(input_, kCrDrag);
    input_.SetCapture(captureWindow);
    state_.DragActive = true;
}

DropResult TextDelivery::DropText(MouseButton releasedButton, int x, int y, std::initializer_list<Hwnd> excludedWindows,
                                  const TextSource& textSource, OnRefusedRelease onRefused) {
    if (!state_.DragActive || releasedButton != MouseButton::Left) {
        if (onRefused == OnRefusedRelease::RestoreCursor) RestoreCursor();
        return DropResult::NotDropped;
    }
    // A drop while another fill is still typing would click into the middle
    // of that fill: the drag ends with nothing clicked or typed.
    if (FillRunning()) {
        CancelDrag();
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

void TextDelivery::RestoreCursor() { ShowDragCursor(input_, state_.SavedCursor); }

void TextDelivery::CancelDrag() {
    state_.DragActive = false;
    input_.ReleaseCapture();
    RestoreCursor();
}

}  // namespace pennora
