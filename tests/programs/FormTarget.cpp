// A stand-in for another program's form: a Unicode window with three
// single-line fields in tab order, run by the ordinary dialog message loop
// (IsDialogMessage), so Tab moves the focus to the next field and Enter does
// what it does in a dialog. Whenever a field's text changes, and when the
// window closes, the three texts are written as UTF-8, one line each
// (field 1, 2, 3), to the file named by the first argument.
// With "page" after the position it stands in for a browser's page instead:
// the window itself keeps the keyboard focus and draws its three fields,
// Tab moves its own current field on (the last one keeps it), and the
// characters it is given go into the current field.
//   FormTarget.exe REPORT-FILE [X Y [page]]
#include <windows.h>

#include <string>

#include "TargetWindow.h"

namespace {

constexpr int kFieldCount = 3;
constexpr int kFirstFieldId = 100;
const wchar_t kClassName[] = L"PennoraFormTarget";

std::wstring reportPath;
HWND fields[kFieldCount] = {};
bool pageMode = false;
std::wstring pageFields[kFieldCount];
int pageField = 0;

void WriteReport() {
    std::string bytes;
    for (int i = 0; i < kFieldCount; ++i)
        bytes += target::Utf8(pageMode ? pageFields[i] : fields[i] ? target::WindowText(fields[i]) : L"") + "\n";
    target::WriteFileWhole(reportPath, bytes);
}

RECT PageFieldRect(int i) { return RECT{10, 10 + 34 * i, 330, 34 + 34 * i}; }

// The page: one window with the focus, three fields it draws itself.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        WriteReport();
        return 0;
    case WM_SETFOCUS:
        CreateCaret(window, nullptr, 1, 18);
        SetCaretPos(14, 13 + 34 * pageField);
        ShowCaret(window);
        return 0;
    case WM_KILLFOCUS:
        DestroyCaret();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_TAB && pageField + 1 < kFieldCount) {
            ++pageField;
            SetCaretPos(14, 13 + 34 * pageField);
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case WM_CHAR:
        if (wParam >= 0x20) {
            pageFields[pageField] += wchar_t(wParam);
            InvalidateRect(window, nullptr, TRUE);
            WriteReport();
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        for (int i = 0; i < kFieldCount; ++i) {
            RECT box = PageFieldRect(i);
            Rectangle(dc, box.left, box.top, box.right, box.bottom);
            InflateRect(&box, -4, -3);
            DrawTextW(dc, pageFields[i].c_str(), int(pageFields[i].size()), &box, DT_SINGLELINE | DT_VCENTER);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        return target::ReportAndQuit(WriteReport);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        for (int i = 0; i < kFieldCount; ++i) {
            fields[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10, 10 + 34 * i, 320, 24,
                                        window, HMENU(INT_PTR(kFirstFieldId + i)), GetModuleHandleW(nullptr), nullptr);
            if (!fields[i]) return -1;
            SendMessageW(fields[i], WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        }
        WriteReport();
        return 0;
    case WM_SETFOCUS:
        SetFocus(fields[0]);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) WriteReport();
        return 0;
    case WM_DESTROY:
        return target::ReportAndQuit(WriteReport);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    target::Arguments arguments;
    if (!target::ReadArguments(arguments, L"usage: FormTarget.exe REPORT-FILE [X Y [page]]", kClassName)) return 2;
    reportPath = arguments.report;
    pageMode = arguments.mode == L"page";
    // WS_EX_CONTROLPARENT: the dialog manager walks the fields of this window.
    return target::RunWindow(instance,
                             {kClassName, pageMode ? PageProc : WindowProc, COLOR_BTNFACE,
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, pageMode ? 0u : DWORD(WS_EX_CONTROLPARENT),
                              360, 160},
                             arguments, !pageMode);
}
