#pragma once
// Typing a text into another program's window as a user's keys would arrive:
// one WM_CHAR posted per byte, a line break as the Enter key, and (when the
// user wants it) a Tab as the Tab key that moves on to the next field. Either
// straight to a known window (direct delivery) or at the end of a drag from
// one of the tool's drag sources (drop delivery: one synthetic click on the
// window under the cursor, a pause, then the keys).
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/Types.h"
#include "platform/WindowsInput.h"

namespace pennora {

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

// How a typing (and a drop) ended.
enum class Delivery {
    NotDropped,       // a drop whose button test failed, or no target: nothing was clicked or typed
    Delivered,        // every key arrived
    Refused,          // the target refused some of the typed characters
    RefusedElevated,  // the target runs with higher rights and refused the keys (access denied)
    FocusStayed,      // a Tab did not move the focus on: the rest was not typed
    Interrupted,      // another window came to the front or took the focus at a Tab: the rest was not typed
    FocusUnknown,     // the target's focus could not be read at a Tab: the rest was not typed
    Closed,           // the target window closed during the typing: the rest was not typed
    TooSlow,          // the target did not take a Tab in time (busy or hung): the rest was not typed
    OwnWindow,        // a Tab into one of the tool's own windows: the rest was not typed
};
using DropResult = Delivery;

struct TypingRules {
    // A Tab arrives as the Tab key and the rest goes to the field that then
    // has the focus; otherwise a Tab is typed as a character.
    bool tabToNextField = false;
};

// How long a Tab waits for the target to take the key and for its focus to
// move on and settle, and how often it looks once the key is taken.
inline constexpr unsigned kTabFocusLimitMs = 2000;
inline constexpr unsigned kTabFocusPollMs = 15;
// How long the focus must stay on the window that had it before the Tab
// before that window (one that draws its own fields) gets the rest.
inline constexpr unsigned kTabSettleMs = 200;
// How long one look waits for the target's thread to answer.
inline constexpr unsigned kRoundTripLimitMs = 250;
// How long a whole fill may wait on the target's Tabs before it stops.
inline constexpr unsigned kFillWaitLimitMs = 15000;

// True while a typing runs. Its waits keep the tool's windows drawn and
// answer what other threads send them, but take no input: what the user
// clicks or types meanwhile waits in the queue and runs after the typing.
// A drop that does reach a drag source inside the typing (through a sent
// message) clicks and types nothing; a tray click waits in the queue.
bool FillRunning();

// Types the text into the target itself, byte by byte: a WM_CHAR per byte; a
// line break (CR LF, a lone CR or a lone LF) as one press of Enter (key down,
// the CR character, key up); a Tab as the rules say. A refused post does not
// stop the characters, except an access-denied one or one to a window that
// is gone: nothing more will arrive there. After a Tab key the typing waits
// until the target has taken the key, then goes on where the focus of the
// target's thread went: another window of the same top-level window, or the
// same window when that window moves among fields it draws itself (a
// browser's page). It stops when the focus stays on a standard control, when
// another window comes to the front or takes the focus, when the target
// closes, or when the waits pass their limits: nothing is ever typed into the
// old field or into another program. The waits keep the tool's windows drawn.
// A target of the tool's own thread is not waited for: the typing stops at
// its first Tab (Delivery::OwnWindow), since that thread takes its keys only
// after the typing, and runs nothing of the tool's queue. From the first Tab on, the app-starting cursor shows
// until the typing ends; then the cursor the drag state calls for.
Delivery TypeText(KeyPosting& input, Hwnd target, const std::string& text, TypingRules rules);

// What the user is told of a delivery that did not arrive whole; null for
// one that did (or nothing was dropped).
const char* DeliveryProblemText(Delivery result);

// The drag of a text onto another program's field. One instance per process,
// used by the press and release handlers of both drag sources.
class TextDelivery {
public:
    using TextSource = std::function<std::string()>;

    // `tabToNextField`, when given, is read at each drop (the Options page
    // changes it while the program runs); it must outlive the object.
    explicit TextDelivery(PointerInput& input, const bool* tabToNextField = nullptr)
        : input_(input), tabToNextField_(tabToNextField) {}

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
    // Puts back the cursor saved at ArmDrag (beneath the busy cursor while a
    // fill waits).
    void RestoreCursor();

    PointerInput& input_;
    const bool* tabToNextField_;
    DragState state_;
};

}  // namespace pennora
