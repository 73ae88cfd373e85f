#include "app/Application.h"

#include "ui/ErrorText.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora {

Application* Application::current_ = nullptr;

Application::Application(const std::string& title) : title_(title) {
    current_ = this;
    SetUnhandledErrorReport([this](const std::string& text) { ShowError(text); });
    WNDCLASSEXA windowClass{};
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    // A zero-size window in the middle of the screen: invisible, but shown, so
    // the taskbar lists it; the main window it owns gets no button of its own.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    Create("TApplication", windowClass, 0, title.c_str(),
           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, RECT{x, y, x, y}, nullptr);
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

Application::~Application() {
    if (current_ != this) return;
    current_ = nullptr;
    SetUnhandledErrorReport(nullptr);
}

void Application::Minimize() {
    if (minimized_) return;
    minimized_ = true;
    if (mainWindow_) ShowWindow(mainWindow_, SW_HIDE);
    ShowWindow(hwnd(), SW_MINIMIZE);
    if (onMinimize) onMinimize();
}

void Application::Restore() {
    if (!minimized_ && !(mainWindow_ && IsIconic(mainWindow_))) return;
    minimized_ = false;
    ShowWindow(hwnd(), SW_RESTORE);
    if (mainWindow_) {
        // A main window that was minimised rather than hidden comes back whole.
        ShowWindow(mainWindow_, IsIconic(mainWindow_) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(mainWindow_);
    }
}

void Application::ShowTaskbarWindow(bool shown) { ShowWindow(hwnd(), shown ? SW_SHOW : SW_HIDE); }

void Application::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (onHint) onHint(hint_);
}

void Application::ShowError(const std::string& text) {
    MessageBoxA(hwnd(), ErrorReportText(text).c_str(), title_.c_str(), MB_ICONERROR);
}

int Application::RunGuarded(const std::string& title, const std::function<int()>& body) {
    std::string text;
    try {
        return body();
    } catch (const std::exception& error) {
        text = error.what();
    } catch (...) {
        text = "Unknown error";
    }
    // The application window may be gone with the unwinding: then the report
    // has no owner, but the same text, caption and icon.
    if (current_)
        current_->ShowError(text);
    else
        MessageBoxA(nullptr, ErrorReportText(text).c_str(), title.c_str(), MB_ICONERROR);
    return 1;
}

// The loop takes messages in their Unicode form: a typed Chinese character
// then reaches a Unicode edit box whole. Taken as ANSI, Wine splits it into
// its two GBK bytes, which the box cannot join again.
int Application::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN && onKeyDown && onKeyDown(message)) continue;
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        HWND dialog = root ? root : message.hwnd;
        if (dialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

LRESULT Application::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        // The taskbar button's own minimise and restore.
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: Minimize(); return 0;
        case SC_RESTORE: Restore(); return 0;
        case SC_CLOSE:
            if (mainWindow_) PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_SIZE:
        // Minimised or restored by someone else (the shell's "minimise all"
        // and its undo): the whole application follows.
        if (wParam == SIZE_MINIMIZED) Minimize();
        if (wParam == SIZE_RESTORED && minimized_) Restore();
        break;
    case WM_SETCURSOR:
        if (ApplyAppCursor()) return TRUE;
        break;
    case WM_CLOSE:
        if (mainWindow_) PostMessageA(mainWindow_, WM_CLOSE, 0, 0);
        return 0;
    }
    return Default(message, wParam, lParam);
}

}  // namespace pennora
