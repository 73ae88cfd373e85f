#pragma once
#include "platform/ShellWindows.h"

namespace pennora {

// The shell's ShellWindows object through COM (the thread must have called
// CoInitialize) and SetWindowPos of user32.
class Win32ShellWindows final : public ShellWindowsApi {
public:
    long CoCreateInstance(std::unique_ptr<ShellWindowCollection>& collection) override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) override;
};

}  // namespace pennora
