#include "browser/BrowserIntegration.h"

#include <commctrl.h>

#include "platform/win32/Handles.h"

namespace pennora {

BrowserIntegration::BrowserIntegration(HWND mainWindow, HWND appWindow, const std::string& appPath,
                                       const std::string& appTitle, MessageBoxes& boxes, FileSystem& files)
    : store_(registry_, files, folders_, boxes, FromHwnd(appWindow), appTitle),
      logic_(store_, folders_, boxes, FromHwnd(mainWindow), appTitle, appPath),
      page_(mainWindow, logic_, mainWindow, appPath),
      windows_(shell_) {}

void SetToolButtonHint(HWND toolBar, int buttonId, const std::string& hint) {
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<char*>(hint.c_str());
    SendMessageA(toolBar, TB_SETBUTTONINFOA, buttonId, reinterpret_cast<LPARAM>(&info));
}

}  // namespace pennora
