#pragma once
// Byte-counted texts in the GBK code page: an ASCII character is one byte,
// a Chinese character two (a lead byte 0x81..0xFE and the byte after it).
#include <cstddef>
#include <algorithm>
#include <string>
#include <string_view>

namespace pennora {

inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The longest prefix of `text` of at most `width` bytes that does not end in
// the middle of a double-byte character.
inline std::string CutToWidth(std::string_view text, std::size_t width) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + (IsGbkLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1);
        if (next > width) break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

// What of `insertion` an edit box limited to `limit` bytes takes when it
// holds `currentBytes` bytes of which `selectedBytes` are replaced: the
// longest whole-character prefix that fits.
inline std::string FitInsertion(std::size_t currentBytes, std::size_t selectedBytes, std::string_view insertion,
                                std::size_t limit) {
    const std::size_t kept = currentBytes - std::min(selectedBytes, currentBytes);
    return kept >= limit ? std::string() : CutToWidth(insertion, limit - kept);
}

}  // namespace pennora
