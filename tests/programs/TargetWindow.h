#pragma once
// What the stand-ins for another program's window share: the report file
// written whole, the command line REPORT-FILE [X Y [MODE]], and one Unicode
// top-level window of a class of their own with its message loop.
#include <windows.h>

#include <string>

namespace target {

inline std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

inline std::wstring WindowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), int(text.size())));
    return text;
}

// Written beside the file and moved over it, so a reader never sees half a report.
inline void WriteFileWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring partial = path + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    if (complete) MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// WM_DESTROY: the last report as the window goes, then the message loop ends.
inline LRESULT ReportAndQuit(void (*writeReport)()) {
    writeReport();
    PostQuitMessage(0);
    return 0;
}

struct Arguments {
    std::wstring report;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    std::wstring mode;  // the word after the position, "" when none
};

// False, after a box with the usage line, when the report file is missing.
inline bool ReadArguments(Arguments& arguments, const wchar_t* usage, const wchar_t* caption) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        MessageBoxW(nullptr, usage, caption, MB_ICONERROR);
        return false;
    }
    arguments.report = argv[1];
    if (argc >= 4) {
        arguments.x = _wtoi(argv[2]);
        arguments.y = _wtoi(argv[3]);
    }
    if (argc >= 5) arguments.mode = argv[4];
    LocalFree(argv);
    return true;
}

struct WindowLook {
    const wchar_t* className;  // also the window's title, which the tests search for
    WNDPROC procedure;
    int background;  // a COLOR_ index
    DWORD style;
    DWORD exStyle;
    int width;
    int height;
};

// Registers the class, makes the window at the position given and runs its
// messages until WM_QUIT; with `dialogLoop` the dialog manager sees each
// message first, as in the ordinary dialog loop (IsDialogMessage). Gives the
// exit code of WinMain.
inline int RunWindow(HINSTANCE instance, const WindowLook& look, const Arguments& arguments, bool dialogLoop) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = look.procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(INT_PTR(look.background + 1));
    windowClass.lpszClassName = look.className;
    if (!RegisterClassW(&windowClass)) return 1;

    HWND window = CreateWindowExW(look.exStyle, look.className, look.className, look.style, arguments.x, arguments.y,
                                  look.width, look.height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (dialogLoop && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

}  // namespace target
