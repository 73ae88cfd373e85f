#pragma once
// The settings-file object: one profile file, read and written key by key
// through the profile functions of the platform.
#include <optional>
#include <string>
#include <string_view>

#include "platform/ProfileApi.h"

namespace pennora {

// The number a profile value stands for: decimal with an optional sign;
// hexadecimal after "0x"/"0X" (when more than the prefix follows) or "$".
// Blanks around the number are allowed. Anything else, and a number outside
// the range of int, gives nothing.
std::optional<int> ParseProfileInteger(std::string_view text);

// The text to hand to the platform so that `value` reads back unchanged: the
// platform trims blanks around a value and strips one pair of quotes, so a
// value that would lose either is wrapped in double quotes.
std::string EncodeProfileString(std::string_view value);

class IniFile {
public:
    IniFile(ProfileApi& profile, std::string fileName);

    const std::string& FileName() const { return fileName_; }

    // Reads never fail: a missing file, section or key, or a value that is not
    // a number where one is read, gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue);
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue);

    // Each write goes to the file at once; a refused write throws Error with
    // the text "Unable to write to <file name>".
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Writes out whatever the platform still holds of the file.
    void Close();

private:
    void Write(const std::string& section, const std::string& key, const std::string& text);

    ProfileApi& profile_;
    std::string fileName_;
};

}  // namespace pennora
