#include "app/FillModes.h"

#include <utility>

#include "platform/win32/Win32WindowsInput.h"
#include "ui/resource.h"

namespace pennora {

FillModes::FillModes(Context context)
    : context_(std::move(context)),
      fillPage_(context_.mainWindow.fillPage()),
      hotKeyFill_(HotKeyFill::Services{context_.services.hotKeys, context_.services.caret, context_.services.windows,
                                       context_.services.windows},
                  context_.store, context_.settings, context_.flags, FromHwnd(context_.mainWindow.hwnd()),
                  static_cast<HotKeyFillView&>(*this)) {
    fillPage_.onDragFillClick = [this] { ToolButtonDragFillClick(); };
    fillPage_.onHotKeyClick = [this] { ToolButtonHotKeyClick(); };
    fillPage_.onHideIEClick = [this] { HideIEWindow(fillPage_.IsPressed(IDC_TOOLBUTTONHIDEIE)); };
    context_.tray.onDragFillClick = [this] { ToolButtonDragFillClick(); };
    context_.tray.onHotKeyClick = [this] { ToolButtonHotKeyClick(); };
    context_.tray.onHideIEClick = [this](bool hide) { HideIEWindow(hide); };
    context_.mainWindow.onHotKeyStopped = [this] { HotKeyStoppedAfterCommit(); };
    context_.mainWindow.onDeliveryProblem = [this](const std::string& text) { ReportRefusedDelivery(text); };
    context_.mainWindow.AddMessageTaker([this](UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message != WM_HOTKEY) return std::nullopt;
        hotKeyFill_.wmhotkey(lParam);
        return 0;
    });
}

void FillModes::ToolButtonDragFillClick() { pennora::ToolButtonDragFillClick(context_.flags, context_.settings, *this); }

void FillModes::ReleaseHotKey() {
    if (context_.flags.hotKeyOn)
        context_.services.hotKeys.UnregisterHotKey(FromHwnd(context_.mainWindow.hwnd()), HotKeyId(context_.services.hotKeys));
}

Point FillModes::DragFillPosition() const {
    return dragFill_ ? dragFill_->CurrentPosition() : DragFillWindow::StoredPosition(context_.iniFile);
}

// The drag-fill window is made when it is first needed: most runs never show
// it, and start-up need not pay for its window, controls and fonts.
DragFillWindow& FillModes::dragFill() {
    if (!dragFill_) {
        dragFill_ = std::make_unique<DragFillWindow>(DragFillWindow::Context{
            context_.iniFile, context_.store, context_.delivery, context_.services.windows, context_.appPath});
        dragFill_->onClosed = [this] { DragFillWindowClosed(context_.flags, *this); };
    }
    return *dragFill_;
}

FillListSinks FillModes::FillLists() {
    return {[this](const std::vector<std::string>& titles) { hotKeyFill_.BuildFillMenu(titles); },
            [this](const std::vector<std::string>& titles) { dragFill().FillList(titles); }};
}

// A commit whose new hot key the system refused leaves no key registered:
// the hot-key mode is off, the tray shows the application's icon again.
void FillModes::HotKeyStoppedAfterCommit() {
    ChangeTrayIcon(false);
    SetHotKeyButton(false);
    SetHotKeyMenuCheck(false);
    context_.mainWindow.SetStatusText(kHotKeyStoppedStatus);
}

// An error in making the collection escapes to the general error report;
// then the button keeps the state its click gave it.
void FillModes::HideIEWindow(bool hide) {
    std::string hint = context_.mainWindow.browser().HideIEWindow(hide, context_.flags.ieWindowsHidden);
    if (!hint.empty()) SetToolButtonHint(fillPage_.Item(IDC_TOOLBAR3), IDC_TOOLBUTTONHIDEIE, hint);
    fillPage_.SetPressed(IDC_TOOLBUTTONHIDEIE, context_.flags.ieWindowsHidden);
    context_.tray.CheckItem(IDM_MNUHIDEIE, context_.flags.ieWindowsHidden);
}

void FillModes::SetHotKeyButton(bool pressed) { fillPage_.SetPressed(IDC_TOOLBUTTONHOTKEY, pressed); }

void FillModes::SetHotKeyMenuCheck(bool checked) { context_.tray.CheckItem(IDM_MNUHOTKEYFILLING, checked); }

// The hot key is empty: the user is taken to where it is set.
void FillModes::ShowHotKeyOptions() {
    context_.mainWindow.SelectPage(kOptionsPage);
    if (context_.app.IsMinimized()) {
        context_.app.ShowTaskbarWindow(true);
        context_.app.Restore();
    }
    SetFocus(context_.mainWindow.page(kOptionsPage)->Item(IDC_HOTKEY1));
}

void FillModes::MinimizeApplication() { context_.app.Minimize(); }

void FillModes::ChangeTrayIcon(bool hotKeyIcon) {
    context_.tray.icon().ChangeIcon(hotKeyIcon ? TrayPicture::HotKey : TrayPicture::Application);
}

void FillModes::RebuildFillMenu(const std::vector<std::string>& titles) { popupMenuFill_.Rebuild(titles); }

std::optional<std::string> FillModes::PopupFillMenu(Point topLeft) {
    return popupMenuFill_.Popup({topLeft.x, topLeft.y});
}

// A hot-key fill's or a matrix icon drop's characters were refused: told
// beside the tray icon when the program sits in the tray. Otherwise the main
// window is behind the target the fill just went to: the notice goes on its
// status line and its taskbar button flashes until the user brings it
// forward. No modal box gets in the way and the target keeps the front.
// (A drag-fill window drop's are told on that window's status line.)
void FillModes::ReportRefusedDelivery(const std::string& text) {
    if (context_.tray.icon().ShowBalloon(kAppTitle, text.c_str())) return;
    context_.mainWindow.SetStatusText(text);
    WindowsInput& windows = context_.services.windows;
    const Hwnd window = FromHwnd(context_.mainWindow.hwnd());
    if (windows.GetForegroundWindow() == window) return;
    windows.FlashWindowEx(window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0);
}

void FillModes::ShowDragFillWindow() {
    dragFill().Show();
    SetForegroundWindow(dragFill_->hwnd());
}

void FillModes::CloseDragFillWindow() {
    if (dragFill_) dragFill_->Close();
}

void FillModes::SetDragFillButton(bool pressed) { fillPage_.SetPressed(IDC_TOOLBUTTONDRAGFILL, pressed); }

void FillModes::SetDragFillMenuCheck(bool checked) { context_.tray.CheckItem(IDM_MNUDRAGFILLING, checked); }

}  // namespace pennora
