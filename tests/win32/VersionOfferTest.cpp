// A start that finds the data file unreadable, on the real main window and
// files: the same message box offers the newest earlier version that reads;
// Yes loads it as unsaved changes, No starts empty as before.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "entries/DataFile.h"
#include "platform/win32/Win32CaretApi.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32HotKeyApi.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"
#include "win32/MessageBoxAnswerer.h"

namespace pennora {
namespace {

const std::string kNotADataFile = "not a data file";

class VersionOfferStartTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "PennoraVersionOfferTest-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetParam()) + "\\";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ + "Backup");
    }
    void TearDown() override {
        main_.reset();
        app_.reset();
        DispatchPending();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void Start() {
        app_ = std::make_unique<Application>(kAppTitle);
        main_ = std::make_unique<MainWindow>(*app_, ShellServices{windows_, profile_, files_, hotKeys_, caret_},
                                             folder_ + "Pennora.exe");
        main_->Show();
        DispatchPending();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ + name, std::ios::binary) << bytes;
    }

    Win32WindowsInput windows_;
    Win32Profile profile_;
    Win32FileSystem files_;
    Win32HotKeyApi hotKeys_;
    Win32CaretApi caret_;
    std::string folder_;
    std::unique_ptr<Application> app_;
    std::unique_ptr<MainWindow> main_;
};

TEST_P(VersionOfferStartTest, TheNewestVersionThatReadsIsOfferedAndYesLoadsItAsUnsavedChanges) {
    const int answer = GetParam();
    const std::vector<Entry> kept{Entry{"A", "1", true, std::nullopt}, Entry{"B", std::nullopt, false, false}};
    Write(kDataFileName, kNotADataFile);
    Write("Backup\\Pennora-20261209-080000.Dat", EncodeDataFile({Entry{"older", {}, {}, {}}}));
    Write("Backup\\Pennora-20261210-174512.Dat", EncodeDataFile(kept));
    Write("Backup\\Pennora-20261211-090000.Dat", "damaged as well");

    MessageBoxAnswerer answerer({{kAppTitle, answer}});
    Start();

    const std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, kAppTitle);
    EXPECT_EQ(seen[0].icon, "warning");
    EXPECT_EQ(seen[0].buttons, "Yes No");
    EXPECT_NE(seen[0].text.find(folder_ + kDataFileName), std::string::npos) << seen[0].text;
    EXPECT_TRUE(seen[0].text.ends_with("是否载入最近的备份（2026-12-10 17:45:12）？")) << seen[0].text;

    EXPECT_EQ(main_->activePage(), kEditorPage);
    std::vector<Entry> rows;
    for (std::size_t row = 0; row < main_->store().RowCount(); ++row) rows.push_back(main_->store().Row(row));
    EXPECT_EQ(rows, answer == IDYES ? kept : std::vector<Entry>{});
    EXPECT_EQ(main_->flags().dataModified, answer == IDYES);
    // The unreadable file is kept aside either way, and nothing is saved yet.
    EXPECT_TRUE(std::filesystem::exists(folder_ + kDataFileName + ".unreadable-1"));
    EXPECT_FALSE(std::filesystem::exists(folder_ + kDataFileName));
}

INSTANTIATE_TEST_SUITE_P(, VersionOfferStartTest, ::testing::Values(IDYES, IDNO),
                         [](const auto& info) { return std::string(info.param == IDYES ? "Yes" : "No"); });

}  // namespace
}  // namespace pennora
