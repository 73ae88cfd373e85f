// The tray record against the real shell under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "app/TrayIcon.h"
#include "platform/win32/Dpi.h"
#include "win32/IconSize.h"

namespace pennora {
namespace {

struct TestWindow {
    HWND hwnd = CreateWindowExA(0, "Static", "tray owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ~TestWindow() { DestroyWindow(hwnd); }
};

// A modify fails for an icon the shell does not hold.
bool ShellHoldsIcon(HWND owner) {
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = owner;
    probe.uID = kTrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &probe);
}

TEST(TrayIcon, RecordIsTheFirstFormForThisArchitecture) {
    TestWindow window;
    TrayIcon tray;
    tray.SetDpi(96);
    tray.Add(window.hwnd, TrayPicture::Application);
    const NOTIFYICONDATAA& record = tray.record();
    EXPECT_EQ(record.cbSize, sizeof(void*) == 8 ? 104u : 88u);
    EXPECT_EQ(record.hWnd, window.hwnd);
    EXPECT_EQ(record.uID, 1000u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 0x0903u);
    EXPECT_STREQ(record.szTip, "KestovaPennora");
    tray.Delete();
}

TEST(TrayIcon, AddedOnceStaysUntilDeletedAndFollowsItsPicture) {
    TestWindow window;
    TrayIcon tray;
    tray.SetDpi(96);
    tray.ChangeIcon(TrayPicture::HotKey);  // before the first add: changes nothing in the shell
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));

    tray.Add(window.hwnd, TrayPicture::Application);
    tray.Add(window.hwnd, TrayPicture::Application);  // a second minimise: refused, the icon stays
    EXPECT_TRUE(ShellHoldsIcon(window.hwnd));
    const HICON application = tray.record().hIcon;
    ASSERT_NE(application, nullptr);
    tray.ChangeIcon(TrayPicture::HotKey);
    EXPECT_NE(tray.record().hIcon, application);
    EXPECT_NE(tray.record().hIcon, nullptr);

    tray.Delete();
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));
    tray.Delete();  // also harmless when nothing is there
}

TEST(TrayIcon, ComesBackAfterTheShellRestartedOnlyIfItWasShown) {
    TestWindow window;
    TrayIcon tray;
    tray.SetDpi(96);
    tray.Restore();
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));
    tray.Add(window.hwnd, TrayPicture::Application);
    Shell_NotifyIconA(NIM_DELETE, const_cast<NOTIFYICONDATAA*>(&tray.record()));  // as a shell restart loses it
    tray.Restore();
    EXPECT_TRUE(ShellHoldsIcon(window.hwnd));
    tray.Delete();
}

// A move to a monitor of another DPI reloads the shown picture at that
// DPI's small-icon size.
TEST(TrayIcon, ShownIconFollowsTheDpiAtTheSmallIconSize) {
    TestWindow window;
    TrayIcon tray;
    tray.SetDpi(96);
    tray.Add(window.hwnd, TrayPicture::HotKey);
    for (const auto& [dpi, size] : {std::pair{120, 20}, std::pair{144, 24}, std::pair{192, 32}, std::pair{96, 16}}) {
        const HICON before = tray.record().hIcon;
        tray.SetDpi(dpi);
        EXPECT_EQ(testing::IconWidth(tray.record().hIcon), SystemMetricForDpi(SM_CXSMICON, dpi)) << dpi;
        EXPECT_EQ(SystemMetricForDpi(SM_CXSMICON, dpi), size) << dpi;
        EXPECT_NE(tray.record().hIcon, before) << dpi;
        EXPECT_TRUE(ShellHoldsIcon(window.hwnd)) << dpi;
    }
    tray.Delete();
}

}  // namespace
}  // namespace pennora
