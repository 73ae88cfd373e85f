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

#include <string>

#include "TargetWindow.h"

namespace {

constexpr int kEditId = 100;
const wchar_t kClassName[] = L"PennoraEditTarget";

std::wstring reportPath;
HWND edit = nullptr;
bool restoresFocus = true;
WNDPROC editProc = nullptr;
int leftPresses = 0;
int rightPresses = 0;

void WriteCaret() {
    POINT caret{};
    RECT rect{};
    if (!GetCaretPos(&caret) || !GetWindowRect(edit, &rect)) return;
    target::WriteFileWhole(reportPath + L".caret", std::to_string(caret.x) + " " + std::to_string(caret.y) + " " +
                                                       std::to_string(rect.left) + " " + std::to_string(rect.top) + "\n");
}

void WriteReport() {
    target::WriteFileWhole(reportPath, target::Utf8(target::WindowText(edit)));
    WriteCaret();
}

void WriteClicks() {
    target::WriteFileWhole(reportPath + L".clicks",
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
        return target::ReportAndQuit(WriteReport);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    target::Arguments arguments;
    if (!target::ReadArguments(arguments, L"usage: EditTarget.exe REPORT-FILE [X Y [keeps-focus]]", kClassName)) return 2;
    reportPath = arguments.report;
    restoresFocus = arguments.mode != L"keeps-focus";
    return target::RunWindow(instance,
                             {kClassName, WindowProc, COLOR_WINDOW, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 360, 240},
                             arguments, false);
}
