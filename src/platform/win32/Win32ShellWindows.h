#pragma once
#include "platform/ShellWindows.h"

namespace pennora {

// The shell's ShellWindows object through COM, which the calling thread
// joins on the first use and leaves when this object goes, and SetWindowPos
// of user32.
class Win32ShellWindows final : public ShellWindowsApi {
public:
    Win32ShellWindows() = default;
    Win32ShellWindows(const Win32ShellWindows&) = delete;
    Win32ShellWindows& operator=(const Win32ShellWindows&) = delete;
    ~Win32ShellWindows() override;

    long CoCreateInstance(std::unique_ptr<ShellWindowCollection>& collection) override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) override;

private:
    bool joinedApartment_ = false;
};

}  // namespace pennora
