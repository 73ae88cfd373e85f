#include "ui/Window.h"

#include <utility>
#include <vector>

#include "platform/win32/SystemError.h"

namespace pennora {
namespace {

std::function<void(const std::string&)>& UnhandledErrorReport() {
    static std::function<void(const std::string&)> report;
    return report;
}

}  // namespace

void SetUnhandledErrorReport(std::function<void(const std::string& text)> report) {
    UnhandledErrorReport() = std::move(report);
}

void ReportUnhandled(const std::exception& error) {
    if (UnhandledErrorReport()) UnhandledErrorReport()(error.what());
}

void ReportUnhandled() {
    if (UnhandledErrorReport()) UnhandledErrorReport()("Unknown error");
}

Window::~Window() { Destroy(); }

void Window::Destroy() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
}

void Window::Create(const char* className, const WNDCLASSEXA& classTemplate, DWORD exStyle, const char* title,
                    DWORD style, RECT bounds, HWND owner) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{sizeof existing};
    if (!GetClassInfoExA(instance, className, &existing)) {
        WNDCLASSEXA windowClass = classTemplate;
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className;
        if (!windowClass.hCursor) windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        if (!RegisterClassExA(&windowClass)) ThrowLastError(std::string("无法注册窗口类 ") + className);
    }
    if (!CreateWindowExA(exStyle, className, title, style, bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top, owner, nullptr, instance, this))
        ThrowLastError(std::string("无法创建窗口 ") + className);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    return ReportingErrors(
        [&] {
            LRESULT result = self->HandleMessage(message, wParam, lParam);
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                self->hwnd_ = nullptr;
            }
            return result;
        },
        LRESULT(0));
}

Dialog::~Dialog() { Destroy(); }

void Dialog::Destroy() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
}

void Dialog::CreateChild(int templateId, HWND parent, bool unicode) {
    HWND made = unicode ? CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                                             Procedure, reinterpret_cast<LPARAM>(this))
                        : CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                                             Procedure, reinterpret_cast<LPARAM>(this));
    if (!made) ThrowLastError("无法创建对话框 " + std::to_string(templateId));
}

// A dialog that was made and then destroyed from outside while it ran (its
// owner destroyed as the session ends) ends as a cancel: nothing was chosen,
// and an error box then would only hold up the shutdown. Only a dialog that
// could not be made at all is an error.
INT_PTR Dialog::RunModal(int templateId, HWND owner) {
    initialised_ = false;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                                           reinterpret_cast<LPARAM>(this));
    if (result == -1 && initialised_) return IDCANCEL;
    if (result == -1) ThrowLastError("无法打开对话框 " + std::to_string(templateId));
    return result;
}

std::string Dialog::ItemText(int id) const {
    HWND item = Item(id);
    std::vector<char> text(GetWindowTextLengthA(item) + 1);
    GetWindowTextA(item, text.data(), int(text.size()));
    return text.data();
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initialised_ = true;
        OnInit();
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam) OnShow();
        return FALSE;
    case WM_COMMAND: {
        int id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == BN_CLICKED && OnButtonClicked(id)) return TRUE;
        return OnCommand(id, code, reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    }
    case WM_NOTIFY:
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    default: {
        INT_PTR result = 0;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self) return FALSE;
    return ReportingErrors(
        [&] {
            INT_PTR result = self->Dispatch(message, wParam, lParam);
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
                self->hwnd_ = nullptr;
            }
            return result;
        },
        INT_PTR(FALSE));
}

}  // namespace pennora
