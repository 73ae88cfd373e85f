#pragma once
// Switching drag fill on and off: the drag-fill window is shown (after the
// application went to the tray, when the user wants that) or closed, and the
// fill page's button and the tray item follow the mode.
#include "ui/ModeFlags.h"
#include "ui/Settings.h"

namespace pennora {

class DragFillView {
public:
    virtual ~DragFillView() = default;
    virtual void MinimizeApplication() = 0;
    // Shows the drag-fill window (its FormShow runs) and brings it to the front.
    virtual void ShowDragFillWindow() = 0;
    // Closes the drag-fill window (its FormClose runs).
    virtual void CloseDragFillWindow() = 0;
    virtual void SetDragFillButton(bool pressed) = 0;     // ToolButtonDragFill
    virtual void SetDragFillMenuCheck(bool checked) = 0;  // MNuDragfilling
};

// ToolButtonDragFillClick, from the fill page, the tray item and the
// automatic start.
void ToolButtonDragFillClick(ModeFlags& flags, const Settings& settings, DragFillView& view);

// The drag-fill window's own FormClose, however it was closed: the mode is
// off and the button shows released.
void DragFillWindowClosed(ModeFlags& flags, DragFillView& view);

}  // namespace pennora
