#include "app/JpegImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/Error.h"

namespace pennora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& relativePath) {
    std::ifstream in(std::string(PENNORA_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    EXPECT_TRUE(in) << relativePath;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes Banner() { return ReadFile("res/banner.jpg"); }
Bytes Seed(const std::string& name) { return ReadFile("tests/fuzz/corpus/JpegImageFuzz/" + name); }

struct Bgrx {
    int b, g, r, x;
};

Bgrx PixelAt(const JpegImage& image, int x, int y) {
    const std::uint8_t* p = image.pixels.data() + (static_cast<std::size_t>(y) * image.width + x) * kJpegBytesPerPixel;
    return {p[0], p[1], p[2], p[3]};
}

void ExpectNear(const Bgrx& actual, int r, int g, int b) {
    constexpr int kJpegTolerance = 6;
    EXPECT_NEAR(actual.r, r, kJpegTolerance);
    EXPECT_NEAR(actual.g, g, kJpegTolerance);
    EXPECT_NEAR(actual.b, b, kJpegTolerance);
}

// Rewrites the picture size in the frame header (SOF0..SOF2) of a JPEG.
Bytes WithDeclaredSize(Bytes jpeg, int width, int height) {
    std::size_t i = 2;
    while (i + 9 < jpeg.size() && jpeg[i] == 0xFF) {
        const std::uint8_t marker = jpeg[i + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            jpeg[i + 5] = std::uint8_t(height >> 8), jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8), jpeg[i + 8] = std::uint8_t(width);
            return jpeg;
        }
        i += 2 + (jpeg[i + 2] << 8 | jpeg[i + 3]);
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// Encodes a greyscale gradient; `scans`, when given, is the progressive scan
// script (libjpeg checks it is a valid progression).
Bytes EncodeGrey(int width, int height, const std::vector<jpeg_scan_info>& scans = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    if (!scans.empty()) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width);
    for (int x = 0; x < width; ++x) row[x] = JSAMPLE(x * 255 / width);
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    std::free(buffer);
    return jpeg;
}

// A valid progressive scan script that sends every one of the 64 coefficient
// bands in 1 + `refinements` scans: a legitimate way to make many scans.
std::vector<jpeg_scan_info> ScansWithRefinements(int refinements) {
    std::vector<jpeg_scan_info> script;
    for (int band = 0; band < DCTSIZE2; ++band) {
        script.push_back({1, {0}, band, band, 0, refinements});
        for (int bit = refinements; bit > 0; --bit) script.push_back({1, {0}, band, band, bit, bit - 1});
    }
    return script;
}

TEST(JpegImageTest, DecodesTheBannerTopDownInBlueGreenRedOrder) {
    const JpegImage image = DecodeJpeg(Banner());
    ASSERT_EQ(image.width, 440);
    ASSERT_EQ(image.height, 150);
    ASSERT_EQ(image.pixels.size(), 440u * 150u * 4u);
    // The top band is the title strip's colour (red 169, green 183, blue 220),
    // the bottom rows fade to a deeper blue, and the form card is white.
    ExpectNear(PixelAt(image, 5, 5), 169, 183, 220);
    ExpectNear(PixelAt(image, 434, 12), 169, 183, 220);
    ExpectNear(PixelAt(image, 323, 100), 255, 255, 255);
    for (std::size_t i = 3; i < image.pixels.size(); i += kJpegBytesPerPixel) ASSERT_EQ(image.pixels[i], 255) << i;
}

TEST(JpegImageTest, DecodesGreyAndProgressivePictures) {
    const JpegImage grey = DecodeJpeg(Seed("grey8x8.jpg"));
    ASSERT_EQ(grey.width, 8);
    const Bgrx top = PixelAt(grey, 3, 0), bottom = PixelAt(grey, 3, 7);
    EXPECT_TRUE(top.b == top.g && top.g == top.r);
    EXPECT_GT(top.r, bottom.r + 100);  // a white-to-black gradient, not upside down

    const JpegImage progressive = DecodeJpeg(Seed("progressive16x16.jpg"));
    EXPECT_EQ(progressive.width, 16);
    EXPECT_EQ(progressive.height, 16);
}

TEST(JpegImageTest, RefusesBrokenData) {
    const Bytes banner = Banner();
    const std::string text = "this is not a picture";
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"text", Bytes(text.begin(), text.end())},
        {"start marker only", {0xFF, 0xD8}},
        {"first half", Bytes(banner.begin(), banner.begin() + banner.size() / 2)},
        {"header only", Bytes(banner.begin(), banner.begin() + 600)},
        {"end marker missing", Bytes(banner.begin(), banner.end() - 2)},
        {"zero height", WithDeclaredSize(Seed("colour8x8.jpg"), 8, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(DecodeJpeg(c.bytes), Error) << c.what;
    }
}

TEST(JpegImageTest, DecodesUpToTheSizeLimitsAndRefusesBeyondThem) {
    const struct {
        int width, height;
        bool decodes;
    } cases[] = {
        {kMaxJpegSide, 1, true},
        {kMaxJpegSide + 1, 1, false},
        {1, kMaxJpegSide + 1, false},
        {kMaxJpegSide, kMaxJpegPixels / kMaxJpegSide, true},
        {kMaxJpegSide, kMaxJpegPixels / kMaxJpegSide + 1, false},
    };
    for (const auto& c : cases) {
        const Bytes jpeg = EncodeGrey(c.width, c.height);
        if (c.decodes) {
            EXPECT_EQ(DecodeJpeg(jpeg).height, c.height) << c.width << "x" << c.height;
        } else {
            EXPECT_THROW(DecodeJpeg(jpeg), Error) << c.width << "x" << c.height;
        }
    }
}

std::string ErrorOf(const Bytes& bytes) {
    try {
        DecodeJpeg(bytes);
    } catch (const Error& error) {
        return error.what();
    }
    return "decoded";
}

// A few bytes claiming 65000 x 65000 pixels must be refused for their size,
// not after a 16 GB buffer was allocated and the data found short.
TEST(JpegImageTest, RefusesAForgedHugeSizeBeforeAllocatingIt) {
    EXPECT_NE(ErrorOf(WithDeclaredSize(Seed("colour8x8.jpg"), 65000, 65000)).find("尺寸太大"), std::string::npos);
    EXPECT_THROW(DecodeJpeg(Bytes(kMaxJpegBytes + 1, 0xFF)), Error);
}

TEST(JpegImageTest, DecodesManyScansUpToTheLimitOnly) {
    ASSERT_LE(64 * 3, kMaxJpegScans);
    ASSERT_GT(64 * 5, kMaxJpegScans);
    EXPECT_EQ(DecodeJpeg(EncodeGrey(8, 8, ScansWithRefinements(2))).width, 8);
    EXPECT_THROW(DecodeJpeg(EncodeGrey(8, 8, ScansWithRefinements(4))), Error);
}

}  // namespace
}  // namespace pennora
