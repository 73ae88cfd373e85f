#include "browser/BrowserIntegration.h"

#include <commctrl.h>

#include "platform/win32/Handles.h"

namespace pennora {

BrowserIntegration::BrowserIntegration(HWND mainWindow, HWND appWindow, const std::string& appPath,
                                       const std::string& appTitle, MessageBoxes& boxes, FileSystem& files)
    : store_(registry_, files, folders_, boxes, FromHwnd(appWindow), appTitle),
      logic_(store_, folders_, boxes, FromHwnd(mainWindow), appTitle, appPath),
      windows_(shell_),
      mainWindow_(mainWindow),
      appPath_(appPath) {}

BrowserMenuPage& BrowserIntegration::page() {
    if (!page_) page_ = std::make_unique<BrowserMenuPage>(mainWindow_, logic_, mainWindow_, appPath_);
    return *page_;
}

void BrowserIntegration::LoadMenuEntries() {
    if (page_) {
        page_->LoadIEMenuPage();
    } else {
        logic_.LoadIEMenuPage();
    }
}

void SetToolButtonHint(HWND toolBar, int buttonId, const std::string& hint) {
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<char*>(hint.c_str());
    SendMessageA(toolBar, TB_SETBUTTONINFOA, buttonId, reinterpret_cast<LPARAM>(&info));
}

}  // namespace pennora
