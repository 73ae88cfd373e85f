#include "app/TrayIcon.h"

#include <cstring>
#include <string>
#include <utility>

#include "platform/Error.h"
#include "platform/win32/Dpi.h"
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

OwnedIcon LoadSmallIcon(const char* name, int size) {
    // Not shared: a shared icon is the one first loaded, whatever size is
    // asked for later.
    OwnedIcon icon(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, 0)));
    if (!icon) throw Error(std::string("找不到图标资源 ") + name + "。");
    return icon;
}

}  // namespace

void TrayIcon::SetDpi(int dpi) {
    dpi_ = dpi;
    // The shell shows its own copy of an icon, so the old handles may go
    // before a shown icon is told its new picture.
    application_.reset();
    hotKey_.reset();
    trayData_.hIcon = nullptr;
    if (!added_) return;
    trayData_.hIcon = IconOf(picture_);
    NotifyIcon(NIM_MODIFY, &trayData_);
}

// Start-up does not pay for pictures that show only once the tool is in the tray.
HICON TrayIcon::IconOf(TrayPicture picture) {
    const bool hotKey = picture == TrayPicture::HotKey;
    OwnedIcon& icon = hotKey ? hotKey_ : application_;
    if (!icon) icon = LoadSmallIcon(hotKey ? "HOTKEYICON" : "MAINICON", SystemMetricForDpi(SM_CXSMICON, dpi_));
    return icon.get();
}

void TrayIcon::Add(HWND mainWindow, TrayPicture picture) {
    // The first form of the record for this build's architecture: 88 bytes in
    // a 32-bit build, 104 in a 64-bit one, where a 64-bit shell refuses 88.
    trayData_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayData_.hWnd = mainWindow;
    trayData_.uID = kTrayIconId;
    trayData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayData_.uCallbackMessage = kTrayCallbackMessage;
    picture_ = picture;
    trayData_.hIcon = IconOf(picture);
    std::memset(trayData_.szTip, 0, sizeof trayData_.szTip);
    std::strncpy(trayData_.szTip, kTrayTip, 63);
    // The platform refuses a second add of the same icon; the one shown stays.
    NotifyIcon(NIM_ADD, &trayData_);
    added_ = true;
}

void TrayIcon::ChangeIcon(TrayPicture picture) {
    picture_ = picture;
    trayData_.hIcon = IconOf(picture);
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
