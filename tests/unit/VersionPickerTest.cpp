// Picking a kept version of the data file: what is listed against the
// entries the editor shows, the question before a load, the load itself as
// changes still to be saved, and the save after it keeping the file it
// replaces.
#include "entries/VersionPicker.h"

#include <gtest/gtest.h>

#include <functional>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorLogic.h"
#include "fakes/PickerOverFakes.h"
#include "platform/Types.h"

namespace pennora {
namespace {

using fakes::Says;

const std::string kPath = fakes::kPickerDataFile;
const std::string kBackup = "C:\\Pennora\\Backup";
constexpr Hwnd kDialog = 0x200;

Entry Titled(std::string title, std::string content = "") { return {std::move(title), std::move(content), {}, {}}; }

std::vector<std::string> Titles(const EntryStore& store) {
    std::vector<std::string> titles;
    for (std::size_t row = 0; row < store.RowCount(); ++row) titles.push_back(store.Row(row).title.value_or("<null>"));
    return titles;
}

class VersionPickerTest : public ::testing::Test, protected fakes::PickerOverFakes {
protected:
    VersionPickerTest() {
        store.SetAfterPost([this] {
            ++afterPosts;
            flags.dataModified = true;
        });
        store.SetRowsChanged([this] { ++rowsChanged; });
        dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    }
    // Loads "v1", then saves "v2" and "v3": Backup holds v2's file (newest)
    // and v1's, the data file v3's.
    void SaveThreeTimes() {
        files.files[kPath] = EncodeDataFile({Titled("v1", "first")});
        ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
        for (const char* title : {"v2", "v3"}) {
            store.Append({Titled(title)});
            ++clock.now.second;
            dataFile.Save();
        }
        flags.dataModified = false;
        afterPosts = rowsChanged = 0;
        picker.Refresh();
        ASSERT_EQ(picker.Rows().size(), 2u);
    }

    int afterPosts = 0, rowsChanged = 0;
};

TEST_F(VersionPickerTest, ChosenVersionReplacesTheEntriesUnsavedAndTheNextSaveKeepsTheFileItReplaces) {
    SaveThreeTimes();
    const std::string v3File = files.files[kPath];
    const VersionRow older = picker.Rows()[1];
    EXPECT_EQ(older.entries, 1u);
    EXPECT_EQ(older.difference, (EntryDifference{0, 2, 0}));  // v2 and v3 gone
    EXPECT_EQ(DifferenceText(older), "新增 0，删除 2，修改 0");

    boxes.messageBoxAnswers = {kIdYes};
    ASSERT_TRUE(picker.Choose(1, kDialog));
    ASSERT_EQ(boxes.calls.size(), 1u);
    const std::string& question = boxes.calls[0];
    EXPECT_TRUE(Says(question, "载入 " + older.version.time + " 保留的版本吗？")) << question;
    EXPECT_TRUE(Says(question, "删除 2 个")) << question;
    EXPECT_TRUE(Says(question, kBackup)) << question;
    EXPECT_FALSE(Says(question, "载入后将丢失")) << "nothing unsaved to lose: " << question;
    EXPECT_NE(question.find("0x24)"), std::string::npos) << question;

    EXPECT_EQ(Titles(store), std::vector<std::string>{"v1"});
    EXPECT_EQ(store.Current()->content, "first");
    EXPECT_TRUE(flags.dataModified);
    EXPECT_EQ(afterPosts, 1);
    EXPECT_EQ(rowsChanged, 1);
    EXPECT_EQ(files.files[kPath], v3File) << "nothing is written before a save";
    EXPECT_NE(picker.LoadedHint().find("保存后写入数据文件"), std::string::npos);

    dataFile.Save();
    EXPECT_EQ(files.files[kPath], EncodeDataFile({Titled("v1", "first")}));
    const std::vector<DataFileBackups::Version> kept = backups.Versions();
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(files.files[kept[0].path], v3File) << "the replaced file is the newest version";
}

TEST_F(VersionPickerTest, NoToTheQuestionChangesNothing) {
    SaveThreeTimes();
    store.SetTitle("typed, not committed");
    boxes.messageBoxAnswers = {7};  // IDNO
    EXPECT_FALSE(picker.Choose(0, kDialog));
    EXPECT_EQ(Titles(store), (std::vector<std::string>{"v1", "v2", "typed, not committed"}));
    EXPECT_TRUE(store.HasPendingChange());
    EXPECT_FALSE(flags.dataModified);
    EXPECT_EQ(afterPosts, 0);
}

TEST_F(VersionPickerTest, ChangesNotSavedAreComparedAndNamedInTheQuestionWithNoAsDefault) {
    const struct {
        const char* what;
        std::function<void(EntryStore&, ModeFlags&)> act;
        std::size_t changedAgainstNewest;  // the newest version holds v1 and v2
        bool warned;
    } cases[] = {
        {"nothing", [](EntryStore&, ModeFlags&) {}, 1, false},  // v3 is not in it: one removed
        {"a title typed into v3", [](EntryStore& s, ModeFlags&) { s.SetTitle("v3 typed"); }, 1, true},
        {"an untouched new entry", [](EntryStore& s, ModeFlags&) { s.Insert(); }, 1, false},
        {"a new entry with a title", [](EntryStore& s, ModeFlags&) { s.Insert(); s.SetTitle("new"); }, 2, true},
        {"stored changes", [](EntryStore&, ModeFlags& f) { f.dataModified = true; }, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files = {};
        boxes.calls.clear();
        store.Close();
        SaveThreeTimes();
        c.act(store, flags);
        picker.Refresh();
        const EntryDifference d = picker.Rows()[0].difference;
        EXPECT_EQ(d.removed + d.changed, c.changedAgainstNewest);
        EXPECT_EQ(HasUnsavedEntryWork(store, flags), c.warned);

        boxes.messageBoxAnswers = {7};
        picker.Choose(0, kDialog);
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(Says(boxes.calls[0], "载入后将丢失"), c.warned) << boxes.calls[0];
        EXPECT_EQ(boxes.calls[0].find("0x134)") != std::string::npos, c.warned) << boxes.calls[0];
    }
}

TEST_F(VersionPickerTest, AVersionThatCannotBeReadCannotBeChosenAndOneThatStoppedReadingIsTold) {
    SaveThreeTimes();
    const std::string newest = picker.Rows()[0].version.path, older = picker.Rows()[1].version.path;
    files.files[older] = "torn";
    picker.Refresh();
    EXPECT_FALSE(picker.CanChoose(1));
    EXPECT_EQ(DifferenceText(picker.Rows()[1]), "无法读取");
    EXPECT_EQ(EntryCountText(picker.Rows()[1]), "-");
    EXPECT_NE(picker.RowDetail(1).find("无法载入"), std::string::npos) << picker.RowDetail(1);
    EXPECT_FALSE(picker.Choose(1, kDialog));
    EXPECT_TRUE(boxes.calls.empty()) << "nothing asked about a version that cannot be loaded";

    // The newest reads when listed, and not when the user says Yes.
    files.readErrors[newest] = "无法读取文件：拒绝访问。";
    boxes.messageBoxAnswers = {kIdYes};
    EXPECT_FALSE(picker.Choose(0, kDialog));
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_TRUE(Says(boxes.calls[1], "拒绝访问。数据项没有改变。")) << boxes.calls[1];
    EXPECT_EQ(Titles(store), (std::vector<std::string>{"v1", "v2", "v3"}));
    EXPECT_FALSE(flags.dataModified);
    EXPECT_FALSE(picker.CanChoose(0)) << "the rows were listed again";
}

TEST_F(VersionPickerTest, SummarySaysWhereTheVersionsAreThatThereAreNoneOrWhyTheFolderCannotBeListed) {
    picker.Refresh();
    EXPECT_TRUE(picker.Rows().empty());
    EXPECT_NE(picker.Summary().find("还没有保留的版本"), std::string::npos) << picker.Summary();
    EXPECT_FALSE(picker.CanChoose(0));

    folders.listError = "无法列出文件夹：设备未就绪。";
    picker.Refresh();
    EXPECT_NE(picker.Summary().find("设备未就绪"), std::string::npos) << picker.Summary();

    folders.listError.clear();
    SaveThreeTimes();
    EXPECT_NE(picker.Summary().find(kBackup), std::string::npos) << picker.Summary();
    EXPECT_NE(picker.Summary().find("最近的在前"), std::string::npos) << picker.Summary();
}

// What the user agreed to is the version as it was listed. A file changed
// between the listing and Yes (a sync client writing the folder) is not
// loaded: the user is told, the rows are listed again with its new counts,
// and the entries stay as they were.
TEST_F(VersionPickerTest, AVersionChangedAfterItWasListedIsListedAgainInsteadOfLoaded) {
    SaveThreeTimes();
    const VersionRow listed = picker.Rows()[1];
    const std::vector<std::string> before = Titles(store);
    files.files[listed.version.path] = EncodeDataFile({Titled("v1", "first"), Titled("x"), Titled("y")});

    boxes.messageBoxAnswers = {kIdYes};
    EXPECT_FALSE(picker.Choose(1, kDialog));
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_TRUE(Says(boxes.calls[1], "改动")) << boxes.calls[1];
    EXPECT_EQ(Titles(store), before);
    EXPECT_FALSE(flags.dataModified);
    EXPECT_EQ(picker.Rows()[1].entries, 3u);
}

// A data file that could not be read at start refuses every save: the
// question then must not promise one, and No is its default.
TEST_F(VersionPickerTest, WhenSavesAreRefusedTheQuestionSaysSoInsteadOfPromisingAKeptVersion) {
    SaveThreeTimes();
    const std::string refusal = "数据文件 \"" + kPath + "\" 没有读取成功，为免覆盖其中的数据项，现在不能保存。";
    picker.SetSaveRefusal(refusal);
    boxes.messageBoxAnswers = {kIdNo};
    EXPECT_FALSE(picker.Choose(1, kDialog));
    ASSERT_EQ(boxes.calls.size(), 1u);
    const std::string& question = boxes.calls[0];
    EXPECT_TRUE(Says(question, refusal)) << question;
    EXPECT_FALSE(Says(question, "保存时，现在的数据文件")) << question;
    EXPECT_NE(question.find("0x134)"), std::string::npos) << "No first: " << question;
}

TEST(EntryStoreReplaceAllTest, DropsAPendingNewEntryAndEmptiesTheStoreForAnEmptyVersion) {
    fakes::PickerOverFakes parts;
    fakes::FakeFileSystem& files = parts.files;
    EntryStore& store = parts.store;
    DataFileKeeper& dataFile = parts.dataFile;
    DataFileBackups& backups = parts.backups;
    files.files[kPath] = EncodeDataFile({Titled("A"), Titled("B")});
    dataFile.KeepEarlierVersions(backups, [](const std::string&) {});
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    const std::string before = files.files[kPath];
    int afterPosts = 0;
    store.SetAfterPost([&] { ++afterPosts; });
    store.Insert();
    store.SetTitle("new, typed");
    store.ReplaceAllAsUnsaved({});
    EXPECT_EQ(store.RowCount(), 0u);
    EXPECT_FALSE(store.IsEditing());
    EXPECT_EQ(store.Current(), nullptr);
    EXPECT_EQ(afterPosts, 1) << "an empty version is still a change to save";
    dataFile.Save();
    EXPECT_EQ(files.files[kPath], EncodeDataFile({}));
    ASSERT_FALSE(backups.Versions().empty());
    EXPECT_EQ(files.files[backups.Versions().front().path], before);
}

}  // namespace
}  // namespace pennora
