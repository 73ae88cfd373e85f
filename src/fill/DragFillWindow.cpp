#include "fill/DragFillWindow.h"

#include "ui/Settings.h"
#include "ui/TitleStrip.h"

namespace pennora {
namespace {

constexpr int kDesignWidth = 150;
constexpr int kDesignHeight = 273;
// CreateParams: a popup with a thin border and a sizing frame, no caption bar.
constexpr DWORD kDragFillStyle = 0x80840000;  // WS_POPUP | WS_BORDER | WS_THICKFRAME

}  // namespace

DragFillWindow::DragFillWindow(IniFile& iniFile) : iniFile_(iniFile) {
    WNDCLASSEXA windowClass{};
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.hbrBackground = CreateSolidBrush(kStripColour);
    Point design = kDragFillDesignPosition;
    // Owned by the desktop rather than the application, so minimising the
    // application neither hides it nor takes away its topmost place.
    Create("TfrmDragfill", windowClass, WS_EX_TOPMOST, "KestovaPennora", kDragFillStyle,
           RECT{design.x, design.y, design.x + kDesignWidth, design.y + kDesignHeight}, GetDesktopWindow());
    FormCreate();
}

void DragFillWindow::FormCreate() {
    Point position = ReadPosition(iniFile_, CurrentPosition());
    SetWindowPos(hwnd(), nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Point DragFillWindow::CurrentPosition() const {
    WINDOWPLACEMENT placement{sizeof placement};
    GetWindowPlacement(hwnd(), &placement);
    return {placement.rcNormalPosition.left, placement.rcNormalPosition.top};
}

}  // namespace pennora
