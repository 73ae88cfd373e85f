// The window layer under Wine: creation that fails says why, the error edge
// of program entry, the drag-fill window's place in screen coordinates when
// the work area does not start at the screen's corner, and its presses.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/OptionsPage.h"
#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "fill/TextDelivery.h"
#include "platform/Error.h"
#include "platform/win32/Owned.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/IniFile.h"
#include "ui/PageDialog.h"
#include "ui/resource.h"
#include "ui/TitleStrip.h"
#include "ui/Window.h"

namespace pennora {
namespace {

class DialogWithoutTemplate final : public Dialog {
public:
    DialogWithoutTemplate() { CreateChild(32123, nullptr); }
};

class WindowWithAMissingOwner final : public Window {
public:
    WindowWithAMissingOwner() {
        WNDCLASSEXA windowClass{};
        Create("PennoraWindowTest", windowClass, 0, "", WS_POPUP, RECT{0, 0, 10, 10}, reinterpret_cast<HWND>(0x7FFE));
    }
};

// The text of the error a creation threw, or "<none>".
template <class Made>
std::string CreationError() {
    try {
        Made made;
    } catch (const Error& error) {
        return error.what();
    }
    return "<none>";
}

TEST(WindowTest, CreationThatFailsThrowsWithTheSystemsReason) {
    const struct {
        const char* what;
        std::string error;
        std::string named;
    } cases[] = {
        {"a dialog without its template", CreationError<DialogWithoutTemplate>(), "32123"},
        {"a window with a missing owner", CreationError<WindowWithAMissingOwner>(), "PennoraWindowTest"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NE(c.error, "<none>");
        EXPECT_NE(c.error.find(c.named), std::string::npos) << c.error;
        // Something of the system's own words follows the colon.
        const std::size_t colon = c.error.find("：");
        ASSERT_NE(colon, std::string::npos) << c.error;
        EXPECT_GT(c.error.size(), colon + 2) << c.error;
    }
}

// A message box of this process, answered with OK once seen.
struct SeenReport {
    std::string caption, text;
};

// Given up after 30 s, when the box never came.
DWORD WINAPI AnswerFirstBox(LPVOID seen) {
    for (int i = 0; i < 3000; ++i) {
        HWND box = FindWindowA("#32770", nullptr);
        DWORD process = 0;
        if (box) GetWindowThreadProcessId(box, &process);
        if (box && process == GetCurrentProcessId() && IsWindowVisible(box)) {
            char caption[256] = {}, text[1024] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            *static_cast<SeenReport*>(seen) = {caption, text};
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

TEST(WindowTest, AnErrorBeforeTheMessageLoopReachesTheErrorReportAndEndsWithAnErrorCode) {
    SeenReport seen;
    HANDLE answerer = CreateThread(nullptr, 0, AnswerFirstBox, &seen, 0, nullptr);
    int code = Application::RunGuarded("KestovaPennora", []() -> int { throw Error("关于页的图片无法解码"); });
    WaitForSingleObject(answerer, INFINITE);
    CloseHandle(answerer);
    EXPECT_NE(code, 0);
    EXPECT_EQ(seen.caption, "KestovaPennora");
    EXPECT_EQ(seen.text, "关于页的图片无法解码.");
}

// With the taskbar on the top and left edges the work area starts at (60, 40);
// a minimised window's restored place then comes in work-area coordinates.
// (Wine 8 keeps the monitor's work area at the screen's corner whatever
// SPI_SETWORKAREA says, so under Wine both ways of reading the place agree.)
TEST(WindowTest, TheDragFillPlaceIsInScreenCoordinatesAlsoWhenMinimised) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    RECT saved{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0));
    RECT offset{60, 40, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &offset, 0));

    fakes::FakeProfile profile;
    IniFile ini(profile, "C:\\Pennora\\Pennora.Ini");
    EntryStore store;
    fakes::FakeWindowsInput input;
    TextDelivery delivery(input);
    {
        DragFillWindow window(DragFillWindow::Context{ini, store, delivery, input, "C:\\Pennora\\"});
        window.Show();
        SetWindowPos(window.hwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(window.CurrentPosition(), (Point{300, 200}));
        ShowWindow(window.hwnd(), SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(window.hwnd()));
        EXPECT_EQ(window.CurrentPosition(), (Point{300, 200}));
    }
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
}

// With StartPosition in the settings file every showing puts the window
// there: after the user moved it, and after it was minimised and closed, when
// the showing restores it.
TEST(WindowTest, EveryShowingPutsTheDragFillWindowAtItsStartPosition) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    fakes::FakeProfile profile;
    IniFile ini(profile, "C:\\Pennora\\Pennora.Ini");
    profile.Put("C:\\Pennora\\Pennora.Ini", "StartPosition", "X", "120");
    profile.Put("C:\\Pennora\\Pennora.Ini", "StartPosition", "Y", "90");
    EntryStore store;
    fakes::FakeWindowsInput input;
    TextDelivery delivery(input);
    DragFillWindow window(DragFillWindow::Context{ini, store, delivery, input, "C:\\Pennora\\"});
    for (const bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "minimised before the close" : "moved before the close");
        window.Show();
        SetWindowPos(window.hwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (minimised) ShowWindow(window.hwnd(), SW_MINIMIZE);
        window.Close();
        window.Show();
        RECT place;
        GetWindowRect(window.hwnd(), &place);
        EXPECT_FALSE(IsIconic(window.hwnd()));
        EXPECT_TRUE(IsWindowVisible(window.hwnd()));
        EXPECT_EQ((Point{place.left, place.top}), (Point{120, 90}));
        window.Close();
    }
}

// The list asks for double clicks, so a second press on a title soon after
// the first arrives as one. It arms the drag all the same, and its release
// over another program's field types the entry there.
TEST(WindowTest, ASecondQuickPressOnATitleDragsLikeTheFirst) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    fakes::FakeProfile profile;
    IniFile ini(profile, "C:\\Pennora\\Pennora.Ini");
    fakes::FakeFileSystem files;
    files.files["C:\\Pennora\\Pennora.Dat"] = EncodeDataFile({{"Mail", "ab", std::nullopt, std::nullopt}});
    EntryStore store;
    DataFileKeeper dataFile{store, files, "C:\\Pennora\\Pennora.Dat"};
    ASSERT_EQ(dataFile.Load().status, DataFileKeeper::LoadStatus::Loaded);
    fakes::FakeWindowsInput input;
    input.windowUnderCursor = 0x999;  // the field the title is dropped on
    TextDelivery delivery(input);
    DragFillWindow window(DragFillWindow::Context{ini, store, delivery, input, "C:\\Pennora\\"});
    window.Show();
    HWND list = GetDlgItem(window.hwnd(), IDC_DF_LISTBOX1);
    RECT item{};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    POINT onTitle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    const LPARAM inList = MAKELPARAM(onTitle.x, onTitle.y);
    MapWindowPoints(list, window.hwnd(), &onTitle, 1);
    const fakes::CallLog typed = {"PostMessageA(0x999, 0x102, 0x61, 1)", "PostMessageA(0x999, 0x102, 0x62, 1)"};

    for (UINT press : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        SCOPED_TRACE(press == WM_LBUTTONDOWN ? "first press" : "second press, a double click");
        input.calls.clear();
        SendMessageA(list, press, MK_LBUTTON, inList);
        EXPECT_TRUE(delivery.DragActive());
        // The release reaches the window that holds the capture.
        SendMessageA(window.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(onTitle.x, onTitle.y));
        fakes::CallLog posted;
        for (const std::string& call : input.calls)
            if (call.rfind("PostMessageA(", 0) == 0) posted.push_back(call);
        EXPECT_EQ(posted, typed);
    }
}

// A drop refuses the tool's own windows by their process: the seam tells a
// window of this process from one of another (the desktop's, made by the
// system's shell process).
TEST(WindowTest, TheProcessOfAWindowTellsTheToolsOwnWindowsFromOthers) {
    Win32WindowsInput input;
    HWND own = CreateWindowExA(0, "STATIC", "own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(input.GetWindowThreadProcessId(FromHwnd(own)), input.GetCurrentProcessId());
    EXPECT_EQ(input.GetCurrentProcessId(), GetCurrentProcessId());
    EXPECT_NE(input.GetWindowThreadProcessId(FromHwnd(GetDesktopWindow())), input.GetCurrentProcessId());
    EXPECT_EQ(input.GetWindowThreadProcessId(0), 0u);
    DestroyWindow(own);
    EXPECT_EQ(input.GetWindowThreadProcessId(FromHwnd(own)), 0u);  // a window that is gone
}

// The program's message loop gives every window dialog navigation: each
// message passes IsDialogMessageW on its top-level window first, which
// takes Esc for the window's Cancel unless the focus asks for the key.
void DispatchWithDialogNavigation() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && IsDialogMessageW(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The strip's glyphs act as buttons do: on a release over the glyph that was
// pressed. Sliding off, Esc or a lost capture gives the press up.
TEST(WindowTest, TheStripsGlyphsActOnAReleaseOverThePressedGlyphOnly) {
    constexpr int kMinimizeId = 501, kCloseId = 502;
    HWND parent = CreateWindowExA(0, "STATIC", "strip host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    TitleStrip strip(parent, 500, TitleStrip::Look{static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), true,
                                                   kMinimizeId, kCloseId});
    strip.Layout(300);
    std::vector<std::string> acted;
    strip.onMinimizeClick = [&] { acted.push_back("minimise"); };
    strip.onCloseClick = [&] { acted.push_back("close"); };

    enum Step { Press, DoubleClick, MoveOff, MoveBack, Escape, LoseCapture, Release, ReleaseOff };
    const struct {
        const char* name;
        std::vector<Step> steps;
        bool acts;
    } cases[] = {
        {"press and release", {Press, Release}, true},
        {"a quick second press", {DoubleClick, Release}, true},
        {"slide off and release", {Press, MoveOff, ReleaseOff}, false},
        {"release off without a move", {Press, ReleaseOff}, false},
        {"slide off and back", {Press, MoveOff, MoveBack, Release}, true},
        {"Esc, then release", {Press, Escape, Release}, false},
        {"capture lost, then release", {Press, LoseCapture, Release}, false},
        {"release with nothing pressed", {Release}, false},
    };
    for (const int id : {kMinimizeId, kCloseId}) {
        HWND glyph = GetDlgItem(strip.hwnd(), id);
        ASSERT_NE(glyph, nullptr);
        RECT client{};
        GetClientRect(glyph, &client);
        const LPARAM inside = MAKELPARAM(client.right / 2, client.bottom / 2);
        const LPARAM off = MAKELPARAM(client.right + 40, client.bottom + 40);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(id == kMinimizeId ? "minimise: " : "close: ") + c.name);
            acted.clear();
            for (Step step : c.steps) {
                switch (step) {
                case Press:
                    SendMessageA(glyph, WM_LBUTTONDOWN, MK_LBUTTON, inside);
                    EXPECT_TRUE(acted.empty()) << "acted on the press";
                    EXPECT_EQ(GetCapture(), glyph);
                    break;
                case DoubleClick: SendMessageA(glyph, WM_LBUTTONDBLCLK, MK_LBUTTON, inside); break;
                case MoveOff: SendMessageA(glyph, WM_MOUSEMOVE, MK_LBUTTON, off); break;
                case MoveBack: SendMessageA(glyph, WM_MOUSEMOVE, MK_LBUTTON, inside); break;
                case Escape:
                    ASSERT_NE(GetFocus(), nullptr);
                    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
                    DispatchWithDialogNavigation();
                    break;
                case LoseCapture: SetCapture(parent); break;
                case Release: SendMessageA(glyph, WM_LBUTTONUP, 0, inside); break;
                case ReleaseOff: SendMessageA(glyph, WM_LBUTTONUP, 0, off); break;
                }
            }
            std::vector<std::string> expected;
            if (c.acts) expected.push_back(id == kMinimizeId ? "minimise" : "close");
            EXPECT_EQ(acted, expected);
            EXPECT_NE(GetCapture(), glyph) << "the press is over";
            ReleaseCapture();
        }
    }
    DestroyWindow(parent);
}

// Home, Insert and the arrows keep their names in the capture control after
// the settings are read back: the extended flag goes both ways.
TEST(WindowTest, TheHotKeyControlsExtendedFlagSurvivesTheRoundTrip) {
    for (WORD value : {MAKEWORD(VK_HOME, HOTKEYF_EXT | HOTKEYF_ALT), MAKEWORD(VK_INSERT, HOTKEYF_EXT | HOTKEYF_CONTROL),
                       MAKEWORD('V', HOTKEYF_SHIFT | HOTKEYF_ALT)})
        EXPECT_EQ(ToHotKeyControl(FromHotKeyControl(value)), value) << std::hex << value;
}

std::vector<int> released;
BOOL WINAPI RecordRelease(int* handle) {
    released.push_back(*handle);
    return TRUE;
}

// Each handle is released exactly once, by whoever holds it last.
TEST(WindowTest, AnOwnedHandleIsReleasedOnceByItsLastOwner) {
    int first = 1, second = 2, third = 3;
    released.clear();
    {
        Owned<int*, &RecordRelease> a(&first);
        Owned<int*, &RecordRelease> b(std::move(a));
        EXPECT_FALSE(a);
        b.reset(&second);
        EXPECT_EQ(released, std::vector<int>{1});
        Owned<int*, &RecordRelease> c(&third);
        c = std::move(b);
        EXPECT_EQ(released, (std::vector<int>{1, 3}));
        EXPECT_EQ(c.release(), &second);
    }
    EXPECT_EQ(released, (std::vector<int>{1, 3}));

    // A selection puts the previous object back.
    WindowDC screen(nullptr);
    HGDIOBJ before = GetCurrentObject(screen.get(), OBJ_FONT);
    OwnedFont font(CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    {
        ScopedSelection selected(screen.get(), font.get());
        EXPECT_EQ(GetCurrentObject(screen.get(), OBJ_FONT), font.get());
    }
    EXPECT_EQ(GetCurrentObject(screen.get(), OBJ_FONT), before);
}

// A page whose messages are counted after it was told it is gone.
class CountingPage final : public PageDialog {
public:
    CountingPage(HWND parent, int& seen) : PageDialog(IDD_TABSHEET4, parent), seen_(seen) {}
    using PageDialog::hwnd;

protected:
    bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) override {
        ++seen_;
        return false;
    }

private:
    int& seen_;
};

// Ownership both ways round: the object deleted while its window is alive
// takes the window with it; a window destroyed first leaves the object
// unbound, and deleting it then destroys nothing twice.
TEST(WindowTest, APageDeletedWhileItsWindowIsAliveTakesItsWindowAlong) {
    HWND parent = CreateWindowExA(0, "STATIC", "page host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(parent);
    int seen = 0;
    auto page = std::make_unique<CountingPage>(parent, seen);
    HWND pageWindow = page->hwnd();
    ASSERT_TRUE(IsWindow(pageWindow));
    page.reset();
    EXPECT_FALSE(IsWindow(pageWindow));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);

    page = std::make_unique<CountingPage>(parent, seen);
    pageWindow = page->hwnd();
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(pageWindow));
    EXPECT_EQ(page->hwnd(), nullptr);
    seen = 0;
    page.reset();
    EXPECT_EQ(seen, 0);
}

}  // namespace
}  // namespace pennora
