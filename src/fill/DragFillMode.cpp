#include "fill/DragFillMode.h"

namespace pennora {

void ToolButtonDragFillClick(ModeFlags& flags, const Settings& settings, DragFillView& view) {
    if (flags.dragFillOn) {
        view.CloseDragFillWindow();
        flags.dragFillOn = false;
    } else {
        if (settings.MinimizeWhenDrag) view.MinimizeApplication();
        flags.dragFillOn = true;
        view.ShowDragFillWindow();
    }
    view.SetDragFillMenuCheck(flags.dragFillOn);
    view.SetDragFillButton(flags.dragFillOn);
}

void DragFillWindowClosed(ModeFlags& flags, DragFillView& view) {
    view.SetDragFillButton(false);
    flags.dragFillOn = false;
}

}  // namespace pennora
