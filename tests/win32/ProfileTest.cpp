// The settings file on the real profile functions: what the tool writes reads
// back unchanged, a hand-written file reads as a user would expect, and a
// refused write is reported with the file name.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ui/IniFile.h"
#include "ui/Settings.h"
#include "platform/Error.h"
#include "platform/win32/Win32Profile.h"

namespace pennora {
namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "PennoraProfileTest" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        fileName = folder + "Pennora.Ini";
        DeleteFileA(fileName.c_str());
    }
    void TearDown() override {
        profile.FlushPrivateProfile(fileName);
        DeleteFileA(fileName.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void WriteFileBytes(const std::string& bytes) {
        std::ofstream(fileName, std::ios::binary) << bytes;
    }
    std::string FileBytes() {
        std::ostringstream bytes;
        bytes << std::ifstream(fileName, std::ios::binary).rdbuf();
        return bytes.str();
    }

    Win32Profile profile;
    std::string folder;
    std::string fileName;
};

TEST_F(ProfileTest, ValuesWrittenByTheToolReadBackUnchanged) {
    IniFile ini(profile, fileName);
    const Settings settings{.Shift = 6, .Key = 0x70, .MinimizeWhenHotKey = true, .MinimizeWhenStartup = false,
                            .MinimizeWhenDrag = false, .AutoStartDragFill = true, .AutoStartHotKey = true};
    WriteOptions(ini, settings);
    WritePosition(ini, {-8, 1200});
    WriteChineseGroup(ini, {.FontIndex = 12, .FrontText = "水", .FillText = " x ", .BackText = "\"\xA1\xA1\""});
    ini.Close();

    IniFile reopened(profile, fileName);
    EXPECT_EQ(LoadSettings(reopened), settings);
    EXPECT_EQ(ReadPosition(reopened, kDragFillDesignPosition), (Point{-8, 1200}));
    EXPECT_EQ(ReadChineseGroup(reopened, 40),
              (ChineseGroup{.FontIndex = 12, .FrontText = "水", .FillText = " x ", .BackText = "\"\xA1\xA1\""}));
}

TEST_F(ProfileTest, TheFileHoldsDecimalNumbersAndOneAndZeroUnderTheirSections) {
    IniFile ini(profile, fileName);
    WriteOptions(ini, Settings{});
    ini.Close();
    const std::string text = FileBytes();
    EXPECT_NE(text.find("[Options]\r\nMinimizeWhenHotKey=0\r\nMinimizeWhenStartup=0\r\nMinimizeWhenDrag=1\r\n"
                        "AutoStartDragFill=0\r\nAutoStartHotKey=0\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[HotKey]\r\nShift=5\r\nKey=86\r\n"), std::string::npos) << text;
}

TEST_F(ProfileTest, AHandWrittenFileReadsWithHexValuesDefaultsAndGbkText) {
    WriteFileBytes(
        "[hotkey]\r\n"
        "SHIFT = 0x3\r\n"
        "Key=$41\r\n"
        "[Options]\r\n"
        "MinimizeWhenDrag=True\r\n"
        "AutoStartHotKey=1\r\n"
        "MinimizeWhenStartup=abc\r\n"
        "[ChineseGroup]\r\n"
        "FrontText=\xCB\xAE\xB9\xE0\r\n"  // 水灌 in GBK
        "BackText=\r\n");
    IniFile ini(profile, fileName);
    EXPECT_EQ(LoadSettings(ini), (Settings{.Shift = 3, .Key = 0x41, .MinimizeWhenHotKey = false,
                                           .MinimizeWhenStartup = false, .MinimizeWhenDrag = true,
                                           .AutoStartDragFill = false, .AutoStartHotKey = true}));
    EXPECT_EQ(ReadChineseGroup(ini, 7),
              (ChineseGroup{.FontIndex = 6, .FrontText = "水灌", .FillText = "灌", .BackText = ""}));
    EXPECT_EQ(ReadStartPosition(ini, {1, 2}), (Point{1, 2}));
}

TEST_F(ProfileTest, AMissingFileGivesEveryDefault) {
    IniFile ini(profile, folder + "Absent.Ini");
    EXPECT_EQ(LoadSettings(ini), Settings{});
    EXPECT_EQ(ReadPosition(ini, kDragFillDesignPosition), kDragFillDesignPosition);
}

TEST_F(ProfileTest, AValueIsReadUpTo2047Bytes) {
    WriteFileBytes("[S]\r\nLong=" + std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(profile.GetPrivateProfileStringA("S", "Long", "", fileName), std::string(2047, 'a'));
}

TEST_F(ProfileTest, AWriteIntoAMissingFolderIsReportedWithTheFileName) {
    const std::string unwritable = folder + "NoSuchFolder\\Pennora.Ini";
    IniFile ini(profile, unwritable);
    try {
        ini.WriteInteger("Position", "Left", 1);
        FAIL() << "the write was not refused";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + unwritable);
    }
}

}  // namespace
}  // namespace pennora
