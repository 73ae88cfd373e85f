// The tray record against the real shell under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/TrayIcon.h"

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
    tray.Add(window.hwnd, LoadIconA(nullptr, IDI_APPLICATION));
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
    HICON application = LoadIconA(nullptr, IDI_APPLICATION), other = LoadIconA(nullptr, IDI_INFORMATION);
    tray.ChangeIcon(other);  // before the first add: changes nothing in the shell
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));

    tray.Add(window.hwnd, application);
    tray.Add(window.hwnd, application);  // a second minimise: refused, the icon stays
    EXPECT_TRUE(ShellHoldsIcon(window.hwnd));
    tray.ChangeIcon(other);
    EXPECT_EQ(tray.record().hIcon, other);

    tray.Delete();
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));
    tray.Delete();  // also harmless when nothing is there
}

TEST(TrayIcon, ComesBackAfterTheShellRestartedOnlyIfItWasShown) {
    TestWindow window;
    TrayIcon tray;
    tray.Restore();
    EXPECT_FALSE(ShellHoldsIcon(window.hwnd));
    tray.Add(window.hwnd, LoadIconA(nullptr, IDI_APPLICATION));
    Shell_NotifyIconA(NIM_DELETE, const_cast<NOTIFYICONDATAA*>(&tray.record()));  // as a shell restart loses it
    tray.Restore();
    EXPECT_TRUE(ShellHoldsIcon(window.hwnd));
    tray.Delete();
}

}  // namespace
}  // namespace pennora
