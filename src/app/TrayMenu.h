#pragma once
// The application in the tray: minimised, it leaves the taskbar for its icon
// in the notification area. A left click on the icon, or a second start of
// the program, brings it back; a right click opens PopupMenuMain, whose items
// switch the fill modes, hide the browser windows, end the program or show
// the About page.
#include <functional>
#include <optional>

#include <windows.h>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/TrayIcon.h"
#include "platform/win32/Owned.h"
#include "ui/ModeFlags.h"

namespace pennora {

class TrayMenu {
public:
    // Becomes the application's minimise handler and takes the main window's
    // tray, wake-up and tray-menu messages; the main window must go first.
    TrayMenu(Application& app, MainWindow& mainWindow, const ModeFlags& flags);
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    std::function<void()> onDragFillClick;         // MNuDragfilling
    std::function<void()> onHotKeyClick;           // MnuHotkeyfilling
    std::function<void(bool hide)> onHideIEClick;  // MnuHideIE: hide when it shows no check mark

    // The check mark of a menu item (IDM_MNU...).
    void CheckItem(int id, bool checked);
    bool IsChecked(int id) const;

    TrayIcon& icon() { return trayIcon_; }
    const TrayIcon& icon() const { return trayIcon_; }

private:
    std::optional<LRESULT> TakeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnMin();
    void WMTrayNotify(LPARAM mouseMessage);
    void BringBack();
    void ShowTrayMenu();
    void About1Click();

    Application& app_;
    MainWindow& mainWindow_;
    const ModeFlags& flags_;
    TrayIcon trayIcon_;
    OwnedMenu popupMenuMain_;
    UINT taskbarCreated_ = 0;
};

}  // namespace pennora
