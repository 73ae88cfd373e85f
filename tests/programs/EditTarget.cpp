// A stand-in for another program's input field: a Unicode top-level window
// with a multi-line edit control filling it. Whenever the edit's text changes,
// and when the window closes, the text is written as UTF-8 to the file named
// by the first argument, so a test can read what arrived. The mouse presses
// the edit receives are counted in REPORT-FILE.clicks ("left N right M"), and
// REPORT-FILE.caret holds "caretX caretY editLeft editTop": the caret in the
// edit's client coordinates and the edit's outer corner on the screen.
// The window gives the focus back to its edit whenever it gets it, as most
// programs do; with "keeps-focus" it keeps the focus itself, as a program
// does that does not restore its focused control when activated again.
//   EditTarget.exe REPORT-FILE [X Y [keeps-focus]]
// A Unicode window joins the lead and trail byte of a posted GBK character
// into one character, as a browser's fields do; a Wine ANSI edit does not.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr int kEditId = 100;
const wchar_t kClassName[] = L"PennoraEditTarget";

std::wstring reportPath;
HWND edit = nullptr;
bool restoresFocus = true;
WNDPROC editProc = nullptr;
int leftPresses = 0;
int rightPresses = 0;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring EditText() {
    std::wstring text(GetWindowTextLengthW(edit) + 1, L'\0');
    text.resize(GetWindowTextW(edit, text.data(), int(text.size())));
    return text;
}

// Written beside the file and moved over it, so a reader never sees half a report.
void WriteFileWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring partial = path + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    if (complete) MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void WriteCaret() {
    POINT caret{};
    RECT rect{};
    if (!GetCaretPos(&caret) || !GetWindowRect(edit, &rect)) return;
    WriteFileWhole(reportPath + L".caret", std::to_string(caret.x) + " " + std::to_string(caret.y) + " " +
                                              std::to_string(rect.left) + " " + std::to_string(rect.top) + "\n");
}

void WriteReport() {
    WriteFileWhole(reportPath, Utf8(EditText()));
    WriteCaret();
}

void WriteClicks() {
    WriteFileWhole(reportPath + L".clicks",
                   "left " + std::to_string(leftPresses) + " right " + std::to_string(rightPresses) + "\n");
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
        ++(message == WM_LBUTTONDOWN ? leftPresses : rightPresses);
        WriteClicks();
    }
    return CallWindowProcW(editProc, window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0,
                               0, 0, 0, window, HMENU(INT_PTR(kEditId)), GetModuleHandleW(nullptr), nullptr);
        if (!edit) return -1;
        SendMessageW(edit, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        editProc = WNDPROC(SetWindowLongPtrW(edit, GWLP_WNDPROC, LONG_PTR(EditProc)));
        WriteClicks();
        WriteReport();
        SetTimer(window, 1, 200, nullptr);  // the caret moves without a change of text too
        return 0;
    case WM_TIMER:
        if (GetFocus() == edit) WriteCaret();
        return 0;
    case WM_SIZE:
        MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (restoresFocus) SetFocus(edit);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) WriteReport();
        return 0;
    case WM_DESTROY:
        WriteReport();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        MessageBoxW(nullptr, L"usage: EditTarget.exe REPORT-FILE [X Y [keeps-focus]]", kClassName, MB_ICONERROR);
        return 2;
    }
    reportPath = argv[1];
    const int x = argc >= 4 ? _wtoi(argv[2]) : CW_USEDEFAULT;
    const int y = argc >= 4 ? _wtoi(argv[3]) : CW_USEDEFAULT;
    restoresFocus = !(argc >= 5 && std::wcscmp(argv[4], L"keeps-focus") == 0);
    LocalFree(argv);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass)) return 1;

    HWND window = CreateWindowExW(0, kClassName, L"PennoraEditTarget", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 360,
                                  240, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}
