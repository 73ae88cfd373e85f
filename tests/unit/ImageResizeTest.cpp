#include "app/ImageResize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Error.h"

namespace pennora {
namespace {

// A grey picture: each value becomes a pixel with blue = green = red = value
// and an opaque fourth byte.
JpegImage Grey(int width, int height, const std::vector<int>& values) {
    JpegImage image{width, height, {}};
    for (int value : values) {
        const auto byte = std::uint8_t(value);
        image.pixels.insert(image.pixels.end(), {byte, byte, byte, 255});
    }
    return image;
}

std::vector<int> GreyValues(const JpegImage& image) {
    std::vector<int> values;
    for (std::size_t i = 0; i < image.pixels.size(); i += kJpegBytesPerPixel) values.push_back(image.pixels[i]);
    return values;
}

TEST(ImageResizeTest, ResamplesSmoothly) {
    struct Case {
        const char* what;
        JpegImage from;
        int width, height;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"1:1 copies", Grey(3, 2, {0, 17, 255, 90, 128, 3}), 3, 2, {0, 17, 255, 90, 128, 3}},
        {"2 x 2 to 1 x 1 averages", Grey(2, 2, {0, 100, 200, 60}), 1, 1, {90}},
        {"growing interpolates, edges hold", Grey(2, 1, {0, 255}), 4, 1, {0, 64, 191, 255}},
        {"one pixel fills any size", Grey(1, 1, {77}), 3, 2, {77, 77, 77, 77, 77, 77}},
        {"shrinking averages the area covered", Grey(3, 1, {0, 90, 0}), 1, 1, {30}},
        {"odd shrink splits a pixel", Grey(3, 1, {0, 90, 210}), 2, 1, {30, 170}},
        {"odd growth", Grey(2, 1, {0, 120}), 3, 1, {0, 60, 120}},
    };
    for (const Case& c : cases) {
        const JpegImage resized = ResizeImage(c.from, c.width, c.height);
        EXPECT_EQ(resized.width, c.width) << c.what;
        EXPECT_EQ(resized.height, c.height) << c.what;
        EXPECT_EQ(GreyValues(resized), c.expected) << c.what;
    }
}

// Weights that sum to a hair over 1 must not wrap full white (or an opaque
// fourth byte) round to 0; stripes stay between their two values.
TEST(ImageResizeTest, StaysInRangeAndKeepsTheFourthByte) {
    for (const auto& [width, height] : {std::pair{7, 5}, std::pair{1, 9}, std::pair{23, 2}, std::pair{13, 13}}) {
        const JpegImage white = ResizeImage(Grey(3, 3, std::vector<int>(9, 255)), width, height);
        EXPECT_TRUE(std::all_of(white.pixels.begin(), white.pixels.end(), [](std::uint8_t b) { return b == 255; }))
            << width << " x " << height;
        const JpegImage stripes = ResizeImage(Grey(4, 1, {10, 250, 10, 250}), width, height);
        for (std::size_t i = 0; i < stripes.pixels.size(); i += kJpegBytesPerPixel) {
            EXPECT_GE(stripes.pixels[i], 10);
            EXPECT_LE(stripes.pixels[i], 250);
            EXPECT_EQ(stripes.pixels[i + 3], 255);
        }
    }
}

TEST(ImageResizeTest, RefusesAnImageWithoutPixelsOrAnUnusableSize) {
    EXPECT_THROW(ResizeImage(JpegImage{}, 2, 2), Error);
    EXPECT_THROW(ResizeImage(JpegImage{2, 2, std::vector<std::uint8_t>(8)}, 2, 2), Error);
    for (const auto& [width, height] : {std::pair{0, 5}, std::pair{5, -1}, std::pair{kMaxJpegSide + 1, 5}})
        EXPECT_THROW(ResizeImage(Grey(1, 1, {0}), width, height), Error);
}

}  // namespace
}  // namespace pennora
