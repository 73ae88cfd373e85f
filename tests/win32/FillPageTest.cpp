// The fill page's tool bar on the real controls: its switch buttons used
// from the keyboard.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/FillPage.h"
#include "ui/resource.h"

namespace pennora {
namespace {

// Space (and Enter) on a switch button, reached by the arrows, switches it
// as a click does: the button shows its new state when its handler runs,
// a key held down switches it once, and a second press switches it back.
TEST(FillPageTest, SpaceOrEnterOnASwitchButtonOfTheToolBarSwitchesItLikeAClick) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND host = CreateWindowExA(0, "STATIC", "fill page host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 320, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    {
        FillPage page(host);
        HWND toolBar = GetDlgItem(page.hwnd(), IDC_TOOLBAR3);
        std::vector<bool> pressedAtClick;
        const auto record = [&](int id) {
            return [&pressedAtClick, &page, id] { pressedAtClick.push_back(page.IsPressed(id)); };
        };
        page.onDragFillClick = record(IDC_TOOLBUTTONDRAGFILL);
        page.onHotKeyClick = record(IDC_TOOLBUTTONHOTKEY);
        page.onHideIEClick = record(IDC_TOOLBUTTONHIDEIE);
        const struct {
            int id;
            WPARAM key;
        } cases[] = {{IDC_TOOLBUTTONDRAGFILL, VK_SPACE}, {IDC_TOOLBUTTONHOTKEY, VK_SPACE},
                     {IDC_TOOLBUTTONHIDEIE, VK_SPACE}, {IDC_TOOLBUTTONDRAGFILL, VK_RETURN}};
        for (const auto& c : cases) {
            SCOPED_TRACE(::testing::Message() << "button " << c.id << ", key " << c.key);
            const int index = int(SendMessageA(toolBar, TB_COMMANDTOINDEX, c.id, 0));
            ASSERT_GE(index, 0);
            SendMessageA(toolBar, WM_KEYDOWN, VK_HOME, 0);
            for (int i = 0; i < index; ++i) SendMessageA(toolBar, WM_KEYDOWN, VK_RIGHT, 0);
            ASSERT_EQ(SendMessageA(toolBar, TB_GETHOTITEM, 0, 0), index);
            MSG press{toolBar, WM_KEYDOWN, c.key, 0};
            EXPECT_TRUE(SendMessageA(toolBar, WM_GETDLGCODE, c.key, reinterpret_cast<LPARAM>(&press)) & DLGC_WANTMESSAGE);

            // A key held down repeats its key-down with the previous-state
            // bit set: the held key is one press, as a click is one click.
            constexpr LPARAM kFirst = 1, kRepeat = 1 | (LPARAM(1) << 30);
            pressedAtClick.clear();
            SendMessageA(toolBar, WM_KEYDOWN, c.key, kFirst);
            SendMessageA(toolBar, WM_KEYDOWN, c.key, kRepeat);
            SendMessageA(toolBar, WM_KEYDOWN, c.key, kRepeat);
            EXPECT_EQ(pressedAtClick, (std::vector<bool>{true}));
            EXPECT_TRUE(page.IsPressed(c.id));
            SendMessageA(toolBar, WM_KEYDOWN, c.key, kFirst);
            EXPECT_EQ(pressedAtClick, (std::vector<bool>{true, false}));
            EXPECT_FALSE(page.IsPressed(c.id));
        }
    }
    DestroyWindow(host);
}

}  // namespace
}  // namespace pennora
