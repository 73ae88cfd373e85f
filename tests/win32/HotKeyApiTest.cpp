// The hot-key seam on the real user32: the identifier from the atom, and a
// combination that is already taken being refused.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/Win32HotKeyApi.h"

namespace pennora {
namespace {

TEST(Win32HotKeyApi, TheIdentifierIsStableAndInTheApplicationRange) {
    Win32HotKeyApi api;
    const int id = HotKeyId(api);
    EXPECT_GE(id, 0);
    EXPECT_LE(id, 0x3FFF);
    EXPECT_EQ(HotKeyId(api), id);
}

TEST(Win32HotKeyApi, ACombinationAlreadyRegisteredIsRefusedUntilReleased) {
    Win32HotKeyApi api;
    HWND window = CreateWindowExA(0, "STATIC", "hot key owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const Hwnd owner = reinterpret_cast<Hwnd>(window);
    const unsigned ctrlAltShift = MOD_CONTROL | MOD_ALT | MOD_SHIFT;

    ASSERT_TRUE(api.RegisterHotKey(owner, 1, ctrlAltShift, VK_F9));
    EXPECT_FALSE(api.RegisterHotKey(owner, 2, ctrlAltShift, VK_F9));
    EXPECT_TRUE(api.UnregisterHotKey(owner, 1));
    EXPECT_TRUE(api.RegisterHotKey(owner, 2, ctrlAltShift, VK_F9));
    EXPECT_TRUE(api.UnregisterHotKey(owner, 2));
    DestroyWindow(window);
}

}  // namespace
}  // namespace pennora
