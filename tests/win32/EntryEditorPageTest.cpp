// The entry editor page on the real controls: the flag boxes' three states,
// the title box's limit counted in GBK bytes for typed and pasted text, and
// the tool bar's buttons.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorIds.h"
#include "entries/EntryEditorPage.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora {
namespace {

const std::string kPath = "C:\\Pennora\\Pennora.Dat";

std::string TextOf(HWND control) {
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

void DispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PutOnClipboard(const wchar_t* text) {
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

class EntryEditorPageTest : public ::testing::Test {
protected:
    EntryEditorPageTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        files.files[kPath] = EncodeDataFile({{"A", "1", std::nullopt, std::nullopt}});
        dataFile.Load();
        parent_ = CreateWindowExA(0, "STATIC", "editor host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 320, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        page = std::make_unique<EntryEditorPage>(parent_, store, logic, files, "Z:\\tmp\\");
    }
    ~EntryEditorPageTest() override {
        page.reset();
        DestroyWindow(parent_);
    }
    HWND Control(int id) const { return GetDlgItem(page->hwnd(), id); }

    fakes::FakeFileSystem files;
    fakes::FakeWindowsInput boxes;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kPath};
    ModeFlags flags;
    EntryEditorLogic logic{store, dataFile, flags, boxes, 0};
    HWND parent_ = nullptr;
    std::unique_ptr<EntryEditorPage> page;
};

TEST_F(EntryEditorPageTest, FlagBoxesGoFromIndeterminateToTickedAndNeverBack) {
    HWND box = Control(IDC_DBCHECKBOX2);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    const LRESULT expected[] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED};
    for (LRESULT state : expected) {
        SendMessageA(box, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), state);
    }
    store.Post();
    EXPECT_EQ(store.Current()->inHotKey, false);
    EXPECT_EQ(store.Current()->inDrag, std::nullopt);
    EXPECT_EQ(SendMessageA(Control(IDC_DBCHECKBOX1), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(EntryEditorPageTest, TitleBoxTakesTypedTextUpToFiftyGbkBytes) {
    HWND title = Control(IDC_DBEDIT1);
    SetWindowTextA(title, std::string(49, 'x').c_str());
    SendMessageW(title, EM_SETSEL, 49, 49);

    SendMessageW(title, WM_CHAR, L'\x704C', 1);  // 灌: two bytes, one too many
    EXPECT_EQ(TextOf(title), std::string(49, 'x'));
    SendMessageW(title, WM_CHAR, L'a', 1);
    SendMessageW(title, WM_CHAR, L'b', 1);
    EXPECT_EQ(TextOf(title), std::string(49, 'x') + "a");

    // Backspace still works at the limit, and then a Chinese character fits.
    SendMessageW(title, WM_CHAR, VK_BACK, 1);
    SendMessageW(title, WM_CHAR, VK_BACK, 1);
    SendMessageW(title, WM_CHAR, L'\x704C', 1);
    EXPECT_EQ(TextOf(title), std::string(48, 'x') + "灌");
    EXPECT_EQ(store.Current()->title, std::string(48, 'x') + "灌");
}

TEST_F(EntryEditorPageTest, TitleBoxTakesOnlyTheWholeCharactersOfAPasteThatFit) {
    HWND title = Control(IDC_DBEDIT1);
    SetWindowTextA(title, std::string(45, 'x').c_str());
    SendMessageW(title, EM_SETSEL, 45, 45);
    PutOnClipboard(L"\x704C\x6C34\x704C\x6C34\r\nsecond line");  // 灌水灌水, then a second line

    SendMessageW(title, WM_PASTE, 0, 0);

    EXPECT_EQ(TextOf(title), std::string(45, 'x') + "灌水");
    EXPECT_EQ(store.Current()->title, std::string(45, 'x') + "灌水");
}

// Enter in the title box appends the title to the content whatever modifier
// keys are held; with Alt it comes as a system key.
TEST_F(EntryEditorPageTest, EnterWithAnyModifiersAppendsTheTitleToTheContent) {
    const struct {
        const char* name;
        UINT message;
        LPARAM flags;
    } presses[] = {
        {"Enter", WM_KEYDOWN, 0},
        {"Alt+Enter", WM_SYSKEYDOWN, LPARAM(KF_ALTDOWN) << 16},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.name);
        HWND title = Control(IDC_DBEDIT1), content = Control(IDC_DBMEMO1);
        SetWindowTextA(content, "1");
        SetWindowTextA(title, "A");
        SendMessageA(title, press.message, VK_RETURN, 1 | press.flags);
        EXPECT_EQ(TextOf(content), "1A");
        EXPECT_EQ(store.Current()->content, "1A");
    }
}

// The hot key pressed in the content box of the third entry, or a title
// dropped on it, while a fill mode runs: the fill's lookup commits what was
// typed there, and its characters go to that entry too, at the caret.
TEST_F(EntryEditorPageTest, AFillTypedIntoTheContentBoxGoesToTheEntryShownThere) {
    flags.hotKeyOn = true;
    store.SetAfterPost([this] { ClientDataSet1AfterPost(store, flags, {}); });
    files.files[kPath] = EncodeDataFile({{"A", "1", {}, {}}, {"B", "2", {}, {}}, {"C", "3", {}, {}}});
    dataFile.Load();
    logic.GridRowSelected(2);
    HWND content = Control(IDC_DBMEMO1);
    SendMessageW(content, EM_SETSEL, 1, 1);
    SendMessageW(content, WM_CHAR, L'x', 1);

    Win32WindowsInput windows;
    ASSERT_EQ(TypeText(windows, FromHwnd(content), store.GetContentByTitle("A"), {}), Delivery::Delivered);
    DispatchPending();

    EXPECT_EQ(TextOf(content), "3x1");
    store.Post();
    EXPECT_EQ(store.Row(0).content, "1");
    EXPECT_EQ(store.Row(2).content, "3x1");
}

// A key pressed in a box of the page, through a loop like the program's:
// the dialog navigation of the box's top-level window sees it first, then it
// is translated with the keyboard state (Ctrl held or not, the key down
// until its key-up) and dispatched.
void Press(HWND box, UINT key, bool ctrl) {
    BYTE keys[256], held[256];
    GetKeyboardState(keys);
    memcpy(held, keys, sizeof keys);
    held[VK_CONTROL] = held[VK_LCONTROL] = ctrl ? 0x80 : 0;
    const LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    for (MSG message : {MSG{box, WM_KEYDOWN, key, 1 | scan, 0, {}}, MSG{box, WM_KEYUP, key, LPARAM(0xC0000001) | scan, 0, {}}}) {
        held[key] = message.message == WM_KEYDOWN ? 0x80 : 0;
        SetKeyboardState(held);
        do {
            HWND root = GetAncestor(message.hwnd, GA_ROOT);
            if (IsDialogMessageW(root ? root : message.hwnd, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    }
    SetKeyboardState(keys);
}

// Tab alone moves on to the next control; Ctrl+I types a Tab into the
// content at the caret, and the entry keeps it.
TEST_F(EntryEditorPageTest, CtrlIPutsATabIntoTheContentWhereTabAloneMovesOn) {
    ShowWindow(parent_, SW_SHOW);
    ShowWindow(page->hwnd(), SW_SHOW);
    HWND content = Control(IDC_DBMEMO1);
    SetWindowTextA(content, "ab");
    SetFocus(content);
    SendMessageW(content, EM_SETSEL, 1, 1);

    Press(content, 'I', true);
    EXPECT_EQ(TextOf(content), "a\tb");
    EXPECT_EQ(GetFocus(), content);

    Press(content, VK_TAB, false);
    EXPECT_EQ(TextOf(content), "a\tb");
    EXPECT_NE(GetFocus(), content);

    store.Post();
    EXPECT_EQ(store.Current()->content, "a\tb");
}

// Export and import close the tool bar, with their hints and the last two
// pictures of its image list.
TEST_F(EntryEditorPageTest, TheToolBarEndsWithExportImportAndEarlierVersions) {
    HWND toolBar = Control(IDC_TOOLBAR1);
    const int count = int(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    ASSERT_GE(count, 5);
    const struct {
        int index, id, image;
        const char* hint;
    } expected[] = {{count - 5, IDC_TOOLBUTTON_EXPORT, 8, "导出…"},
                    {count - 3, IDC_TOOLBUTTON_IMPORT, 9, "导入…"},
                    {count - 1, IDC_TOOLBUTTON_VERSIONS, 10, "较早的版本…"}};
    for (const auto& button : expected) {
        TBBUTTON got{};
        ASSERT_TRUE(SendMessageA(toolBar, TB_GETBUTTON, button.index, reinterpret_cast<LPARAM>(&got)));
        EXPECT_EQ(got.idCommand, button.id);
        EXPECT_EQ(got.iBitmap, button.image);
        char text[64] = {};
        SendMessageA(toolBar, TB_GETBUTTONTEXTA, button.id, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, button.hint);
    }
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(toolBar, TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(ImageList_GetImageCount(images), 11);
}

// A title being typed in place in the grid, its editor still open, is part
// of what a tool-bar button saves: the editor ends first.
TEST_F(EntryEditorPageTest, SaveWhileATitleIsTypedInPlaceInTheGridSavesThatTitle) {
    ShowWindow(parent_, SW_SHOW);
    HWND grid = Control(IDC_DBGRID1);
    SetFocus(grid);
    ASSERT_TRUE(ListView_EditLabel(grid, 0));
    HWND titleEditor = ListView_GetEditControl(grid);
    ASSERT_TRUE(titleEditor);
    SetWindowTextA(titleEditor, "B");

    SendMessageA(page->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TOOLBUTTON3, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(IDC_TOOLBAR1)));

    EXPECT_FALSE(ListView_GetEditControl(grid));
    const DecodedDataFile saved = DecodeDataFile(files.files[kPath]);
    ASSERT_EQ(saved.entries.size(), 1u) << saved.error;
    EXPECT_EQ(saved.entries[0].title, "B");
    EXPECT_FALSE(flags.dataModified);
}

// A title the program itself put in the in-place editor past its checks,
// with a character GBK does not have: the end keeps the row's old title (a
// "?" in its place would be stored and saved) and says so with a beep.
TEST_F(EntryEditorPageTest, AnInPlaceTitleGbkCannotHoldKeepsTheOldTitle) {
    ShowWindow(parent_, SW_SHOW);
    HWND grid = Control(IDC_DBGRID1);
    const std::optional<std::string> before = store.Row(0).title;
    SetFocus(grid);
    ASSERT_TRUE(SendMessageW(grid, LVM_EDITLABELW, 0, 0));
    HWND titleEditor = ListView_GetEditControl(grid);
    ASSERT_TRUE(titleEditor);
    SetWindowTextW(titleEditor, L"B\xD83D\xDE00");
    SetFocus(grid);
    EXPECT_FALSE(ListView_GetEditControl(grid));
    EXPECT_EQ(store.Row(0).title, before);
    EXPECT_FALSE(store.HasPendingChange());
}

// Reached with Tab, the tool bar is used by keyboard: the arrows, Home and
// End move its hot button (over separators, round the ends), Enter presses
// it; the dialog leaves those keys to it.
TEST_F(EntryEditorPageTest, TheToolBarMovesItsHotButtonByArrowsAndPressesItWithEnter) {
    HWND toolBar = Control(IDC_TOOLBAR1);
    const int last = int(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0)) - 1;
    const auto hot = [&] { return int(SendMessageA(toolBar, TB_GETHOTITEM, 0, 0)); };
    const struct {
        WPARAM key;
        int hot;
    } steps[] = {{VK_HOME, 0}, {VK_LEFT, last}, {VK_RIGHT, 0}, {VK_RIGHT, 2}, {VK_UP, 0}, {VK_END, last}, {VK_HOME, 0}};
    for (const auto& step : steps) {
        SendMessageA(toolBar, WM_KEYDOWN, step.key, 0);
        EXPECT_EQ(hot(), step.hot) << "after key " << step.key;
    }
    MSG enter{toolBar, WM_KEYDOWN, VK_RETURN, 0};
    EXPECT_TRUE(SendMessageA(toolBar, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE);
    EXPECT_TRUE(SendMessageA(toolBar, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
    SendMessageA(toolBar, WM_KEYDOWN, VK_RETURN, 0);  // 新增纪录
    EXPECT_TRUE(store.IsNewEntry());

    // Focus going elsewhere takes the hot button with it: no button stays
    // lit as if it were the one Enter presses; coming back lights one again.
    HWND title = Control(IDC_DBEDIT1);
    for (int round = 0; round < 2; ++round) {
        SetFocus(toolBar);
        EXPECT_GE(hot(), 0) << "focus in, round " << round;
        SetFocus(title);
        EXPECT_EQ(hot(), -1) << "focus out, round " << round;
    }
}

}  // namespace
}  // namespace pennora
