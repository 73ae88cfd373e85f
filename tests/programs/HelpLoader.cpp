// Asks the help launcher for the help control, as a program started from its
// own folder does, and reports where the control was loaded from.
//   HelpLoader.exe REPORT    writes the loaded HHCtrl.ocx's full path to REPORT
// Exit code 0 when the launcher had the library, 1 when it had none.
#include <windows.h>

#include <fstream>

#include "ui/HelpTopic.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 2;
    constexpr UINT kHhCloseAll = 0x12;  // shows nothing
    const bool loaded = pennora::ShowHelpTopic(nullptr, "", kHhCloseAll, 0);
    char path[MAX_PATH] = {};
    if (HMODULE library = GetModuleHandleA("hhctrl.ocx")) GetModuleFileNameA(library, path, MAX_PATH);
    std::ofstream(__argv[1]) << path;
    return loaded ? 0 : 1;
}
