#pragma once
// The application as a whole: a hidden-size top-level window that carries the
// taskbar button and owns the main window, the application title, minimising
// and restoring everything at once, the hint text and the general error report.
#include <functional>
#include <string>

#include "ui/Window.h"

namespace pennora {

class Application final : public Window {
public:
    explicit Application(const std::string& title);
    ~Application() override;

    static Application* Current() { return current_; }

    const std::string& title() const { return title_; }
    void SetMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }
    HWND mainWindow() const { return mainWindow_; }

    // Minimising hides the main window and shows the application minimised;
    // a request while already minimised does nothing and runs no handler.
    void Minimize();
    void Restore();
    bool IsMinimized() const { return minimized_; }
    void ShowTaskbarWindow(bool shown);

    std::function<void()> onMinimize;
    std::function<void(const std::string&)> onHint;
    // Sees every key press before the dialog manager does; true when it
    // took the key (the main window's page keys).
    std::function<bool(const MSG&)> onKeyDown;
    void SetHint(const std::string& hint);

    // The general error report: the error's text (with a full stop added when
    // it has none), the application title as caption, MB_ICONERROR.
    void ShowError(const std::string& text);

    int Run();

    // The error edge of program entry: runs `body` and returns its result; an
    // error that escapes it (before or after the message loop) goes to the
    // general error report, and the program ends with exit code 1 instead of
    // terminating without a word.
    static int RunGuarded(const std::string& title, const std::function<int()>& body);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static Application* current_;
    std::string title_;
    HWND mainWindow_ = nullptr;
    bool minimized_ = false;
    std::string hint_;
};

}  // namespace pennora
