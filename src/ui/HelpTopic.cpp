#include "ui/HelpTopic.h"

namespace pennora {
namespace {

using HtmlHelpAProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

}  // namespace

// Nothing here throws; a failure shows as a null module, the only fault the
// caller is told about. The viewer's result is ignored.
bool ShowHelpTopicFrom(const char* library, const char* entry, HWND owner, const std::string& target,
                       UINT command, DWORD_PTR data) {
    HMODULE module = LoadLibraryA(library);
    if (module == nullptr) return false;
    auto htmlHelp = reinterpret_cast<HtmlHelpAProc>(reinterpret_cast<void*>(GetProcAddress(module, entry)));
    if (htmlHelp != nullptr) htmlHelp(owner, target.c_str(), command, data);
    return true;
}

// The help control is taken from the system folder by its full path: a file
// of that name planted in the program's own folder (where a portable tool
// lives, often on a writable stick) must never be loaded in its place.
std::string HelpLibraryPath() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return {};
    return std::string(folder, length) + "\\HHCtrl.ocx";
}

bool ShowHelpTopic(HWND owner, const std::string& target, UINT command, DWORD_PTR data) {
    const std::string library = HelpLibraryPath();
    if (library.empty()) return false;
    return ShowHelpTopicFrom(library.c_str(), "HtmlHelpA", owner, target, command, data);
}

bool ShowHelpEntry(HWND owner, const std::string& appPath, HelpEntry entry) {
    return ShowHelpTopic(owner, HelpTarget(appPath, entry), kHhDisplayToc, 0);
}

}  // namespace pennora
