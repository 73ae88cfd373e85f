// The real code page conversion and folder listing under Wine: GBK and UTF-8
// both ways without loss, refusals instead of look-alikes, and the files of
// a folder that keeps earlier versions of the data file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32TextCodec.h"

namespace pennora {
namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(TextCodecTest, ConvertsBothWaysAndRefusesWhatDoesNotComeBack) {
    Win32TextCodec codec;
    std::string out;
    const struct {
        std::string gbk, utf8;
    } pairs[] = {{"", ""}, {"plain, \"quoted\"\r\n", "plain, \"quoted\"\r\n"}, {"灌水：“中文”…", U8(u8"灌水：“中文”…")}};
    for (const auto& pair : pairs) {
        ASSERT_TRUE(codec.AnsiToUtf8(pair.gbk, out));
        EXPECT_EQ(out, pair.utf8);
        ASSERT_TRUE(codec.Utf8ToAnsi(pair.utf8, out));
        EXPECT_EQ(out, pair.gbk);
    }
    out = "unchanged";
    EXPECT_FALSE(codec.Utf8ToAnsi("smile \xF0\x9F\x98\x80", out));  // U+1F600 has no place in GBK
    EXPECT_FALSE(codec.Utf8ToAnsi("\xC3\xBF", out));                 // U+00FF, and no best-fit "y"
    EXPECT_FALSE(codec.Utf8ToAnsi("\xC0\xAF", out));                 // not UTF-8
    EXPECT_FALSE(codec.AnsiToUtf8("\x81", out));                     // a lead byte alone
    EXPECT_EQ(out, "unchanged");
}

class FolderFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "PennoraFolderFilesTest-" + std::to_string(GetCurrentProcessId()) + "\\";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    Win32FileSystem files;
    Win32FolderFiles folders;
    std::string folder;
};

TEST_F(FolderFilesTest, MakesAFolderOnceListsItsFilesAndNamesWhatBlocksIt) {
    const std::string backup = folder + "Backup";
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(folders.ListFiles(backup, names), "");
    EXPECT_TRUE(names.empty());

    EXPECT_EQ(folders.MakeFolder(backup), "");
    EXPECT_EQ(folders.MakeFolder(backup), "");
    ASSERT_EQ(files.SaveWholeFile(backup + "\\b.Dat", "b"), "");
    ASSERT_EQ(files.SaveWholeFile(backup + "\\灌水.Dat", "c"), "");
    std::filesystem::create_directory(backup + "\\sub");
    // Names the code page cannot spell (a Thai letter, an accented Latin
    // letter GBK lacks) are left out, not listed as "?" or a look-alike.
    for (const wchar_t* unspellable : {L"\\\u0e01.Dat", L"\\\u00c0.Dat"}) {
        const std::wstring path = ToWide(backup) + unspellable;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    EXPECT_EQ(folders.ListFiles(backup, names), "");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"b.Dat", "灌水.Dat"}));

    ASSERT_EQ(files.SaveWholeFile(folder + "Taken", "a file, not a folder"), "");
    const FileError error = folders.MakeFolder(folder + "Taken");
    EXPECT_NE(error.find(folder + "Taken"), std::string::npos) << error;
}

TEST_F(FolderFilesTest, ASaveKeepsThePreviousFileUnderTheTimeOfTheSave) {
    Win32Clock clock;
    const std::string data = folder + "Pennora.Dat";
    const std::string previous = EncodeDataFile({Entry{"old", {}, {}, {}}});
    ASSERT_EQ(files.SaveWholeFile(data, previous), "");
    DataFileBackups backups(files, folders, clock, data);
    EntryStore store;
    DataFileKeeper dataFile{store, files, data};
    dataFile.KeepEarlierVersions(backups, {});
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    store.SetTitle("new");
    dataFile.Save();

    const std::vector<DataFileBackups::Version> versions = backups.Versions();
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_TRUE(std::regex_match(versions[0].path, std::regex(".*\\\\Backup\\\\Pennora-000001-\\d{8}-\\d{6}\\.Dat")))
        << versions[0].path;
    const auto newest = backups.NewestReadable();
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->entries, (std::vector<Entry>{Entry{"old", {}, {}, {}}}));
}

}  // namespace
}  // namespace pennora
