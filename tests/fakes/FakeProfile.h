#pragma once
// An in-memory profile with the semantics the tool relies on: file, section
// and key names match without regard to case; a read trims blanks around the
// value, strips one pair of surrounding quotes and returns at most 2047 bytes,
// or the default when the key is missing. Every call is recorded in `calls`
// (a test may point it at another fake's log to get one sequence). Writes can
// be refused.
#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <string>

#include "fakes/CallLog.h"
#include "platform/ProfileApi.h"

namespace pennora::fakes {

class FakeProfile final : public ProfileApi {
public:
    explicit FakeProfile(CallLog* sharedLog = nullptr) : calls(sharedLog ? *sharedLog : ownLog_) {}

    // Script.
    bool refuseWrites = false;
    bool recordReads = true;

    CallLog& calls;

    // Puts a value into the file as if written by hand.
    void Put(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
        files_[Fold(file)][Fold(section)][Fold(key)] = value;
    }
    // The raw stored text of a key, as it stands in the file.
    std::optional<std::string> Stored(const std::string& file, const std::string& section,
                                      const std::string& key) const {
        auto f = files_.find(Fold(file));
        if (f == files_.end()) return std::nullopt;
        auto s = f->second.find(Fold(section));
        if (s == f->second.end()) return std::nullopt;
        auto k = s->second.find(Fold(key));
        if (k == s->second.end()) return std::nullopt;
        return k->second;
    }

    std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                         const std::string& defaultValue, const std::string& fileName) override {
        if (recordReads) {
            calls.push_back("GetPrivateProfileStringA(" + Quoted(section) + ", " + Quoted(key) + ", " +
                            Quoted(defaultValue) + ", " + Quoted(fileName) + ")");
        }
        auto stored = Stored(fileName, section, key);
        return Limit(stored ? Unquote(Trim(*stored)) : defaultValue);
    }

    bool WritePrivateProfileStringA(const std::string& section, const std::string& key, const std::string& value,
                                    const std::string& fileName) override {
        calls.push_back("WritePrivateProfileStringA(" + Quoted(section) + ", " + Quoted(key) + ", " + Quoted(value) +
                        ", " + Quoted(fileName) + ")");
        if (refuseWrites) return false;
        Put(fileName, section, key, value);
        return true;
    }

    void FlushPrivateProfile(const std::string& fileName) override {
        calls.push_back("FlushPrivateProfile(" + Quoted(fileName) + ")");
    }

private:
    static std::string Fold(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
            return c < 0x80 ? char(std::tolower(c)) : char(c);
        });
        return text;
    }
    static std::string Trim(const std::string& text) {
        const char* blanks = " \t\r\n";
        auto first = text.find_first_not_of(blanks);
        if (first == std::string::npos) return {};
        return text.substr(first, text.find_last_not_of(blanks) - first + 1);
    }
    static std::string Unquote(const std::string& text) {
        if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
            return text.substr(1, text.size() - 2);
        }
        return text;
    }
    static std::string Limit(const std::string& text) { return text.substr(0, kReadBufferSize - 1); }

    using Section = std::map<std::string, std::string>;
    std::map<std::string, std::map<std::string, Section>> files_;
    CallLog ownLog_;
};

}  // namespace pennora::fakes
