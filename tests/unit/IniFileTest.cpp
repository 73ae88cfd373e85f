#include "ui/IniFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "fakes/FakeProfile.h"
#include "platform/Error.h"

namespace pennora {
namespace {

using fakes::FakeProfile;

constexpr const char* kFile = "C:\\Tool\\Pennora.Ini";

struct ValueCase {
    std::string text;
    std::optional<int> number;
};

TEST(ParseProfileInteger, ReadsDecimalAndPrefixedHexAndRejectsEverythingElse) {
    const ValueCase cases[] = {
        {"0", 0},
        {"86", 86},
        {"-5", -5},
        {"+7", 7},
        {"007", 7},
        {"  42\t", 42},            // blanks around the number
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},  // overflow
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"0x56", 0x56},
        {"0X1f", 0x1F},
        {"0x0000000000000005", 5},  // leading zeros are not an overflow
        {"0x7FFFFFFF", 0x7FFFFFFF},
        {"0x80000000", std::nullopt},
        {"$56", 0x56},
        {"$ff", 0xFF},
        {"0x", std::nullopt},        // a prefix and nothing after it
        {"$", std::nullopt},
        {"-0x5", std::nullopt},      // hex has no sign
        {"$-5", std::nullopt},
        {"0xG", std::nullopt},
        {"-", std::nullopt},
        {"+", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"True", std::nullopt},
        {"1e3", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"5.0", std::nullopt},
        {std::string("1\0", 2), std::nullopt},
        {"\xCB\xAE", std::nullopt},  // GBK text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileInteger(c.text), c.number) << fakes::Quoted(c.text);
    }
}

TEST(IniFile, ReadIntegerAndReadBoolFallBackToTheDefaultForMissingOrNonNumericValues) {
    FakeProfile profile;
    profile.Put(kFile, "S", "Hex", "0x10");
    profile.Put(kFile, "S", "Word", "True");
    profile.Put(kFile, "S", "Zero", "0");
    profile.Put(kFile, "S", "Two", "2");
    profile.Put(kFile, "S", "Blank", "");
    IniFile ini(profile, kFile);

    EXPECT_EQ(ini.ReadInteger("s", "HEX", 3), 16);  // names match without regard to case
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Other", "Hex", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "Blank", 3), 3);
    EXPECT_TRUE(ini.ReadBool("S", "Word", true));
    EXPECT_FALSE(ini.ReadBool("S", "Word", false));
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
}

TEST(IniFile, WritesDecimalIntegersAndBooleansAsOneAndZero) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    ini.WriteInteger("S", "N", -364);
    ini.WriteBool("S", "T", true);
    ini.WriteBool("S", "F", false);
    EXPECT_EQ(profile.Stored(kFile, "S", "N"), "-364");
    EXPECT_EQ(profile.Stored(kFile, "S", "T"), "1");
    EXPECT_EQ(profile.Stored(kFile, "S", "F"), "0");
}

TEST(IniFile, StringsReadBackExactlyAsWritten) {
    const std::string values[] = {"水", "", " ", "  a b  ", "\"quoted\"", "'single'", "\"", "'x", "a\"", "\xA1\xA1"};
    for (const auto& value : values) {
        FakeProfile profile;
        IniFile ini(profile, kFile);
        ini.WriteString("ChineseGroup", "BackText", value);
        EXPECT_EQ(ini.ReadString("ChineseGroup", "BackText", "default"), value) << fakes::Quoted(value);
    }
}

TEST(IniFile, ReadStringGivesTheDefaultOnlyForAMissingKey) {
    FakeProfile profile;
    profile.Put(kFile, "S", "Empty", "");
    IniFile ini(profile, kFile);
    EXPECT_EQ(ini.ReadString("S", "Empty", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "Missing", "d"), "d");
}

TEST(IniFile, RefusedWriteReportsTheFileName) {
    FakeProfile profile;
    profile.refuseWrites = true;
    IniFile ini(profile, kFile);
    const std::string expected = std::string("Unable to write to ") + kFile;
    auto message = [](auto write) -> std::string {
        try {
            write();
        } catch (const Error& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { ini.WriteInteger("S", "K", 1); }), expected);
    EXPECT_EQ(message([&] { ini.WriteBool("S", "K", true); }), expected);
    EXPECT_EQ(message([&] { ini.WriteString("S", "K", "x"); }), expected);
}

TEST(IniFile, CloseFlushesTheFile) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    ini.Close();
    EXPECT_EQ(profile.calls, fakes::CallLog{"FlushPrivateProfile(" + fakes::Quoted(kFile) + ")"});
}

}  // namespace
}  // namespace pennora
