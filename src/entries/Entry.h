#pragma once
// The fill entry record and the byte widths of its text fields.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pennora {

inline constexpr std::size_t kTitleWidth = 100;
inline constexpr std::size_t kContentWidth = 1000;

// Every field may be null; a null flag counts as set, a null text reads as
// empty text. A new entry has all four fields null.
struct Entry {
    std::optional<std::string> title;
    std::optional<std::string> content;
    std::optional<bool> inDrag;
    std::optional<bool> inHotKey;

    bool operator==(const Entry&) const = default;
};

inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The longest prefix of `text` of at most `width` bytes that does not end in
// the middle of a GBK double-byte character (a lead byte and the byte after it).
inline std::string CutToWidth(std::string_view text, std::size_t width) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + (IsGbkLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1);
        if (next > width) break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

}  // namespace pennora
