#pragma once
// Everything the main window holds of the browser integration: the page of
// context-menu entries with its store, and the hiding of browser windows,
// on the platform's registry, files and shell.
#include <string>

#include <windows.h>

#include "browser/BrowserMenuLogic.h"
#include "browser/BrowserMenuPage.h"
#include "browser/BrowserWindows.h"
#include "browser/MenuStore.h"
#include "platform/win32/Win32FolderApi.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ShellWindows.h"

namespace pennora {

class BrowserIntegration {
public:
    // `mainWindow` is the page's parent and owns its message boxes; the
    // load's message boxes belong to `appWindow`.
    BrowserIntegration(HWND mainWindow, HWND appWindow, const std::string& appPath, const std::string& appTitle,
                       MessageBoxes& boxes, FileSystem& files);

    BrowserMenuPage& page() { return page_; }

    // Hides or shows the browser windows; see BrowserWindows::HideIEWindow.
    std::string HideIEWindow(bool hide, bool& ieWindowsHidden) { return windows_.HideIEWindow(hide, ieWindowsHidden); }

private:
    Win32Registry registry_;
    Win32FolderApi folders_;
    Win32ShellWindows shell_;
    MenuStore store_;
    BrowserMenuLogic logic_;
    BrowserMenuPage page_;
    BrowserWindows windows_;
};

// Sets the text of a tool-bar button, which the tool bar shows as its hint.
void SetToolButtonHint(HWND toolBar, int buttonId, const std::string& hint);

}  // namespace pennora
