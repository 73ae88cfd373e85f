#include "app/TrayIcon.h"

#include <cstring>

#include "platform/win32/LateBound.h"

namespace pennora {
namespace {

// shell32 is loaded when the tray is first used, not at process start: the
// icon appears only on minimising, and loading shell32 (with what it pulls
// in) is a noticeable part of start-up under Wine.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* record) {
    using Function = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAA*);
    static const auto function = LateBound<Function>("shell32.dll", "Shell_NotifyIconA");
    return function ? function(message, record) : FALSE;
}

}  // namespace

void TrayIcon::Add(HWND mainWindow, HICON icon) {
    // The first form of the record for this build's architecture: 88 bytes in
    // a 32-bit build, 104 in a 64-bit one, where a 64-bit shell refuses 88.
    trayData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayData_.hWnd = mainWindow;
    trayData_.uID = kTrayIconId;
    trayData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData_.uCallbackMessage = kTrayCallbackMessage;
    trayData_.hIcon = icon;
    std::memset(trayData_.szTip, 0, sizeof trayData_.szTip);
    std::strncpy(trayData_.szTip, kTrayTip, 63);
    // The platform refuses a second add of the same icon; the one shown stays.
    NotifyIcon(NIM_ADD, &trayData_);
    added_ = true;
}

void TrayIcon::ChangeIcon(HICON icon) {
    trayData_.hIcon = icon;
    NotifyIcon(NIM_MODIFY, &trayData_);
}

void TrayIcon::Delete() {
    // Also when none was ever added: the empty record changes nothing.
    NotifyIcon(NIM_DELETE, &trayData_);
    added_ = false;
}

void TrayIcon::Restore() {
    if (added_) NotifyIcon(NIM_ADD, &trayData_);
}

}  // namespace pennora

namespace pennora {

bool TrayIcon::ShowBalloon(const char* title, const char* text) {
    if (!added_) return false;
    // The balloon fields follow the first form of the record; a record of
    // their size carries them, the icon's own record stays as it is.
    NOTIFYICONDATAA balloon = trayData_;
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.uFlags = NIF_INFO;
    std::strncpy(balloon.szInfoTitle, title, sizeof balloon.szInfoTitle - 1);
    std::strncpy(balloon.szInfo, text, sizeof balloon.szInfo - 1);
    balloon.dwInfoFlags = NIIF_WARNING;
    return NotifyIcon(NIM_MODIFY, &balloon) != FALSE;
}

}  // namespace pennora
