// Another program that holds a global hot key, so the tests can see what
// Pennora does when the system refuses it the same combination.
//   HotKeyHolder.exe MODIFIERS KEY     (numbers as RegisterHotKey takes them)
// Exit code 1 when the registration fails; otherwise its window takes the
// title "PennoraHotKeyHolder", for the tests to wait for, and it runs until killed.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3) return 2;
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (!RegisterHotKey(window, 1, UINT(std::strtoul(__argv[1], nullptr, 0)), UINT(std::strtoul(__argv[2], nullptr, 0))))
        return 1;
    SetWindowTextA(window, "PennoraHotKeyHolder");
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
