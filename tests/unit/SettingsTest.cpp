#include "ui/Settings.h"

#include <gtest/gtest.h>

#include "fakes/FakeProfile.h"

namespace pennora {
namespace {

using fakes::CallLog;
using fakes::FakeProfile;

constexpr const char* kFile = "Pennora.Ini";

TEST(ShiftConversion, MapsEachMemberToItsModifierFlagAndBack) {
    struct Case {
        ShiftState state;
        std::uint16_t modifiers;
    };
    const Case cases[] = {
        {{}, 0},
        {{.alt = true}, kModAlt},
        {{.ctrl = true}, kModControl},
        {{.shift = true}, kModShift},
        {{.shift = true, .alt = true}, 5},
        {{.ctrl = true, .alt = true}, 3},
        {{.shift = true, .ctrl = true, .alt = true}, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftToModifiers(c.state), c.modifiers);
        EXPECT_EQ(ModifiersToShift(c.modifiers), c.state) << c.modifiers;
    }
}

TEST(ShiftConversion, ModifiersToShiftDropsOtherFlagBits) {
    EXPECT_EQ(ModifiersToShift(8), ShiftState{});                                      // MOD_WIN
    EXPECT_EQ(ModifiersToShift(0xFFF8 | kModShift), ShiftState{.shift = true});
}

TEST(LoadSettings, GivesTheDefaultsForAnEmptyFileReadingTheKeysInTheFixedOrder) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    const Settings settings = LoadSettings(ini);

    EXPECT_EQ(settings, (Settings{.Shift = 5,
                                  .Key = 86,
                                  .MinimizeWhenHotKey = false,
                                  .MinimizeWhenStartup = false,
                                  .MinimizeWhenDrag = true,
                                  .AutoStartDragFill = false,
                                  .AutoStartHotKey = false}));
    const CallLog expectedReads = {
        R"(GetPrivateProfileStringA("HotKey", "Shift", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("HotKey", "Key", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "MinimizeWhenHotKey", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "MinimizeWhenStartup", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "MinimizeWhenDrag", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "AutoStartDragFill", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "AutoStartHotKey", "", "Pennora.Ini"))",
        R"(GetPrivateProfileStringA("Options", "TabToNextField", "", "Pennora.Ini"))",
    };
    EXPECT_EQ(profile.calls, expectedReads);
}

TEST(LoadSettings, CutsShiftAndKeyToTheirLow16BitsAndReadsHandWrittenValues) {
    FakeProfile profile;
    profile.Put(kFile, "hotkey", "shift", "0x10003");
    profile.Put(kFile, "HotKey", "Key", "-1");
    profile.Put(kFile, "Options", "MinimizeWhenDrag", "True");  // not a number: the default
    profile.Put(kFile, "Options", "AutoStartHotKey", "$1");
    IniFile ini(profile, kFile);
    const Settings settings = LoadSettings(ini);
    EXPECT_EQ(settings.Shift, 3);
    EXPECT_EQ(settings.Key, 0xFFFF);
    EXPECT_TRUE(settings.MinimizeWhenDrag);
    EXPECT_TRUE(settings.AutoStartHotKey);
}

TEST(WriteOptions, RoundTripsThroughLoadSettings) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    const Settings written{.Shift = 2, .Key = 0x70, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = true,
                           .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = true,
                           .TabToNextField = true};
    WriteOptions(ini, written);
    EXPECT_EQ(LoadSettings(ini), written);
}

TEST(ChineseGroup, ReadsTheDefaultsFromAnEmptyFile) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    EXPECT_EQ(ReadChineseGroup(ini, 40),
              (ChineseGroup{.FontIndex = 39, .FrontText = "水", .FillText = "灌", .BackText = "\xA1\xA1"}));
}

TEST(ChineseGroup, EmptiedFrontAndFillKeepTheirStoredValuesWhileAnEmptyBackIsStored) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    WriteChineseGroup(ini, {.FontIndex = 3, .FrontText = "A", .FillText = "B", .BackText = "C"});
    WriteChineseGroup(ini, {.FontIndex = 5, .FrontText = "", .FillText = "", .BackText = ""});
    EXPECT_EQ(ReadChineseGroup(ini, 40), (ChineseGroup{.FontIndex = 5, .FrontText = "A", .FillText = "B", .BackText = ""}));
}

TEST(ChineseGroup, BlankBackTextSurvivesTheFile) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    WriteChineseGroup(ini, {.FontIndex = 0, .FrontText = "#", .FillText = "*", .BackText = " "});
    EXPECT_EQ(ReadChineseGroup(ini, 1).BackText, " ");
}

TEST(Position, ReadsTheCallersDefaultsAndWritesLeftAndTop) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    EXPECT_EQ(ReadPosition(ini, kDragFillDesignPosition), (Point{364, 164}));
    WritePosition(ini, {-20, 700});
    EXPECT_EQ(ReadPosition(ini, kDragFillDesignPosition), (Point{-20, 700}));
    EXPECT_EQ(profile.Stored(kFile, "Position", "Left"), "-20");
    EXPECT_EQ(profile.Stored(kFile, "Position", "Top"), "700");
}

TEST(StartPosition, DefaultsToTheCurrentPlaceUnlessPutIntoTheFileByHand) {
    FakeProfile profile;
    IniFile ini(profile, kFile);
    EXPECT_EQ(ReadStartPosition(ini, {10, 20}), (Point{10, 20}));
    profile.Put(kFile, "StartPosition", "X", "100");
    profile.Put(kFile, "StartPosition", "Y", "0x20");
    EXPECT_EQ(ReadStartPosition(ini, {10, 20}), (Point{100, 32}));
}

}  // namespace
}  // namespace pennora
