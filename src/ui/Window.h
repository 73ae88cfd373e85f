#pragma once
// Small bases for the tool's windows and dialogs: one static procedure binds
// the HWND to its object and routes to virtual handlers. Nothing thrown by a
// handler crosses the callback: the edge turns it into the general error report.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace pennora {

// The general error report that an error escaping a handler reaches; the
// application installs it at start.
void SetUnhandledErrorReport(std::function<void(const std::string& text)> report);
// Shows the general error report for an exception that escaped a handler.
void ReportUnhandled(const std::exception& error);
void ReportUnhandled();

// The edge of every callback: runs `handler`; an error that escapes it
// becomes the general error report and the callback answers `onError`.
template <class Handler, class Result = decltype(std::declval<Handler>()())>
Result ReportingErrors(Handler&& handler, Result onError) {
    try {
        return handler();
    } catch (const std::exception& error) {
        ReportUnhandled(error);
    } catch (...) {
        ReportUnhandled();
    }
    return onError;
}

// What the tool's borderless windows (a thin border and a sizing frame, no
// caption bar, a title strip of their own) add to their extended style. An
// X window manager, under Wine, gives a window with a sizing frame a title
// bar of its own above the strip, but leaves a tool window bare: the window
// then draws its border and frame itself, the same with a window manager
// and without one, as on Windows. A tool window has no taskbar button; one
// that needs a button asks for it with WS_EX_APPWINDOW.
inline constexpr DWORD kBorderlessExStyle = WS_EX_TOOLWINDOW;

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }

protected:
    // Destroys the window now, unbound first so no message reaches an object
    // that is being torn down; a derived destructor calls it before its
    // members (fonts, menus, child objects) die.
    void Destroy();
    // Registers the class once per process and creates the window bound to
    // this; throws pennora::Error with the system's reason when either fails.
    void Create(const char* className, const WNDCLASSEXA& classTemplate, DWORD exStyle, const char* title,
                DWORD style, RECT bounds, HWND owner);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// A modeless child dialog made from a resource template (the pages of the
// main window's page area).
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    // Destroys the dialog's window, if it still exists, unbound first so no
    // message reaches the half-destroyed object.
    virtual ~Dialog();

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    // A Unicode dialog makes Unicode controls: Wine's ANSI edit control does
    // not join the two bytes of a typed GBK character, a Unicode one does.
    // The ANSI calls on its controls still move GBK texts. Throws
    // pennora::Error with the system's reason when the dialog is not made.
    void CreateChild(int templateId, HWND parent, bool unicode = false);
    // Shows the dialog of `templateId` modally over `owner`, with Unicode
    // controls as above; returns what the dialog gave EndDialog. Throws
    // pennora::Error with the system's reason when it cannot be shown.
    INT_PTR RunModal(int templateId, HWND owner);

    void CheckButton(int id, bool checked) const { CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    bool IsButtonChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled); }
    void SetItemText(int id, const std::string& text) const { SetDlgItemTextA(hwnd_, id, text.c_str()); }
    std::string ItemText(int id) const;

protected:
    // As Window::Destroy: the dialog's window goes before the derived
    // object's members.
    void Destroy();
    virtual void OnInit() {}
    virtual void OnShow() {}
    // A button (or a tool-bar button) was clicked; true when handled.
    virtual bool OnButtonClicked(int /*id*/) { return false; }
    // Any other WM_COMMAND; true when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
    // Any other message; return true when handled.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) { return false; }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool initialised_ = false;  // RunModal's dialog was made and ran
};

}  // namespace pennora
