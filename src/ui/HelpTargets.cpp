#include "ui/HelpTargets.h"

namespace pennora {

const char* HelpTopicOf(HelpEntry entry) {
    switch (entry) {
    case HelpEntry::FillPage: return "::/HowDragFill.htm";
    case HelpEntry::EntryEditor: return "::/EditData.htm";
    case HelpEntry::BrowserMenu: return "::/IERight.htm";
    case HelpEntry::TextMatrix: return "::/Chinese.htm";
    case HelpEntry::HelpMenu: return "";
    case HelpEntry::DragFillWindow: return "::/HowFill.htm#DragFill";
    }
    return "";
}

std::string HelpTarget(const std::string& appPath, HelpEntry entry) {
    return appPath + kHelpFileName + HelpTopicOf(entry);
}

}  // namespace pennora
