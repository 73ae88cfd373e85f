// The help launcher with the real HTML help control: each help entry point
// opens the viewer on the built Pennora.chm, owned by the calling window.
// Wine's test prefixes have no browser engine, so the viewer's page pane
// stays blank; what is checked is the viewer window itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>

#include "ui/HelpTopic.h"
#include "app/AppPath.h"
#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorIds.h"
#include "entries/EntryEditorLogic.h"
#include "entries/EntryEditorPage.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeWindowsInput.h"
#include "ui/ModeFlags.h"
#include "win32/WinePaths.h"

namespace pennora {
namespace {

constexpr const char* kViewerClass = "HH Parent";

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The viewer window owned by `owner`, once it is there (given up after 30 s).
HWND WaitForViewerOwnedBy(HWND owner) {
    for (int i = 0; i < 600; ++i) {
        PumpMessages();
        for (HWND w = FindWindowExA(nullptr, nullptr, kViewerClass, nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, kViewerClass, nullptr)) {
            if (GetWindow(w, GW_OWNER) == owner) return w;
        }
        Sleep(50);
    }
    return nullptr;
}

// As the user closes it. Wine's viewer must get WM_CLOSE: a viewer destroyed
// without it stays registered, and the next request opens no window.
void CloseViewer(HWND viewer) { SendMessageA(viewer, WM_CLOSE, 0, 0); }

HWND AnyViewer() {
    PumpMessages();
    return FindWindowExA(nullptr, nullptr, kViewerClass, nullptr);
}

// The first viewer window to appear, whoever owns it (given up after 30 s).
HWND WaitForAnyViewer() {
    for (int i = 0; i < 600; ++i) {
        if (HWND viewer = AnyViewer()) return viewer;
        Sleep(50);
    }
    return nullptr;
}

class HelpTopic : public ::testing::Test {
protected:
    void SetUp() override {
        // Hidden: Wine without a window manager waits two seconds to unmap a
        // shown framed window, and the owner needs no pixels.
        owner_ = CreateWindowExA(0, "STATIC", "help owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        for (HWND viewer = AnyViewer(); viewer != nullptr; viewer = AnyViewer()) CloseViewer(viewer);
        DestroyWindow(owner_);
    }

    HWND owner_ = nullptr;
    const std::string appPath_ = AppPathOf(testing::WindowsPath(PENNORA_APP_EXE));
};

TEST_F(HelpTopic, EveryEntryPointOpensTheViewerOwnedByItsWindow) {
    ASSERT_NE(GetFileAttributesA((appPath_ + kHelpFileName).c_str()), INVALID_FILE_ATTRIBUTES)
        << appPath_ << kHelpFileName << " was not built";
    // The target carries the whole path, so the working directory does not matter.
    char startDirectory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, startDirectory);
    SetCurrentDirectoryA("C:\\");
    const HelpEntry entries[] = {HelpEntry::FillPage,   HelpEntry::EntryEditor, HelpEntry::BrowserMenu,
                                 HelpEntry::TextMatrix, HelpEntry::HelpMenu,    HelpEntry::DragFillWindow};
    for (HelpEntry entry : entries) {
        const std::string target = HelpTarget(appPath_, entry);
        EXPECT_TRUE(ShowHelpEntry(owner_, appPath_, entry)) << target;
        HWND viewer = WaitForViewerOwnedBy(owner_);
        ASSERT_NE(viewer, nullptr) << "no viewer for " << target;
        EXPECT_TRUE(IsWindowVisible(viewer)) << target;
        char title[128] = {};
        GetWindowTextA(viewer, title, sizeof title);
        EXPECT_STREQ(title, "KestovaPennora 帮助") << target;
        CloseViewer(viewer);
        EXPECT_EQ(AnyViewer(), nullptr) << target;
    }
    SetCurrentDirectoryA(startDirectory);
    EXPECT_NE(GetModuleHandleA("HHCtrl.ocx"), nullptr) << "the help library is kept loaded";
}

// The window the viewer was created for, as the viewer's creation asked it
// (before the system replaces a child window by its top-level one).
HWND g_viewerCreatedFor = nullptr;

LRESULT CALLBACK NoteViewerCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA& create = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        char className[64] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
        if (lstrcmpA(className, kViewerClass) == 0) g_viewerCreatedFor = create.hwndParent;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The editor page is a child of the main window, as every page is; its help
// button opens the viewer for the main window, not for the page.
TEST_F(HelpTopic, TheEditorPagesHelpIsOwnedByTheMainWindow) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    fakes::FakeFileSystem files;
    const std::string dataPath = "C:\\Pennora\\Pennora.Dat";
    files.files[dataPath] = EncodeDataFile({{"A", "1", std::nullopt, std::nullopt}});
    EntryStore store;
    DataFileKeeper dataFile{store, files, dataPath};
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    fakes::FakeWindowsInput boxes;
    ModeFlags flags;
    EntryEditorLogic logic(store, dataFile, flags, boxes, 0);
    EntryEditorPage page(owner_, store, logic, files, appPath_);

    g_viewerCreatedFor = nullptr;
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteViewerCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    SendMessageA(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_TOOLBUTTON6, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page.hwnd(), IDC_TOOLBAR1)));
    UnhookWindowsHookEx(hook);

    HWND viewer = WaitForAnyViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(GetWindow(viewer, GW_OWNER), owner_);
    EXPECT_EQ(g_viewerCreatedFor, owner_) << "the viewer was made for another window than the main one";
}

TEST_F(HelpTopic, LibraryThatCannotBeLoadedShowsNothingAndReportsFalse) {
    EXPECT_FALSE(ShowHelpTopicFrom("NoSuchHelpLibrary.ocx", "HtmlHelpA", owner_,
                                   HelpTarget(appPath_, HelpEntry::HelpMenu), kHhDisplayToc, 0));
    EXPECT_EQ(AnyViewer(), nullptr);
}

TEST_F(HelpTopic, LibraryWithoutTheEntryShowsNothingAndReportsTrue) {
    EXPECT_TRUE(ShowHelpTopicFrom("HHCtrl.ocx", "NoSuchEntry", owner_, HelpTarget(appPath_, HelpEntry::HelpMenu),
                                  kHhDisplayToc, 0));
    EXPECT_EQ(AnyViewer(), nullptr);
}

// A file named like the help control in the program's own folder, as anyone
// with write access to a portable tool's folder could plant it, is never
// loaded: the launcher takes the control from the system folder.
TEST_F(HelpTopic, TheHelpControlComesFromTheSystemFolderNotTheProgramsOwn) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "pennora-help-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string loader = folder + "HelpLoader.exe", planted = folder + "HHCtrl.ocx", report = folder + "loaded.txt";
    const std::string programs = AppPathOf(testing::WindowsPath(PENNORA_APP_EXE)) + "..\\programs\\HelpLoader.exe";
    ASSERT_TRUE(CopyFileA(programs.c_str(), loader.c_str(), FALSE)) << programs;
    HANDLE file = CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "MZ not a library", 16, &written, nullptr);
    CloseHandle(file);

    std::string command = "\"" + loader + "\" \"" + report + "\"";
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &process));
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    char loaded[MAX_PATH] = {};
    HANDLE reportFile = CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (reportFile != INVALID_HANDLE_VALUE) {
        ReadFile(reportFile, loaded, MAX_PATH - 1, &written, nullptr);
        CloseHandle(reportFile);
    }
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    for (const std::string& path : {report, planted, loader}) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());

    EXPECT_EQ(code, 0u);
    std::string expected = std::string(system) + "\\hhctrl.ocx";
    EXPECT_EQ(std::string(CharLowerA(loaded)), std::string(CharLowerA(expected.data())));
}

}  // namespace
}  // namespace pennora
