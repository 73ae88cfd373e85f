// Looks at a running Pennora from inside the Wine session, for the end-to-end
// tests: what page it shows, whether it is visible, which message box is up
// and what it says, and answers that box as a user would. Also writes data
// files with the product's own encoder.
//   Probe page                     -> index of the selected page
//   Probe visible                  -> "main=<0|1> app=<0|1>"
//   Probe dialog <caption>         -> the texts of the box with that caption
//   Probe answer <caption> <id>    -> presses button <id> (IDYES 6, IDNO 7, IDCANCEL 2, IDOK 1)
//   Probe tray                     -> "icon=<0|1>": whether the shell holds the tray icon
//   Probe tray-message <mouse message> -> sends the tray callback as a click on the icon would
//   Probe write-data <file> [<title> <content>]...
//   Probe options                  -> the Options page's controls: "ChkMinimize=<0|1> ... HotKey1=0x<word> BtnOK=<0|1>"
//   Probe item-rect <id>           -> "left top right bottom": screen rectangle of the main window's control <id>
//   Probe tab-rect <index>         -> screen rectangle of a tab of PageControl1
//   Probe menu-button-rect <id>    -> screen rectangle of a button of the menu tool bar ToolBar5
//   Probe popup                    -> "menu=<0|1> left top right bottom": the popup menu shown, if any
//   Probe menu-items <exe> <id> <position> -> the items of the popup at <position> of menu resource <id>
//                                     of <exe>, one a line ("-" for a separator)
// Exit code 0 on success, 1 when the window looked for is not there.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ui/resource.h"
#include "browser/BrowserPageIds.h"
#include "entries/DataFile.h"

namespace {

std::string ToUtf8(const std::string& ansi) {
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), int(ansi.size()), nullptr, 0);
    std::wstring w(wide, L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), int(ansi.size()), w.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

void Print(const std::string& line) {
    std::string out = ToUtf8(line) + "\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), DWORD(out.size()), &written, nullptr);
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND MainWindow() { return FindWindowA("TfrmMain", nullptr); }

// The main window's descendant with control id `id` (pages are child dialogs
// of the main window, so a page's controls are grandchildren).
HWND FindControl(int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        MainWindow(),
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PrintRect(const RECT& rect) {
    Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
          std::to_string(rect.bottom));
}

// Asks a control of another process for one of its item rectangles: the
// message's RECT pointer must point into that process, so the rectangle is
// placed there and read back. Returns it in screen coordinates.
bool RemoteItemRect(HWND control, UINT message, WPARAM item, RECT& rect) {
    DWORD processId = 0;
    GetWindowThreadProcessId(control, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool ok = remote && SendMessageA(control, message, item, reinterpret_cast<LPARAM>(remote)) &&
              ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (ok) MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return ok;
}
HWND MessageBoxWindow(const char* caption) { return FindWindowA("#32770", caption); }

int ShowPage() {
    HWND main = MainWindow();
    if (!main) return 1;
    Print(std::to_string(SendMessageA(GetDlgItem(main, IDC_PAGECONTROL1), TCM_GETCURSEL, 0, 0)));
    return 0;
}

int ShowVisibility() {
    HWND main = MainWindow();
    if (!main) return 1;
    HWND app = GetWindow(main, GW_OWNER);
    Print(std::string("main=") + (IsWindowVisible(main) ? "1" : "0") + " app=" + (IsWindowVisible(app) ? "1" : "0") +
          " iconic=" + (IsIconic(app) ? "1" : "0"));
    return 0;
}

int ShowDialog(const char* caption) {
    HWND box = MessageBoxWindow(caption);
    if (!box) return 1;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0 && !WindowText(child).empty()) Print(WindowText(child));
    }
    return 0;
}

int AnswerDialog(const char* caption, int buttonId) {
    HWND box = MessageBoxWindow(caption);
    if (!box) return 1;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return 0;
}

// A modify of an icon that the shell does not hold fails, so it tells whether
// the icon is there without changing it.
int ShowTrayIcon() {
    HWND main = MainWindow();
    if (!main) return 1;
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = main;
    record.uID = 1000;
    Print(std::string("icon=") + (Shell_NotifyIconA(NIM_MODIFY, &record) ? "1" : "0"));
    return 0;
}

int SendTrayMessage(int mouseMessage) {
    HWND main = MainWindow();
    if (!main) return 1;
    PostMessageA(main, 0x0903, 1000, mouseMessage);
    return 0;
}

int ShowOptions() {
    HWND button = FindControl(IDC_BTNOK);
    if (!button) return 1;
    HWND page = GetParent(button);
    struct Check {
        const char* name;
        int id;
    };
    constexpr Check kChecks[] = {{"ChkMinimize", IDC_CHKMINIMIZE}, {"ChkAutoDragFill", IDC_CHKAUTODRAGFILL},
                                 {"ChkAutoHotKey", IDC_CHKAUTOHOTKEY}, {"ChkHotKey", IDC_CHKHOTKEY},
                                 {"ChkDrag", IDC_CHKDRAG}};
    std::string line;
    for (const auto& check : kChecks) {
        line += std::string(check.name) + "=" + (IsDlgButtonChecked(page, check.id) == BST_CHECKED ? "1 " : "0 ");
    }
    char hotKey[16];
    std::snprintf(hotKey, sizeof hotKey, "0x%04X",
                  unsigned(LOWORD(SendMessageA(GetDlgItem(page, IDC_HOTKEY1), HKM_GETHOTKEY, 0, 0))));
    Print(line + "HotKey1=" + hotKey + " BtnOK=" + (IsWindowEnabled(button) ? "1" : "0"));
    return 0;
}

int ShowItemRect(int id) {
    HWND control = FindControl(id);
    if (!control) return 1;
    RECT rect;
    GetWindowRect(control, &rect);
    PrintRect(rect);
    return 0;
}

int ShowRemoteRect(int controlId, UINT message, WPARAM item) {
    HWND control = FindControl(controlId);
    RECT rect;
    if (!control || !RemoteItemRect(control, message, item, rect)) return 1;
    PrintRect(rect);
    return 0;
}

int ShowPopupMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) {
        Print("menu=0");
        return 0;
    }
    RECT rect;
    GetWindowRect(menu, &rect);
    Print("menu=1 " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) +
          " " + std::to_string(rect.bottom));
    return 0;
}

// A menu of another process cannot be read from here, so the items come from
// the menu resource of the executable that shows it: the popup at `position`
// of menu resource `menuId`.
int ShowMenuItems(const char* executable, int menuId, int position) {
    HMODULE module = LoadLibraryExA(executable, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 1;
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(menuId));
    HMENU popup = menu ? GetSubMenu(menu, position) : nullptr;
    if (!popup) return 1;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        char text[256] = {};
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        Print(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR ? "-" : text);
    }
    DestroyMenu(menu);
    return 0;
}

// The browser integration's views:
//   Probe toolbutton <toolbar id> <button id> -> "pressed=<0|1> left top right bottom" and, on the next
//                                     line, the button's text (its hint)
//   Probe windows <title prefix>   -> one line per top-level window whose title starts so, in z-order:
//                                     "<title>|visible=<0|1>|z=<place among all top-level windows>"
//   Probe browser-page             -> "edits=<0|1> apply=<0|1> cancel=<0|1>", then the texts of EditKey and
//                                     MemoValue, each on a line of its own (line breaks as \n)

// The text of a tool-bar button of another process, read into memory placed
// there as RemoteItemRect does.
bool RemoteButtonText(HWND toolBar, int buttonId, std::string& text) {
    DWORD processId = 0;
    GetWindowThreadProcessId(toolBar, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return false;
    char buffer[256] = {};
    void* remote = VirtualAllocEx(process, nullptr, sizeof buffer, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    bool ok = remote && SendMessageA(toolBar, TB_GETBUTTONTEXTA, buttonId, reinterpret_cast<LPARAM>(remote)) >= 0 &&
              ReadProcessMemory(process, remote, buffer, sizeof buffer - 1, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (ok) text = buffer;
    return ok;
}

int ShowToolButton(int toolBarId, int buttonId) {
    HWND toolBar = FindControl(toolBarId);
    RECT rect;
    std::string text;
    if (!toolBar || !RemoteItemRect(toolBar, TB_GETRECT, buttonId, rect) || !RemoteButtonText(toolBar, buttonId, text))
        return 1;
    Print(std::string("pressed=") + (SendMessageA(toolBar, TB_ISBUTTONCHECKED, buttonId, 0) ? "1 " : "0 ") +
          std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
          std::to_string(rect.bottom));
    Print(text);
    return 0;
}

int ShowTopWindows(const std::string& prefix) {
    int place = 0;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT), ++place) {
        std::string title = WindowText(window);
        if (title.compare(0, prefix.size(), prefix) != 0) continue;
        Print(title + "|visible=" + (IsWindowVisible(window) ? "1" : "0") + "|z=" + std::to_string(place));
    }
    return 0;
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return line;
}

// GetWindowTextA does not ask a window of another process for its text; the
// message does (the system carries the buffer across).
std::string ControlText(HWND control) {
    std::vector<char> text(size_t(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)) + 1);
    SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int ShowBrowserPage() {
    HWND editKey = FindControl(IDC_EDITKEY);
    if (!editKey) return 1;
    HWND page = GetParent(editKey);
    auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(page, id)) ? "1" : "0"; };
    Print(std::string("edits=") + enabled(IDC_EDITKEY) + " apply=" + enabled(IDC_BTNAPPLY) + " cancel=" +
          enabled(IDC_BTNCANCEL));
    Print(OneLine(ControlText(editKey)));
    Print(OneLine(ControlText(GetDlgItem(page, IDC_MEMOVALUE))));
    return 0;
}

int WriteData(int argc, char** argv) {
    std::vector<pennora::Entry> entries;
    for (int i = 3; i + 1 < argc; i += 2) entries.push_back({std::string(argv[i]), std::string(argv[i + 1]), {}, {}});
    std::ofstream(argv[2], std::ios::binary) << pennora::EncodeDataFile(entries);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "page") return ShowPage();
    if (command == "visible") return ShowVisibility();
    if (command == "dialog" && argc > 2) return ShowDialog(argv[2]);
    if (command == "answer" && argc > 3) return AnswerDialog(argv[2], std::atoi(argv[3]));
    if (command == "write-data" && argc > 2) return WriteData(argc, argv);
    if (command == "tray") return ShowTrayIcon();
    if (command == "tray-message" && argc > 2) return SendTrayMessage(std::strtol(argv[2], nullptr, 0));
    if (command == "options") return ShowOptions();
    if (command == "item-rect" && argc > 2) return ShowItemRect(std::atoi(argv[2]));
    if (command == "tab-rect" && argc > 2) return ShowRemoteRect(IDC_PAGECONTROL1, TCM_GETITEMRECT, std::atoi(argv[2]));
    if (command == "menu-button-rect" && argc > 2) return ShowRemoteRect(IDC_TOOLBAR5, TB_GETRECT, std::atoi(argv[2]));
    if (command == "popup") return ShowPopupMenu();
    if (command == "menu-items" && argc > 4) return ShowMenuItems(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (command == "toolbutton" && argc > 3) return ShowToolButton(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "windows" && argc > 2) return ShowTopWindows(argv[2]);
    if (command == "browser-page") return ShowBrowserPage();
    std::fprintf(stderr,
                 "usage: Probe page|visible|dialog CAPTION|answer CAPTION ID|tray|tray-message MSG|options|item-rect ID|"
                 "tab-rect INDEX|menu-button-rect ID|popup|menu-items EXE ID POSITION|write-data FILE [TITLE CONTENT]...\n");
    return 2;
}
