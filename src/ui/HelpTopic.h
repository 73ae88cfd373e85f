#pragma once
// The help launcher: opens the compiled help file in the platform's HTML
// help viewer, owned by the calling window.
#include <windows.h>

#include <string>

#include "ui/HelpTargets.h"

namespace pennora {

// Loads HHCtrl.ocx from the system folder (on every call; never freed, so
// later calls reuse the loaded copy) and calls its HtmlHelpA(owner, target,
// command, data).
// False when the library cannot be loaded; true otherwise,
// also when the library has no HtmlHelpA (then nothing is shown). The
// viewer's own result, and a missing file or page, are the viewer's affair.
bool ShowHelpTopic(HWND owner, const std::string& target, UINT command, DWORD_PTR data);

// The full path of HHCtrl.ocx in the system folder ("" if it has none).
std::string HelpLibraryPath();

// ShowHelpTopic with another library and entry name: the same steps, so the
// load and lookup failures can be exercised with real libraries.
bool ShowHelpTopicFrom(const char* library, const char* entry, HWND owner, const std::string& target,
                       UINT command, DWORD_PTR data);

// What every help button does: its entry point's target under appPath, shown
// with HH_DISPLAY_TOC and data 0, owned by the button's window.
bool ShowHelpEntry(HWND owner, const std::string& appPath, HelpEntry entry);

}  // namespace pennora
