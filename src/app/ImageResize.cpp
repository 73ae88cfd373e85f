#include "app/ImageResize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "platform/Error.h"

namespace pennora {
namespace {

// The source pixels one destination pixel is made of along one axis.
struct Taps {
    int first = 0;
    std::vector<float> weights;  // for first, first + 1, ...; they sum to 1
};

// Where the picture grows (or keeps its size), each new pixel interpolates
// linearly between the two source pixels around its centre; at 1:1 that is
// a copy. Where it shrinks, each new pixel is the average of the source area
// it covers. Taps beyond an edge are left out and the others weighted up,
// which holds the edge colour.
std::vector<Taps> TapsFor(int source, int destination) {
    const double scale = double(source) / destination;
    std::vector<Taps> all(static_cast<std::size_t>(destination));
    for (int d = 0; d < destination; ++d) {
        Taps& taps = all[static_cast<std::size_t>(d)];
        std::vector<double> weights;
        if (scale <= 1) {
            const double centre = (d + 0.5) * scale - 0.5;
            taps.first = std::max(0, int(std::floor(centre)));
            const int last = std::min(source - 1, int(std::floor(centre)) + 1);
            for (int s = taps.first; s <= last; ++s) weights.push_back(std::max(0.0, 1.0 - std::abs(s - centre)));
        } else {
            const double begin = d * scale, end = (d + 1) * scale;
            taps.first = int(std::floor(begin));
            const int last = std::min(source - 1, int(std::ceil(end)) - 1);
            for (int s = taps.first; s <= last; ++s)
                weights.push_back(std::min<double>(end, s + 1) - std::max<double>(begin, s));
        }
        double total = 0;
        for (double weight : weights) total += weight;
        for (double weight : weights) taps.weights.push_back(float(weight / total));
    }
    return all;
}

std::uint8_t ToByte(float value) { return std::uint8_t(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

JpegImage ResizeImage(const JpegImage& image, int width, int height) {
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(image.width, 0)) * kJpegBytesPerPixel;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != rowBytes * image.height)
        throw Error("图片没有像素。");
    if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide)
        throw Error("图片的新尺寸无效。");

    // Rows first, into floats, so the columns' pass rounds only once.
    const std::vector<Taps> across = TapsFor(image.width, width);
    std::vector<float> rows(static_cast<std::size_t>(image.height) * width * kJpegBytesPerPixel);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.pixels.data() + y * rowBytes;
        float* out = rows.data() + static_cast<std::size_t>(y) * width * kJpegBytesPerPixel;
        for (int x = 0; x < width; ++x) {
            const Taps& taps = across[static_cast<std::size_t>(x)];
            for (int c = 0; c < kJpegBytesPerPixel; ++c) {
                float sum = 0;
                for (std::size_t i = 0; i < taps.weights.size(); ++i)
                    sum += taps.weights[i] * in[(taps.first + i) * kJpegBytesPerPixel + c];
                out[x * kJpegBytesPerPixel + c] = sum;
            }
        }
    }

    JpegImage result{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * kJpegBytesPerPixel)};
    const std::vector<Taps> down = TapsFor(image.height, height);
    const std::size_t rowFloats = static_cast<std::size_t>(width) * kJpegBytesPerPixel;
    for (int y = 0; y < height; ++y) {
        const Taps& taps = down[static_cast<std::size_t>(y)];
        std::uint8_t* out = result.pixels.data() + y * rowFloats;
        for (std::size_t i = 0; i < rowFloats; ++i) {
            float sum = 0;
            for (std::size_t t = 0; t < taps.weights.size(); ++t) sum += taps.weights[t] * rows[(taps.first + t) * rowFloats + i];
            out[i] = ToByte(sum);
        }
    }
    return result;
}

}  // namespace pennora
