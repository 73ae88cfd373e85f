// The find of the drag-fill list on arbitrary bytes: a text and a piece,
// split at the first zero byte. It must not crash or read past either, and
// every text holds itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fill/ListFind.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t zero = input.find('\0');
    const std::string_view text = input.substr(0, zero);
    const std::string_view piece = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    pennora::ContainsPiece(text, piece);
    if (!pennora::ContainsPiece(text, text)) std::abort();
    return 0;
}
