// The real main window: the status line after a page change and a pointed
// button, and a move to a monitor of another DPI, for the window, its pages
// and the drag-fill window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "entries/DataFile.h"
#include "entries/EntryEditorIds.h"
#include "fill/DragFillIds.h"
#include "matrix/MatrixPageIds.h"
#include "platform/win32/Dpi.h"
#include "ui/resource.h"
#include "win32/RunningProgram.h"

namespace pennora {
namespace {

using testing::ClickTab;
using testing::DispatchPending;

class MainWindowTest : public testing::RunningProgram {};

TEST_F(MainWindowTest, TheStatusLineShowsTheCaptionOfThePageTheUserSelects) {
    static const std::pair<int, const char*> kPageCaptions[] = {
        {kFillPage, " 填表助手"},  {kEditorPage, " 数据编辑 "},  {kBrowserMenuPage, "IE右键菜单填表"},
        {kMatrixPage, "文字方阵制作"}, {kOptionsPage, "选项..."}, {kAboutPage, "关于..."},
    };
    Start();
    HWND tabs = GetDlgItem(program_->window().hwnd(), IDC_PAGECONTROL1);
    ASSERT_TRUE(tabs);
    for (const auto& [page, caption] : kPageCaptions) {
        SCOPED_TRACE(page);
        ClickTab(tabs, page);
        DispatchPending();
        EXPECT_EQ(program_->window().activePage(), page);
        EXPECT_EQ(program_->window().statusText(), caption);
    }
}

TEST_F(MainWindowTest, PointingAtTheSameButtonAfterAPageChangeShowsItsHintAgain) {
    WriteFileBytes(kDataFileName, EncodeDataFile({Entry{"a", "1", {}, {}}}));
    Start();
    ASSERT_EQ(program_->window().activePage(), kFillPage);
    HWND tabs = GetDlgItem(program_->window().hwnd(), IDC_PAGECONTROL1);
    HWND fillPage = GetWindow(program_->window().hwnd(), GW_CHILD);
    HWND toolBar3 = nullptr;
    for (; fillPage && !toolBar3; fillPage = GetWindow(fillPage, GW_HWNDNEXT)) toolBar3 = GetDlgItem(fillPage, IDC_TOOLBAR3);
    ASSERT_TRUE(toolBar3);
    auto point = [&] {
        SendMessageA(toolBar3, TB_SETHOTITEM, 0, 0);  // the first button, ToolButtonDragFill
        DispatchPending();
        SendMessageA(toolBar3, TB_SETHOTITEM, WPARAM(-1), 0);
        DispatchPending();
    };
    point();
    EXPECT_EQ(program_->window().statusText(), "拖动快填");
    ClickTab(tabs, kEditorPage);
    ClickTab(tabs, kFillPage);
    DispatchPending();
    EXPECT_EQ(program_->window().statusText(), " 填表助手");
    point();
    EXPECT_EQ(program_->window().statusText(), "拖动快填");
}

// The hint a tooltip of this thread shows for `tool` now, or "" when none does.
std::string ShownHint(HWND tool) {
    struct Search {
        HWND tool;
        std::string hint;
    } search{tool, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            char className[32] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::string(className) != TOOLTIPS_CLASSA || !IsWindowVisible(window)) return TRUE;
            char text[80] = {};
            TOOLINFOA current{};
            current.cbSize = sizeof current;
            current.lpszText = text;
            if (SendMessageA(window, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)) &&
                current.uId == reinterpret_cast<UINT_PTR>(search.tool))
                search.hint = text;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hint;
}

// The pointer resting on a glyph of the title strip shows the glyph's hint.
TEST_F(MainWindowTest, RestingThePointerOnAStripGlyphShowsItsHint) {
    Start();
    HWND strip = GetDlgItem(program_->window().hwnd(), IDC_PANEL11);
    ASSERT_TRUE(strip);
    for (const auto& [id, hint] : {std::pair{IDC_IMAGE7, "最小化"}, std::pair{IDC_IMAGE8, "关闭"}}) {
        SCOPED_TRACE(hint);
        HWND glyph = GetDlgItem(strip, id);
        ASSERT_TRUE(glyph);
        RECT client;
        GetClientRect(glyph, &client);
        POINT middle{client.right / 2, client.bottom / 2};
        const LPARAM inGlyph = MAKELPARAM(middle.x, middle.y);
        ClientToScreen(glyph, &middle);
        SetCursorPos(middle.x, middle.y);
        PostMessageA(glyph, WM_MOUSEMOVE, 0, inGlyph);
        std::string shown;
        for (int i = 0; i < 300 && shown.empty(); ++i) {
            DispatchPending();
            shown = ShownHint(glyph);
            if (shown.empty()) Sleep(10);
        }
        EXPECT_EQ(shown, hint);
    }
}

// The places of a window's child controls, relative to its client area.
std::map<int, RECT> ChildPlaces(HWND window) {
    std::map<int, RECT> places;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        places[GetDlgCtrlID(child)] = place;
    }
    return places;
}

// The page dialogs of the main window, made and in page order.
std::vector<HWND> Pages(HWND mainWindow) {
    std::vector<HWND> pages;
    for (HWND child = GetWindow(mainWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (std::string(className) == "#32770") pages.push_back(child);
    }
    return pages;
}

int FontHeight(HWND control) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

void SendDpiChange(HWND window, int dpi, RECT suggested) {
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    DispatchPending();
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT Scaled(RECT rect, int factor) {
    return {rect.left, rect.top, rect.left + (rect.right - rect.left) * factor, rect.top + (rect.bottom - rect.top) * factor};
}

// A move to a monitor of twice the DPI and back: the window takes the place
// the system suggests, its fonts and every page (a page made afterwards too)
// follow, everything stays inside its window, and the way back restores
// every control to within a pixel.
TEST_F(MainWindowTest, AMoveToAMonitorOfAnotherDpiAndBackRescalesTheWindowAndEveryPage) {
    Start();
    HWND window = program_->window().hwnd(), tabs = GetDlgItem(window, IDC_PAGECONTROL1);
    for (int page : {kFillPage, kEditorPage, kBrowserMenuPage, kMatrixPage, kOptionsPage}) ClickTab(tabs, page);
    DispatchPending();
    const int dpi = WindowDpi(window), fontHeight = FontHeight(tabs);
    // In the screen's corner, so the window twice as large still fits on the
    // screen: a window manager keeps a window on it.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DispatchPending();
    RECT before;
    GetWindowRect(window, &before);
    std::map<HWND, std::map<int, RECT>> placesBefore;
    for (HWND page : Pages(window)) placesBefore[page] = ChildPlaces(page);

    SendDpiChange(window, 2 * dpi, Scaled(before, 2));
    ClickTab(tabs, kAboutPage);  // made at the new DPI
    DispatchPending();
    RECT moved, client;
    const RECT suggested = Scaled(before, 2);
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_EQ(FontHeight(tabs), 2 * fontHeight);
    GetClientRect(window, &client);
    for (HWND page : Pages(window)) {
        RECT pageRect, pageClient;
        GetWindowRect(page, &pageRect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pageRect), 2);
        EXPECT_TRUE(Contains(client, pageRect)) << "page " << GetDlgCtrlID(page);
        GetClientRect(page, &pageClient);
        for (const auto& [id, place] : ChildPlaces(page)) {
            if (IsWindowVisible(GetDlgItem(page, id))) {
                EXPECT_TRUE(Contains(pageClient, place)) << "control " << id << " of a page";
            }
        }
    }
    // A page's controls take the template's font rescaled; the dialog
    // itself keeps the font it was made with.
    // The Options page, laid out by its template alone, is the same page
    // twice as large.
    int optionsPages = 0;
    for (HWND page : Pages(window)) {
        if (!GetDlgItem(page, IDC_BTNOK)) continue;
        ++optionsPages;
        EXPECT_EQ(FontHeight(GetDlgItem(page, IDC_BTNOK)), 2 * FontHeight(page));
        for (const auto& [id, place] : ChildPlaces(page)) {
            const RECT& was = placesBefore[page][id];
            EXPECT_NEAR(place.left, 2 * was.left, 1) << "control " << id;
            EXPECT_NEAR(place.bottom, 2 * was.bottom, 1) << "control " << id;
        }
    }
    EXPECT_EQ(optionsPages, 1);

    SendDpiChange(window, dpi, before);
    for (auto& [page, places] : placesBefore) {
        for (const auto& [id, place] : ChildPlaces(page)) {
            const RECT& was = places[id];
            EXPECT_LE(std::abs(place.left - was.left) + std::abs(place.top - was.top) + std::abs(place.right - was.right) +
                          std::abs(place.bottom - was.bottom),
                      2)
                << "control " << id << " of page " << GetWindowLongA(page, GWL_ID);
        }
    }
}

// The side of the images a control shows, by the message that gives its
// image list.
int ImageSide(HWND control, UINT message, WPARAM which = 0) {
    int width = 0, height = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(control, message, which, 0)), &width, &height);
    return width;
}

// The pages' pictures are drawn for the new DPI, not the old ones shown
// larger or smaller.
TEST_F(MainWindowTest, ThePagesPicturesFollowAMoveToAMonitorOfAnotherDpi) {
    Start();
    HWND window = program_->window().hwnd(), tabs = GetDlgItem(window, IDC_PAGECONTROL1);
    for (int page : {kFillPage, kEditorPage, kMatrixPage, kAboutPage}) ClickTab(tabs, page);
    DispatchPending();
    const int dpi = WindowDpi(window);
    RECT before;
    GetWindowRect(window, &before);
    for (const int factor : {2, 1}) {
        SendDpiChange(window, factor * dpi, Scaled(before, factor));
        int pagesSeen = 0;
        for (HWND page : Pages(window)) {
            if (HWND toolBar3 = GetDlgItem(page, IDC_TOOLBAR3)) {
                ++pagesSeen;
                EXPECT_EQ(ImageSide(toolBar3, TB_GETIMAGELIST), 32 * factor);
            }
            if (HWND grid = GetDlgItem(page, IDC_DBGRID1)) {
                ++pagesSeen;
                EXPECT_EQ(ImageSide(GetDlgItem(page, IDC_TOOLBAR1), TB_GETIMAGELIST), 16 * factor);
                EXPECT_EQ(ImageSide(grid, LVM_GETIMAGELIST, LVSIL_SMALL), 16 * factor);
            }
            if (HWND toolBar = GetDlgItem(page, IDC_TOOLBAR_MATRIX)) {
                ++pagesSeen;
                // The system's standard images: the small set, or the large
                // one where the small would be scaled up past it.
                EXPECT_EQ(ImageSide(toolBar, TB_GETIMAGELIST), factor == 2 ? 24 : 16);
            }
            if (HWND banner = GetDlgItem(page, IDC_IMAGE2)) {
                ++pagesSeen;
                BITMAP shown{};
                GetObjectA(reinterpret_cast<HBITMAP>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof shown,
                           &shown);
                EXPECT_EQ(shown.bmWidth, 440 * factor);
            }
        }
        EXPECT_EQ(pagesSeen, 4);
    }
}

TEST_F(MainWindowTest, TheDragFillWindowFollowsAMoveToAMonitorOfAnotherDpi) {
    Start();
    HWND window = program_->fillModes().dragFill().hwnd(), list = GetDlgItem(window, IDC_DF_LISTBOX1);
    const int dpi = WindowDpi(window), lineHeight = int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const int fontHeight = FontHeight(list);
    RECT before;
    GetWindowRect(window, &before);
    SendDpiChange(window, 2 * dpi, Scaled(before, 2));
    RECT moved, client, listPlace;
    const RECT suggested = Scaled(before, 2);
    GetWindowRect(window, &moved);
    EXPECT_TRUE(EqualRect(&moved, &suggested));
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 2 * lineHeight);
    EXPECT_EQ(FontHeight(list), 2 * fontHeight);
    GetClientRect(window, &client);
    listPlace = ChildPlaces(window)[IDC_DF_LISTBOX1];
    EXPECT_TRUE(Contains(client, listPlace));
}

}  // namespace
}  // namespace pennora
