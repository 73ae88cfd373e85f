#pragma once
// Decodes JPEG data (the About page's banner) into 32-bit pixels through the
// libjpeg API. Portable: the Win32 face turns the result into a bitmap.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pennora {

// Pixels top-down, four bytes each in the order blue, green, red, 255: the
// layout of a 32-bit top-down DIB. The fourth byte is 255 so that a consumer
// that reads it as alpha sees the picture opaque.
struct JpegImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

inline constexpr int kJpegBytesPerPixel = 4;

// Limits beyond which data is refused rather than decoded: a banner is a few
// hundred pixels wide, and a forged header must not make us allocate gigabytes
// or spend minutes on thousands of progressive scans.
inline constexpr int kMaxJpegSide = 4096;
inline constexpr long long kMaxJpegPixels = 4LL * 1024 * 1024;
inline constexpr std::size_t kMaxJpegBytes = 16u * 1024 * 1024;
inline constexpr int kMaxJpegScans = 256;

// Throws pennora::Error for empty, truncated, corrupt or unsupported data and
// for pictures beyond the limits above; libjpeg's warnings count as errors, so
// a damaged picture is refused instead of shown half grey.
JpegImage DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace pennora
