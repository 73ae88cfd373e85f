// The single-instance handshake between two real processes: this test plays
// the running instance; a real Pennora.exe started beside it must wake it and
// end without creating a window.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/InstanceGuard.h"
#include "platform/win32/Win32WindowsInput.h"
#include "win32/WinePaths.h"

namespace pennora {
namespace {

struct RunningInstanceWindow {
    HWND hwnd = nullptr;
    int wakeUps = 0;

    RunningInstanceWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == kWmPennora) {
                reinterpret_cast<RunningInstanceWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA))->wakeUps++;
                return 0;
            }
            return DefWindowProcA(w, m, wp, lp);
        };
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "InstanceTestWindow";
        RegisterClassA(&windowClass);
        hwnd = CreateWindowExA(0, "InstanceTestWindow", "running instance", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RunningInstanceWindow() { DestroyWindow(hwnd); }
};

bool ProcessOwnsAWindow(DWORD processId) {
    struct Search { DWORD processId; bool found; } search{processId, false};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId) s->found = true;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts Pennora.exe and pumps this thread's messages until it ends; reports
// whether it ever owned a window.
struct SecondStart {
    DWORD exitCode = STILL_ACTIVE;
    bool showedAWindow = false;
};

SecondStart StartPennoraAndWait() {
    std::string exe = testing::WindowsPath(PENNORA_APP_EXE);
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + exe + "\"";
    EXPECT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
        << "cannot start " << exe;
    SecondStart result;
    for (DWORD waited = 0; waited < 20000; waited += 20) {
        if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        result.showedAWindow |= ProcessOwnsAWindow(process.dwProcessId);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(SingleInstance, SecondProcessWakesTheFirstAndEndsWithoutAWindow) {
    Win32WindowsInput windows;
    InstanceGuard guard(windows);
    ASSERT_TRUE(guard.ClaimOrWakeRunning());
    RunningInstanceWindow first;
    guard.MarkMainWindow(FromHwnd(first.hwnd));

    SecondStart second = StartPennoraAndWait();
    PumpPendingMessages();

    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_FALSE(second.showedAWindow);
    EXPECT_EQ(first.wakeUps, 1);
}

TEST(SingleInstance, SecondProcessFindsNoMarkedWindowAndStillEnds) {
    Win32WindowsInput windows;
    InstanceGuard guard(windows);
    ASSERT_TRUE(guard.ClaimOrWakeRunning());
    RunningInstanceWindow first;  // not marked: the first instance is still starting

    SecondStart second = StartPennoraAndWait();
    PumpPendingMessages();

    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_FALSE(second.showedAWindow);
    EXPECT_EQ(first.wakeUps, 0);
}

}  // namespace
}  // namespace pennora
