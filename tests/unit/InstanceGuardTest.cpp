#include "app/InstanceGuard.h"

#include <gtest/gtest.h>

#include "fakes/FakeWindowsInput.h"

namespace pennora {
namespace {

using fakes::CallLog;
using fakes::FakeWindowsInput;

// Three top-level windows under the desktop 0x10: 0x21, 0x22 (carries the
// property, pointing at main window 0x99), 0x23.
void LinkTopLevelWindows(FakeWindowsInput& windows) {
    windows.windowLinks[{0x10, kGwChild}] = 0x21;
    windows.windowLinks[{0x21, kGwHwndNext}] = 0x22;
    windows.windowLinks[{0x22, kGwHwndNext}] = 0x23;
}

const CallLog kClaimFirstInstance = {
    R"(CreateMutexA(1, "KestovaPennora.SingleInstance"))",
};

const CallLog kWakeRunningInstance = {
    R"(CreateMutexA(1, "KestovaPennora.SingleInstance"))",
    "CloseHandle(0x77)",
    "PostMessageA(0x99, 0x8e89, 0x0, 0)",
    "SetForegroundWindow(0x22)",
};

const CallLog kSecondStartFindsNoWindow = {
    R"(CreateMutexA(1, "KestovaPennora.SingleInstance"))",
    "CloseHandle(0x77)",
};

TEST(InstanceGuard, FirstInstanceKeepsTheMutexUntilItEnds) {
    FakeWindowsInput windows;
    {
        InstanceGuard guard(windows);
        EXPECT_TRUE(guard.ClaimOrWakeRunning());
        EXPECT_EQ(windows.calls, kClaimFirstInstance);
    }
    EXPECT_EQ(windows.calls.back(), "CloseHandle(0x77)");
}

TEST(InstanceGuard, SecondStartWakesTheWindowCarryingTheProperty) {
    FakeWindowsInput windows;
    windows.lastError = kErrorAlreadyExists;
    LinkTopLevelWindows(windows);
    windows.properties[{0x22, kInstanceProp}] = 0x99;
    InstanceGuard guard(windows);
    EXPECT_FALSE(guard.ClaimOrWakeRunning());
    EXPECT_EQ(windows.calls, kWakeRunningInstance);
}

TEST(InstanceGuard, SecondStartBeforeTheFirstMarkedItsWindowEndsQuietly) {
    FakeWindowsInput windows;
    windows.lastError = kErrorAlreadyExists;
    LinkTopLevelWindows(windows);
    InstanceGuard guard(windows);
    EXPECT_FALSE(guard.ClaimOrWakeRunning());
    EXPECT_EQ(windows.calls, kSecondStartFindsNoWindow);
}

TEST(InstanceGuard, FailedMutexCountsAsNoOtherInstance) {
    FakeWindowsInput windows;
    windows.mutexHandle = 0;
    windows.lastError = kErrorAlreadyExists;
    InstanceGuard guard(windows);
    EXPECT_TRUE(guard.ClaimOrWakeRunning());
}

TEST(InstanceGuard, MarkMainWindowStoresTheWindowsOwnHandle) {
    FakeWindowsInput windows;
    InstanceGuard guard(windows);
    guard.MarkMainWindow(0x99);
    EXPECT_EQ(windows.GetPropA(0x99, kInstanceProp), 0x99u);
}

}  // namespace
}  // namespace pennora
