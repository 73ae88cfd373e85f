// The dialog of earlier versions on the real controls: its rows newest
// first, the list with the focus and the newest selected, 载入 disabled on a
// version that cannot be read, Enter loading the selected one after the
// question, Esc closing without a change; from the editor, a title being
// typed in place in its grid is committed before the comparison.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorIds.h"
#include "entries/EntryEditorPage.h"
#include "entries/VersionPickerDialog.h"
#include "fakes/PickerOverFakes.h"
#include "platform/Types.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/LongFolder.h"

namespace pennora {
namespace {

const std::string kPath = fakes::kPickerDataFile;
const std::string kBackup = "C:\\Pennora\\Backup\\";

Entry Titled(std::string title) { return {std::move(title), std::string("c"), {}, {}}; }

std::string Cell(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Runs `look` on the dialog once it is up, from a timer of the modal loop.
std::function<void(HWND dialog)> look;
void CALLBACK LookAtTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", "较早的版本");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    look(dialog);
}

class VersionPickerDialogTest : public ::testing::Test, protected fakes::PickerOverFakes {
protected:
    VersionPickerDialogTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        files.files[kPath] = EncodeDataFile({Titled("now")});
        dataFile.Load();
        files.files[kBackup + "Pennora-000001-20261208-090000.Dat"] = EncodeDataFile({Titled("now"), Titled("old")});
        files.files[kBackup + "Pennora-000002-20261209-090000.Dat"] = "torn";
        files.files[kBackup + "Pennora-000003-20261210-090000.Dat"] = EncodeDataFile({});
        picker.Refresh();
    }
    bool Show(std::function<void(HWND)> what) {
        look = std::move(what);
        SetTimer(nullptr, 0, 20, LookAtTheDialog);
        VersionPickerDialog dialog(picker, "Z:\\tmp\\");
        return dialog.Show(nullptr);
    }
};

TEST_F(VersionPickerDialogTest, ListsNewestFirstAndEnterLoadsTheSelectedVersionAfterTheQuestion) {
    std::vector<std::vector<std::string>> rows;
    bool listHasFocus = false, loadOnNewest = false, loadOnTorn = true;
    std::string tornDetail;
    boxes.messageBoxAnswers = {kIdYes};
    const bool loaded = Show([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_VERSIONS_LIST);
        for (int row = 0; row < ListView_GetItemCount(list); ++row)
            rows.push_back({Cell(list, row, 0), Cell(list, row, 1), Cell(list, row, 2)});
        listHasFocus = GetFocus() == list;
        loadOnNewest = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        loadOnTorn = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        char detail[512] = {};
        GetDlgItemTextA(dialog, IDC_VERSIONS_DETAIL, detail, sizeof detail);
        tornDetail = detail;
        // Down to the oldest, then Enter, as the keys reach the dialog's loop.
        PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    });

    const std::vector<std::vector<std::string>> expected = {
        {"2026-12-10 09:00:00", "0", "新增 0，删除 1，修改 0"},
        {"2026-12-09 09:00:00", "-", "无法读取"},
        {"2026-12-08 09:00:00", "2", "新增 1，删除 0，修改 0"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(listHasFocus);
    EXPECT_TRUE(loadOnNewest);
    EXPECT_FALSE(loadOnTorn);
    EXPECT_NE(tornDetail.find("无法载入"), std::string::npos) << tornDetail;
    EXPECT_TRUE(loaded);
    EXPECT_EQ(boxes.calls.size(), 1u) << "one question";
    ASSERT_EQ(store.RowCount(), 2u);
    EXPECT_EQ(store.Row(1).title, "old");
}

TEST_F(VersionPickerDialogTest, EscapeClosesWithoutAQuestionOrAChange) {
    EXPECT_FALSE(Show([](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDC_VERSIONS_LIST), WM_KEYDOWN, VK_ESCAPE, 0); }));
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_EQ(store.RowCount(), 1u);
    EXPECT_EQ(store.Row(0).title, "now");
}

// The session ending destroys the dialog's owner while the dialog runs:
// the dialog ends as a cancel, with no error and no change to the entries.
TEST_F(VersionPickerDialogTest, ADialogDestroyedWithItsOwnerEndsAsACancel) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    look = [owner](HWND) { DestroyWindow(owner); };
    SetTimer(nullptr, 0, 20, LookAtTheDialog);
    VersionPickerDialog dialog(picker, "Z:\\tmp\\");
    bool loaded = true;
    EXPECT_NO_THROW(loaded = dialog.Show(owner));
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_EQ(store.RowCount(), 1u);
    EXPECT_EQ(store.Row(0).title, "now");
}

// A deep folder and an unreadable version: the summary and the line below
// the list each fit their control at its width in its font, with the reason
// whole; a path too long for them is shortened in its middle.
TEST(VersionPickerDialogTextTest, SummaryAndDetailFitTheirControlsUnderALongFolder) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    std::string folder = "C:\\Users\\张三\\AppData\\Local\\Pennora";
    while (folder.size() < 200) folder += "\\同步的文件夹";
    fakes::PickerOverFakes deep(folder + "\\Pennora.Dat");
    const std::string version = folder + "\\Backup\\Pennora-000001-20261208-090000.Dat";
    deep.files.files[version] = EncodeDataFile({Titled("old")});
    deep.files.readErrors[version] = "无法读取文件 \"" + version + "\"：拒绝访问。";
    VersionPicker& picker = deep.picker;
    picker.Refresh();
    ASSERT_EQ(picker.Rows().size(), 1u);

    struct Seen {
        int id;
        std::string text;
        int height = 0;
        int room = 0;
    };
    std::vector<Seen> seen = {{IDC_VERSIONS_SUMMARY, {}}, {IDC_VERSIONS_DETAIL, {}}};
    look = [&](HWND dialog) {
        for (Seen& s : seen) {
            HWND control = GetDlgItem(dialog, s.id);
            char text[1024] = {};
            GetWindowTextA(control, text, sizeof text);
            s.text = text;
            RECT box;
            GetClientRect(control, &box);
            s.room = box.bottom - box.top;
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            DrawTextA(dc, text, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            s.height = box.bottom - box.top;
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 20, LookAtTheDialog);
    VersionPickerDialog dialog(picker, "Z:\\tmp\\");
    dialog.Show(nullptr);

    for (const Seen& s : seen) {
        SCOPED_TRACE(s.text);
        EXPECT_LE(s.height, s.room);
        EXPECT_NE(s.text.find("C:\\Users\\"), std::string::npos);
    }
    EXPECT_NE(seen[1].text.find("：拒绝访问。"), std::string::npos);
    EXPECT_NE(seen[1].text.find("Pennora-000001-20261208-090000.Dat"), std::string::npos);
}

// A title typed in place in the editor's grid, its editor still open, is
// committed before the versions are compared with the entries: a version
// holding that title lists as the same, and loading it asks about the
// counts listed and leaves nothing of the edit behind: the loaded entries
// are the version's, whatever was typed.
TEST(VersionPickerFromTheEditorTest, ATitleBeingTypedInTheGridIsCommittedBeforeTheVersionsAreCompared) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const struct {
        const char* typed;
        const char* listed;
        const char* asked;
    } cases[] = {{"B", "相同", "新增 0 个、删除 0 个、修改 0 个"},
                 {"C", "新增 1，删除 1，修改 0", "新增 1 个、删除 1 个、修改 0 个"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        testing::LongFolder folder(60);
        const std::string path = folder.path() + "Pennora.Dat";
        Win32FileSystem files;
        ASSERT_EQ(files.SaveWholeFile(path, EncodeDataFile({{"A", "1", std::nullopt, std::nullopt}})), "");
        ASSERT_EQ(Win32FolderFiles().MakeFolder(folder.path() + "Backup"), "") << folder.path();
        ASSERT_EQ(files.SaveWholeFile(folder.path() + "Backup\\Pennora-000001-20261208-090000.Dat",
                                      EncodeDataFile({{"B", "1", std::nullopt, std::nullopt}})),
                  "");
        EntryStore store;
        DataFileKeeper dataFile{store, files, path};
        dataFile.Load();
        ModeFlags flags;
        fakes::FakeWindowsInput boxes;
        boxes.messageBoxAnswers = {kIdYes};
        EntryEditorLogic logic{store, dataFile, flags, boxes, 0};
        HWND host = CreateWindowExA(0, "STATIC", "editor host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 320,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        {
            EntryEditorPage page(host, store, logic, files, "Z:\\tmp\\");
            ShowWindow(page.hwnd(), SW_SHOW);
            HWND grid = GetDlgItem(page.hwnd(), IDC_DBGRID1);
            SetFocus(grid);
            ASSERT_TRUE(ListView_EditLabel(grid, 0));
            HWND titleEditor = ListView_GetEditControl(grid);
            ASSERT_TRUE(titleEditor);
            SetWindowTextA(titleEditor, c.typed);

            std::string difference;
            look = [&](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_VERSIONS_LIST);
                difference = Cell(list, 0, 2);
                PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
                // Closes the dialog should Enter not have loaded the version.
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            };
            SetTimer(nullptr, 0, 20, LookAtTheDialog);
            SendMessageA(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TOOLBUTTON_VERSIONS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(page.hwnd(), IDC_TOOLBAR1)));

            EXPECT_EQ(difference, c.listed);
            ASSERT_EQ(boxes.calls.size(), 1u) << "the question only";
            EXPECT_TRUE(fakes::Says(boxes.calls[0], c.asked)) << boxes.calls[0];
            EXPECT_FALSE(ListView_GetEditControl(grid));
            EXPECT_FALSE(store.HasPendingChange());
            ASSERT_EQ(store.RowCount(), 1u);
            EXPECT_EQ(store.Row(0).title, "B");
            EXPECT_TRUE(store.ReplacedWhole());
        }
        DestroyWindow(host);
    }
}

}  // namespace
}  // namespace pennora
