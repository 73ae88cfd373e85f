#pragma once
// The recorded calls of a fake, one line each in the form
// "PostMessageA(0x20, 0x102, 0x61, 1)", compared in one assertion against a
// named expected sequence so a failure shows the first differing call.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pennora::fakes {

using CallLog = std::vector<std::string>;

inline std::string Hex(std::uintmax_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%jx", value);
    return text;
}

// Quoted text with every byte outside printable ASCII shown as \xNN, so GBK
// strings stay readable in a failure message.
inline std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out + "\"";
}

}  // namespace pennora::fakes
