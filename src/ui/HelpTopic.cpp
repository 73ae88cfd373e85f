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

bool ShowHelpTopic(HWND owner, const std::string& target, UINT command, DWORD_PTR data) {
    return ShowHelpTopicFrom("HHCtrl.ocx", "HtmlHelpA", owner, target, command, data);
}

bool ShowHelpEntry(HWND owner, const std::string& appPath, HelpEntry entry) {
    return ShowHelpTopic(owner, HelpTarget(appPath, entry), kHhDisplayToc, 0);
}

}  // namespace pennora
