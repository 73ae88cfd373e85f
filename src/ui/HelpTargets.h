#pragma once
// Where each help entry point opens the help file: AppPath + "Pennora.chm",
// then the topic of the entry point ("::/" + page, "#" + anchor), none for the
// start page. Callers name an entry point, never a page, so no page name can
// be mistyped at a call site.
#include <string>

namespace pennora {

inline constexpr const char* kHelpFileName = "Pennora.chm";

// HH_DISPLAY_TOC: open the viewer on the topic with its contents pane.
inline constexpr unsigned kHhDisplayToc = 1;

enum class HelpEntry {
    FillPage,        // ToolButtonHelp on the fill page
    EntryEditor,     // ToolButton6 on the entry editor page
    BrowserMenu,     // BtnHelp on the browser context-menu page
    TextMatrix,      // ToolButton30 on the text matrix page
    HelpMenu,        // OrvantaHelp1 in the Help menu: the start page
    DragFillWindow,  // ToolButton1 of the drag-fill window
};

// The part after the file name: "::/HowDragFill.htm", or "" for the start page.
const char* HelpTopicOf(HelpEntry entry);

// appPath (with its trailing backslash) + "Pennora.chm" + the entry's topic.
std::string HelpTarget(const std::string& appPath, HelpEntry entry);

}  // namespace pennora
