#include "ui/DpiScale.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

TEST(DpiScaleTest, ScalesDesignSizesAndBackWithRounding) {
    struct Case {
        int design, dpi, device;
    };
    const Case cases[] = {
        {468, 96, 468},  {468, 120, 585}, {468, 144, 702}, {468, 192, 936},  // the main window's width
        {19, 120, 24},   // 23.75 rounds up
        {15, 120, 19},   // 18.75
        {150, 144, 225}, {273, 120, 341},  // 341.25 rounds down
        {-12, 120, -15}, {-13, 144, -20},  // pixel font heights: 19.5 rounds away from zero
        {1, 144, 2},     // a half pixel rounds up
        {0, 192, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleToDpi(c.design, c.dpi), c.device) << c.design << " at " << c.dpi;
        EXPECT_EQ(ScaleToDesign(c.device, c.dpi), c.design) << c.device << " at " << c.dpi;
    }
}

TEST(DpiScaleTest, RescalesBetweenMonitorsWithoutGoingThroughDesignPixels) {
    EXPECT_EQ(RescaleToDpi(702, 144, 96), 468);
    EXPECT_EQ(RescaleToDpi(-18, 144, 120), -15);
    EXPECT_EQ(RescaleToDpi(7, 144, 192), 9);  // 9.33; through design pixels (5) it would drift to 10
}

TEST(DpiScaleTest, AnUnreadableDpiLeavesDesignSizes) {
    for (int dpi : {0, -96}) {
        EXPECT_EQ(ScaleToDpi(468, dpi), 468);
        EXPECT_EQ(ScaleToDesign(468, dpi), 468);
    }
}

}  // namespace
}  // namespace pennora
