#include "browser/BrowserWindows.h"

#include <gtest/gtest.h>

#include "fakes/FakeShellWindows.h"
#include "platform/Error.h"

namespace pennora {
namespace {

using fakes::CallLog;

// Two windows in the collection, hidden last one first.
const CallLog kHideTwo = {
    "CoCreateInstance()",
    "get_Count()",
    "ItemHwnd(1)",
    "SetWindowPos(0x20, 1, 0, 0, 0, 0, 0x283)",
    "ItemHwnd(0)",
    "SetWindowPos(0x10, 1, 0, 0, 0, 0, 0x283)",
    "Release()",
};

// The same two shown again, brought to the top.
const CallLog kShowTwo = {
    "CoCreateInstance()",
    "get_Count()",
    "ItemHwnd(1)",
    "SetWindowPos(0x20, 0, 0, 0, 0, 0, 0x243)",
    "ItemHwnd(0)",
    "SetWindowPos(0x10, 0, 0, 0, 0, 0, 0x243)",
    "Release()",
};

class BrowserWindowsTest : public ::testing::Test {
protected:
    fakes::FakeShellWindows shell;
    BrowserWindows windows{shell};
    bool hidden = false;
};

TEST_F(BrowserWindowsTest, HidesEveryWindowLastFirstAndShowsThemAgain) {
    shell.windows = {0x10, 0x20};
    EXPECT_EQ(windows.HideIEWindow(true, hidden), kShowAllIEHint);
    EXPECT_EQ(shell.calls, kHideTwo);
    EXPECT_TRUE(hidden);

    shell.calls.clear();
    EXPECT_EQ(windows.HideIEWindow(false, hidden), kHideAllIEHint);
    EXPECT_EQ(shell.calls, kShowTwo);
    EXPECT_FALSE(hidden);

    // Showing windows that are shown brings them to the top again.
    shell.calls.clear();
    windows.HideIEWindow(false, hidden);
    EXPECT_EQ(shell.calls, kShowTwo);
}

TEST_F(BrowserWindowsTest, ARequestDuringAWalkDoesNothing) {
    shell.windows = {0x10, 0x20};
    std::string nestedHint = "unset";
    shell.duringItem = [&] { nestedHint = windows.HideIEWindow(false, hidden); };
    EXPECT_EQ(windows.HideIEWindow(true, hidden), kShowAllIEHint);
    EXPECT_EQ(shell.calls, kHideTwo);
    EXPECT_EQ(nestedHint, "");
    EXPECT_TRUE(hidden);
    shell.duringItem = nullptr;
    shell.calls.clear();
    windows.HideIEWindow(false, hidden);  // the walk is over: requests work again
    EXPECT_EQ(shell.calls, kShowTwo);
}

TEST_F(BrowserWindowsTest, AnEmptyCollectionChangesNeitherStateNorHint) {
    for (bool start : {false, true}) {
        for (bool hide : {false, true}) {
            hidden = start;
            EXPECT_EQ(windows.HideIEWindow(hide, hidden), "");
            EXPECT_EQ(hidden, start);
        }
    }
}

TEST_F(BrowserWindowsTest, AWindowWithoutHwndIsSkippedAndTheStateStillFollows) {
    shell.windows = {0x10, 0};
    hidden = true;
    EXPECT_EQ(windows.HideIEWindow(false, hidden), kHideAllIEHint);
    EXPECT_FALSE(hidden);
    EXPECT_EQ(shell.calls, (CallLog{"CoCreateInstance()", "get_Count()", "ItemHwnd(1)", "ItemHwnd(0)",
                                    "SetWindowPos(0x10, 0, 0, 0, 0, 0, 0x243)", "Release()"}));

    shell.windows = {0};
    hidden = false;
    EXPECT_EQ(windows.HideIEWindow(true, hidden), kShowAllIEHint);
    EXPECT_TRUE(hidden);
}

TEST_F(BrowserWindowsTest, ACollectionThatCannotBeMadeOrCountedIsAnErrorAndChangesNothing) {
    shell.windows = {0x10};
    shell.createResult = -2147221164L;  // REGDB_E_CLASSNOTREG
    EXPECT_THROW(windows.HideIEWindow(true, hidden), Error);
    shell.createResult = kSOk;
    shell.countResult = -2147467263L;  // E_NOTIMPL
    try {
        windows.HideIEWindow(true, hidden);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("0x80004001"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(hidden);
    EXPECT_EQ(shell.calls.back(), "Release()");
}

}  // namespace
}  // namespace pennora
