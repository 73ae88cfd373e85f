#include "ui/HelpTargets.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace pennora {
namespace {

struct TargetCase {
    HelpEntry entry;
    const char* target;
};

// Every help entry point, with the target it opens under an AppPath.
const TargetCase kTargets[] = {
    {HelpEntry::FillPage, "D:\\工具\\Pennora\\Pennora.chm::/HowDragFill.htm"},
    {HelpEntry::EntryEditor, "D:\\工具\\Pennora\\Pennora.chm::/EditData.htm"},
    {HelpEntry::BrowserMenu, "D:\\工具\\Pennora\\Pennora.chm::/IERight.htm"},
    {HelpEntry::TextMatrix, "D:\\工具\\Pennora\\Pennora.chm::/Chinese.htm"},
    {HelpEntry::HelpMenu, "D:\\工具\\Pennora\\Pennora.chm"},
    {HelpEntry::DragFillWindow, "D:\\工具\\Pennora\\Pennora.chm::/HowFill.htm#DragFill"},
};

TEST(HelpTargets, EachEntryPointOpensItsTopicUnderAppPath) {
    for (const auto& c : kTargets)
        EXPECT_EQ(HelpTarget("D:\\工具\\Pennora\\", c.entry), c.target) << static_cast<int>(c.entry);
}

std::string ReadSource(const std::string& name) {
    std::ifstream file(std::string(PENNORA_SOURCE_DIR) + "/res/help/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A page renamed in the help sources without the table (or the reverse)
// would open the viewer on a missing topic.
TEST(HelpTargets, EveryTopicNamesAPageAndAnchorOfTheHelpSources) {
    const std::string project = ReadSource("Pennora.hhp");
    for (const auto& c : kTargets) {
        std::string topic = HelpTopicOf(c.entry);
        if (topic.empty()) continue;
        ASSERT_EQ(topic.rfind("::/", 0), 0u) << topic;
        topic.erase(0, 3);
        const auto hash = topic.find('#');
        const std::string page = topic.substr(0, hash);
        const std::string text = ReadSource(page);
        EXPECT_FALSE(text.empty()) << page << " missing from res/help";
        EXPECT_NE(project.find("\n" + page + "\n"), std::string::npos) << page << " not listed in Pennora.hhp";
        if (hash != std::string::npos) {
            EXPECT_NE(text.find("name=\"" + topic.substr(hash + 1) + "\""), std::string::npos) << topic;
        }
    }
}

}  // namespace
}  // namespace pennora
