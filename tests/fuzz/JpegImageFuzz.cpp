// Arbitrary bytes given to the banner decoder: it must either decode a
// picture whose buffer matches its size or throw pennora::Error.
#include <cstddef>
#include <cstdint>

#include "app/JpegImage.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const pennora::JpegImage image = pennora::DecodeJpeg({data, size});
        const std::size_t expected = std::size_t(image.width) * image.height * pennora::kJpegBytesPerPixel;
        if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) __builtin_trap();
    } catch (const pennora::Error&) {
    }
    return 0;
}
