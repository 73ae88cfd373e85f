// The hot-key seam on the real user32: the identifier from the atom, and a
// combination that is already taken, in this process or another, being refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Win32HotKeyApi.h"
#include "win32/WinePaths.h"

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

// HotKeyHolder.exe, built beside the tool in the programs folder, takes a
// combination and keeps it until it is ended.
class HeldByAnotherProgram {
public:
    HeldByAnotherProgram(unsigned modifiers, unsigned key) {
        std::string exe = testing::WindowsPath(PENNORA_APP_EXE);
        exe = exe.substr(0, exe.rfind("\\app\\")) + "\\programs\\HotKeyHolder.exe";
        std::string commandLine = "HotKeyHolder.exe " + std::to_string(modifiers) + " " + std::to_string(key);
        STARTUPINFOA startup{sizeof startup};
        started_ = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process_);
    }
    ~HeldByAnotherProgram() {
        if (!started_) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    // True once the holder has taken the combination: its window carries its
    // title from then on. It ends at once when it cannot take it.
    bool Holding() const {
        if (!started_) return false;
        for (int waited = 0; waited < 30000; waited += 50) {
            if (FindWindowA(nullptr, "PennoraHotKeyHolder")) return true;
            if (WaitForSingleObject(process_.hProcess, 50) != WAIT_TIMEOUT) return false;
        }
        return false;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_{};
};

TEST(Win32HotKeyApi, ACombinationHeldByAnotherProgramIsRefused) {
    Win32HotKeyApi api;
    HWND window = CreateWindowExA(0, "STATIC", "hot key owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const unsigned shiftAlt = MOD_SHIFT | MOD_ALT;
    {
        HeldByAnotherProgram holder(shiftAlt, VK_F8);
        ASSERT_TRUE(holder.Holding());
        EXPECT_FALSE(api.RegisterHotKey(reinterpret_cast<Hwnd>(window), HotKeyId(api), shiftAlt, VK_F8));
    }
    // Once the other program has ended, the combination is free.
    EXPECT_TRUE(api.RegisterHotKey(reinterpret_cast<Hwnd>(window), HotKeyId(api), shiftAlt, VK_F8));
    api.UnregisterHotKey(reinterpret_cast<Hwnd>(window), HotKeyId(api));
    DestroyWindow(window);
}

}  // namespace
}  // namespace pennora
