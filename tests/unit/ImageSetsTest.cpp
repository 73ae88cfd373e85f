#include "ui/ImageSets.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

TEST(ImageSetsTest, TakesTheLargestSetNotBiggerThanTheWindowsScale) {
    struct Case {
        int dpi, scale;
        const char* name;
    };
    const Case cases[] = {
        {96, 100, "PICTURE"},      {72, 100, "PICTURE"},      {119, 100, "PICTURE"},
        {120, 125, "PICTURE_125"}, {143, 125, "PICTURE_125"}, {144, 150, "PICTURE_150"},
        {168, 150, "PICTURE_150"}, {191, 150, "PICTURE_150"}, {192, 200, "PICTURE_200"},
        {288, 200, "PICTURE_200"},
        {0, 100, "PICTURE"},  // a DPI that could not be read
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImageSetScale(c.dpi), c.scale) << c.dpi;
        EXPECT_EQ(ImageSetName("PICTURE", ImageSetScale(c.dpi)), c.name) << c.dpi;
    }
}

}  // namespace
}  // namespace pennora
