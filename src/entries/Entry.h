#pragma once
// The fill entry record and the byte widths of its text fields.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ui/GbkText.h"

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

}  // namespace pennora
