#include "ui/IniFile.h"

#include <climits>
#include <cstdint>
#include <utility>

#include "platform/Error.h"

namespace pennora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// The magnitude of a run of digits in `base`, or nothing when the run is empty,
// holds another character, or exceeds `limit`.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit = DigitValue(c);
        if (digit >= base) return std::nullopt;
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    return value;
}

std::optional<std::string_view> HexDigitsOf(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return text.substr(2);
    if (!text.empty() && text[0] == '$') return text.substr(1);
    return std::nullopt;
}

}  // namespace

std::optional<int> ParseProfileInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (auto hex = HexDigitsOf(text)) {
        auto value = ParseDigits(*hex, 16, INT_MAX);
        if (!value) return std::nullopt;
        return int(*value);
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::uint64_t limit = negative ? std::uint64_t(INT_MAX) + 1 : std::uint64_t(INT_MAX);
    auto value = ParseDigits(text, 10, limit);
    if (!value) return std::nullopt;
    return negative ? int(-std::int64_t(*value)) : int(*value);
}

std::string EncodeProfileString(std::string_view value) {
    if (value.empty()) return {};
    const char first = value.front();
    const bool wouldLoseSomething = IsBlank(first) || IsBlank(value.back()) || first == '"' || first == '\'';
    if (!wouldLoseSomething) return std::string(value);
    return "\"" + std::string(value) + "\"";
}

IniFile::IniFile(ProfileApi& profile, std::string fileName) : profile_(profile), fileName_(std::move(fileName)) {}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) {
    std::string text = profile_.GetPrivateProfileStringA(section, key, "", fileName_);
    return ParseProfileInteger(text).value_or(defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) {
    return profile_.GetPrivateProfileStringA(section, key, defaultValue, fileName_);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    Write(section, key, value ? "1" : "0");
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    Write(section, key, EncodeProfileString(value));
}

void IniFile::Close() { profile_.FlushPrivateProfile(fileName_); }

void IniFile::Write(const std::string& section, const std::string& key, const std::string& text) {
    if (!profile_.WritePrivateProfileStringA(section, key, text, fileName_)) {
        throw Error("Unable to write to " + fileName_);
    }
}

}  // namespace pennora
