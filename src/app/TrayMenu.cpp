#include "app/TrayMenu.h"

#include "fill/TextDelivery.h"
#include "platform/Types.h"
#include "ui/PopupMenu.h"
#include "ui/resource.h"

namespace pennora {

TrayMenu::TrayMenu(Application& app, MainWindow& mainWindow, const ModeFlags& flags)
    : app_(app),
      mainWindow_(mainWindow),
      flags_(flags),
      popupMenuMain_(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_POPUPMENUMAIN))),
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    trayIcon_.SetDpi(mainWindow.dpi());
    mainWindow.onDpiChanged = [this](int dpi) { trayIcon_.SetDpi(dpi); };
    mainWindow.AddMessageTaker([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return TakeMessage(message, wParam, lParam);
    });
    app_.onMinimize = [this] { OnMin(); };
}

TrayMenu::~TrayMenu() { app_.onMinimize = nullptr; }

std::optional<LRESULT> TrayMenu::TakeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kWmPennora:  // a second start of the program
        BringBack();
        return 0;
    case kTrayCallbackMessage:
        // The shell sends the icon's clicks (they are answered inside a
        // fill's wait, which takes no posted message): a click then waits in
        // the queue until the fill is over, so that no menu or window of the
        // tool opens in the middle of the typing.
        if (FillRunning()) {
            PostMessageA(mainWindow_.hwnd(), kTrayCallbackMessage, wParam, lParam);
            return 0;
        }
        WMTrayNotify(lParam);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_MNUDRAGFILLING:
            if (onDragFillClick) onDragFillClick();
            return 0;
        case IDM_MNUHOTKEYFILLING:
            if (onHotKeyClick) onHotKeyClick();
            return 0;
        case IDM_MNUHIDEIE:
            if (onHideIEClick) onHideIEClick(!IsChecked(IDM_MNUHIDEIE));
            return 0;
        case IDM_EXIT2: PostMessageA(mainWindow_.hwnd(), WM_CLOSE, 0, 0); return 0;
        case IDM_ABOUT1: About1Click(); return 0;
        }
        break;
    }
    // The shell restarted: the icon comes back. The message goes on to the
    // window's default handling.
    if (message == taskbarCreated_ && taskbarCreated_) trayIcon_.Restore();
    return std::nullopt;
}

// The application went to the tray: hide its taskbar button, show the icon.
void TrayMenu::OnMin() {
    app_.ShowTaskbarWindow(false);
    trayIcon_.Add(mainWindow_.hwnd(), flags_.hotKeyOn ? TrayPicture::HotKey : TrayPicture::Application);
}

void TrayMenu::WMTrayNotify(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        BringBack();
        SetForegroundWindow(GetLastActivePopup(mainWindow_.hwnd()));
        break;
    case WM_RBUTTONUP:
        CheckItem(IDM_MNUDRAGFILLING, flags_.dragFillOn);
        CheckItem(IDM_MNUHOTKEYFILLING, flags_.hotKeyOn);
        ShowTrayMenu();
        break;
    }
}

// The application leaves the tray: its taskbar button and window come back.
void TrayMenu::BringBack() {
    app_.ShowTaskbarWindow(true);
    app_.Restore();
}

void TrayMenu::ShowTrayMenu() {
    POINT cursor;
    GetCursorPos(&cursor);
    TrackMenuInFront(GetSubMenu(popupMenuMain_.get(), 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor,
                     mainWindow_.hwnd());
}

void TrayMenu::About1Click() {
    mainWindow_.SelectPage(kAboutPage);
    BringBack();
}

void TrayMenu::CheckItem(int id, bool checked) {
    CheckMenuItem(popupMenuMain_.get(), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool TrayMenu::IsChecked(int id) const {
    return (GetMenuState(popupMenuMain_.get(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

}  // namespace pennora
