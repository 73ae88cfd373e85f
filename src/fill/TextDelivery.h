#pragma once
// Typing a text into another program's window: one WM_CHAR posted per byte,
// either straight to a known window (direct delivery) or at the end of a drag
// from one of the tool's drag sources (drop delivery: one synthetic click on
// the window under the cursor, a pause, then the characters).
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/Types.h"
#include "platform/WindowsInput.h"

namespace pennora {

// Cursor ids of the application-wide cursor.
inline constexpr int kCrDefault = 0;
inline constexpr int kCrDrag = -12;

// The byte PostChars leaves out. A drop leaves out LF, so a CR LF line break
// arrives as a single Enter; the direct delivery posts every byte.
inline constexpr unsigned char kSkipLineFeed = 0x0A;
inline constexpr unsigned char kSkipNothing = 0x00;

// The time a dropped-on window gets to take the click and move its focus
// before the first character arrives.
inline constexpr unsigned kDropPauseMs = 800;

// The logical button a release event reports (Left is the primary button,
// whichever physical button that is).
enum class MouseButton { Left, Right, Middle };

// What a drag source does with a release that fails the drop's button test:
// the drag-fill list still puts the cursor back, the matrix icon does nothing.
enum class OnRefusedRelease { Ignore, RestoreCursor };

// The drag state of the whole process, shared by both drag sources.
struct DragState {
    bool DragActive = false;
    int SavedCursor = kCrDefault;
};

// One primary-button click where the cursor is; X and Y go along with the
// absolute flag but no move flag, so the cursor does not move.
void ClickAtCursor(PointerInput& input, int x, int y);

// Posts one WM_CHAR (lParam 1) per byte of the text to the target itself,
// leaving out every byte equal to skip. A refused post does not stop the
// loop; the result says whether every post was accepted, so the caller can
// tell the user that the target refused the text.
bool PostChars(MessagePosting& input, Hwnd target, const std::string& text, unsigned char skip);

// How a release ended.
enum class DropResult {
    NotDropped,  // the button test failed, or no target: nothing was clicked or typed
    Delivered,   // clicked and typed
    Refused,     // clicked, but the target refused some of the typed characters
};

// The drag of a text onto another program's field. One instance per process,
// used by the press and release handlers of both drag sources.
class TextDelivery {
public:
    using TextSource = std::function<std::string()>;

    explicit TextDelivery(PointerInput& input) : input_(input) {}

    bool DragActive() const { return state_.DragActive; }
    int SavedCursor() const { return state_.SavedCursor; }

    // Forgets an armed drag without touching cursor or capture (the drag-fill
    // window does this each time it is shown).
    void Disarm() { state_.DragActive = false; }

    // Called by a press handler that accepted a left press: shows the drag
    // cursor and routes the mouse to captureWindow until the release.
    void ArmDrag(Hwnd captureWindow);

    // Called by a release handler. The caller must have given up the mouse
    // capture already, so that the synthetic click reaches the target rather
    // than the capture window. x, y are the release position of the event;
    // textSource is called once, after the click. A release over one of the
    // excluded windows (the drag source itself) or over any other window of
    // this process is a drag given up: nothing is clicked or typed, and the
    // drag stays armed.
    DropResult DropText(MouseButton releasedButton, int x, int y, std::initializer_list<Hwnd> excludedWindows,
                        const TextSource& textSource, OnRefusedRelease onRefused);

    // Ends an armed drag that has nothing to deliver: no click, no text; the
    // capture and the cursor go back as after a drop.
    void CancelDrag();

private:
    void RestoreCursor() { input_.SetAppCursor(state_.SavedCursor); }

    PointerInput& input_;
    DragState state_;
};

}  // namespace pennora
