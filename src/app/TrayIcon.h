#pragma once
// TrayData, the tool's one notification-area icon. It is added when the
// application is minimised, stays until the program closes, shows
// HotKeyIcon while the hot key is on, and is added again when the shell
// restarts (the taskbar broadcasts "TaskbarCreated").
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Owned.h"

namespace pennora {

inline constexpr UINT kTrayIconId = 1000;
inline constexpr UINT kTrayCallbackMessage = 0x0903;
inline constexpr const char* kTrayTip = "KestovaPennora";

// What the icon shows: the application's icon, or HotKeyIcon while the hot
// key is on.
enum class TrayPicture { Application, HotKey };

class TrayIcon {
public:
    // Until the first Add the record is empty but for the icon it shows.
    TrayIcon() = default;

    // The pictures come from their icon resources at the small-icon size of
    // `dpi` (a size the resources hold is taken as drawn, not scaled), each
    // loaded when first shown; a shown icon follows a new DPI at once.
    // Showing a picture that is missing throws pennora::Error.
    void SetDpi(int dpi);

    // OnMin's record: the main window, uID 1000, message, icon and tip.
    void Add(HWND mainWindow, TrayPicture picture);
    // ChangeTrayIcon: another picture, at once if the icon is shown.
    void ChangeIcon(TrayPicture picture);
    void Delete();
    // After the shell restarted: the icon comes back if it was shown.
    void Restore();
    bool IsShown() const { return added_; }
    // A balloon notice beside the icon; false when no icon is shown.
    bool ShowBalloon(const char* title, const char* text);

    const NOTIFYICONDATAA& record() const { return trayData_; }

private:
    HICON IconOf(TrayPicture picture);

    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    OwnedIcon application_;
    OwnedIcon hotKey_;
    TrayPicture picture_ = TrayPicture::Application;
    NOTIFYICONDATAA trayData_{};
    bool added_ = false;  // OnMin has run and the program is not closing
};

}  // namespace pennora
