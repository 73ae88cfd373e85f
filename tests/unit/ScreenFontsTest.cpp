#include "matrix/ScreenFonts.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

TEST(ScreenFontList, SkipsRepeatsOfThePreviousNameAndSortsIgnoringCase) {
    const std::vector<std::string> enumerated = {"宋体", "Arial", "arial", "@宋体", "Courier", "Arial"};
    // "arial" repeats the name just before it; the last "Arial" does not.
    const std::vector<std::string> expected = {"@宋体", "Arial", "Arial", "Courier", "Default", "宋体"};
    EXPECT_EQ(BuildScreenFontList(enumerated), expected);
}

TEST(ScreenFontList, NothingEnumeratedLeavesDefault) {
    EXPECT_EQ(BuildScreenFontList({}), std::vector<std::string>{"Default"});
}

}  // namespace
}  // namespace pennora
