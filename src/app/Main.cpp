// Program entry: the single-instance guard, the two windows, the message loop.
#include <windows.h>

#include "app/Application.h"
#include "app/InstanceGuard.h"
#include "app/Program.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32CaretApi.h"
#include "platform/win32/Win32HotKeyApi.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace pennora;
    return Application::RunGuarded(kAppTitle, [] {
        Win32WindowsInput windows;
        InstanceGuard guard(windows);
        if (!guard.ClaimOrWakeRunning()) return 0;

        Win32Profile profile;
        Win32FileSystem files;
        Win32HotKeyApi hotKeys;
        Win32CaretApi caret;
        Application app(kAppTitle);
        Program program(app, ShellServices{windows, profile, files, hotKeys, caret}, "");
        guard.MarkMainWindow(FromHwnd(program.window().hwnd()));
        program.Show();
        return app.Run();
    });
}
