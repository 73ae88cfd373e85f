#pragma once
// Everything the main window holds of the browser integration: the page of
// context-menu entries with its store, and the hiding of browser windows,
// on the platform's registry, files and shell.
#include <memory>
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

    // The page, made on the first call: start-up does not pay for it.
    BrowserMenuPage& page();

    // Reads the entries from the registry (reporting what it cannot read),
    // into the page when it is made.
    void LoadMenuEntries();

    // Hides or shows the browser windows; see BrowserWindows::HideIEWindow.
    std::string HideIEWindow(bool hide, bool& ieWindowsHidden) { return windows_.HideIEWindow(hide, ieWindowsHidden); }

private:
    Win32Registry registry_;
    Win32FolderApi folders_;
    Win32ShellWindows shell_;
    MenuStore store_;
    BrowserMenuLogic logic_;
    BrowserWindows windows_;
    HWND mainWindow_;
    std::string appPath_;
    std::unique_ptr<BrowserMenuPage> page_;
};

// Sets the text of a tool-bar button, which the tool bar shows as its hint.
void SetToolButtonHint(HWND toolBar, int buttonId, const std::string& hint);

}  // namespace pennora
