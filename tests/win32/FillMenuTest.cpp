// The fill menu opens over the user's window without bringing a window of
// the tool in front: its owner, the foreground window while the menu is open
// (so that the menu takes the keys), is never shown. Afterwards the user's
// window is in front again and its field has the focus, also in a window
// that does not give the focus back to its control when it is activated.
#include <windows.h>

#include <gtest/gtest.h>

#include "fill/FillMenu.h"

namespace pennora {
namespace {

struct SeenWhileOpen {
    HWND owner = nullptr;
    HWND foreground = nullptr;
    bool ownerVisible = true;
};
SeenWhileOpen seen;

// A thread timer: the menu's own message loop runs it while the menu is open.
void CALLBACK LookAndCloseTheMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    seen.foreground = GetForegroundWindow();
    seen.ownerVisible = IsWindowVisible(seen.owner);
    EndMenu();
}

TEST(FillMenuTest, AWindowNeverShownOwnsTheMenuAndTheUsersFieldKeepsTheFocus) {
    // A plain top-level window: activated, it takes the focus itself.
    HWND user = CreateWindowExA(0, "STATIC", "the user's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND field = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, user, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(user && field);
    SetForegroundWindow(user);
    SetFocus(field);
    ASSERT_EQ(GetFocus(), field);

    FillMenu menu;
    menu.Rebuild({"Tel", "Mail"});
    seen = {menu.owner()};
    SetTimer(nullptr, 0, 10, LookAndCloseTheMenu);
    EXPECT_EQ(menu.Popup({60, 60}), std::nullopt);

    EXPECT_EQ(seen.foreground, menu.owner()) << "the menu's owner takes the keys while it is open";
    EXPECT_FALSE(seen.ownerVisible);
    EXPECT_EQ(GetForegroundWindow(), user);
    EXPECT_EQ(GetFocus(), field);
    DestroyWindow(user);
}

}  // namespace
}  // namespace pennora
