#include "fill/TextDelivery.h"

#include <algorithm>

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

bool PostChars(MessagePosting& input, Hwnd target, const std::string& text, unsigned char skip) {
    bool allPosted = true;
    for (const unsigned char byte : text) {
        if (byte == skip) continue;
        if (!input.PostMessageA(target, kWmChar, byte, 1)) allPosted = false;
    }
    return allPosted;
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
    const bool posted = PostChars(input_, target, text, kSkipLineFeed);
    CancelDrag();
    return posted ? DropResult::Delivered : DropResult::Refused;
}

void TextDelivery::CancelDrag() {
    state_.DragActive = false;
    input_.ReleaseCapture();
    RestoreCursor();
}

}  // namespace pennora
