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
//   Probe read-data <file>         -> each entry of a data file as "title<TAB>content" (CR, LF and TAB
//                                     written as \r, \n, \t; null as <null>), or "unreadable"
//   Probe set-clipboard <text>     -> puts the text on the clipboard as Unicode text
//   Probe check <id>               -> the state of check box <id>: 0, 1 or 2 (indeterminate)
//   Probe dragfill                 -> "shown=<0|1> left top right bottom" of the drag-fill window
//   Probe dragfill-items           -> the titles of its list, one a line
//   Probe dragfill-item-rect <i>   -> screen rectangle of item <i> of its list
//   Probe focus                    -> the control id of the main window's focused control
//   Probe item-text <id>           -> the ANSI text of the main window's control <id>, its bytes in hex
//   Probe item-shown <id>          -> "1" when control <id> is visible, else "0"
//   Probe tool-button-rect <tool bar id> <button id> -> screen rectangle of a button of a page's tool bar
//   Probe clipboard                -> the clipboard's CF_UNICODETEXT as UTF-8 bytes in hex; exit 1 when it holds none
// Exit code 0 on success, 1 when the window looked for is not there.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ui/resource.h"
#include "browser/BrowserPageIds.h"
#include "entries/DataFile.h"
#include "entries/EntryEditorIds.h"
#include "fill/DragFillIds.h"
#include "ui/resource.h"

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

// WM_GETTEXT itself: for a window of another process GetWindowText gives only
// the caption stored with the window, not an edit box's text.
std::string WindowText(HWND window) {
    std::wstring text(std::size_t(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(std::size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), ansi.data(), size, nullptr, nullptr);
    return ansi;
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

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

int ShowItemText(int id) {
    HWND control = FindControl(id);
    if (!control) return 1;
    Print(Hex(WindowText(control)));
    return 0;
}

int ShowItemShown(int id) {
    HWND control = FindControl(id);
    if (!control) return 1;
    Print(IsWindowVisible(control) ? "1" : "0");
    return 0;
}

int ShowClipboard() {
    if (!OpenClipboard(nullptr)) return 1;
    std::wstring text;
    bool found = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            found = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!found) return 1;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), utf8.data(), bytes, nullptr, nullptr);
    Print(Hex(utf8));
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

int ShowToolButtonAndText(int toolBarId, int buttonId) {
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

int ShowBrowserPage() {
    HWND editKey = FindControl(IDC_EDITKEY);
    if (!editKey) return 1;
    HWND page = GetParent(editKey);
    auto enabled = [&](int id) { return IsWindowEnabled(GetDlgItem(page, id)) ? "1" : "0"; };
    Print(std::string("edits=") + enabled(IDC_EDITKEY) + " apply=" + enabled(IDC_BTNAPPLY) + " cancel=" +
          enabled(IDC_BTNCANCEL));
    Print(OneLine(WindowText(editKey)));
    Print(OneLine(WindowText(GetDlgItem(page, IDC_MEMOVALUE))));
    return 0;
}

int WriteData(int argc, char** argv) {
    std::vector<pennora::Entry> entries;
    for (int i = 3; i + 1 < argc; i += 2) entries.push_back({std::string(argv[i]), std::string(argv[i + 1]), {}, {}});
    std::ofstream(argv[2], std::ios::binary) << pennora::EncodeDataFile(entries);
    return 0;
}

std::string Escaped(const std::optional<std::string>& text) {
    if (!text) return "<null>";
    std::string out;
    for (char c : *text) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : std::string(1, c);
    return out;
}

int ReadData(const char* file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    pennora::DecodedDataFile decoded = pennora::DecodeDataFile(bytes);
    if (!in || !decoded.ok()) {
        Print("unreadable");
        return 1;
    }
    for (const pennora::Entry& entry : decoded.entries) Print(Escaped(entry.title) + "\t" + Escaped(entry.content));
    return 0;
}

int SetClipboard(const std::string& ansi) {
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size_t(length) * sizeof(wchar_t));
    if (!memory) return 1;
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, static_cast<wchar_t*>(GlobalLock(memory)), length);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) return 1;
    EmptyClipboard();
    bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    return set ? 0 : 1;
}

int ShowCheck(int id) {
    HWND control = FindControl(id);
    if (!control) return 1;
    Print(std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)));
    return 0;
}

HWND DragFillWindow() { return FindWindowA("TfrmDragfill", nullptr); }

int ShowDragFill() {
    HWND window = DragFillWindow();
    if (!window) return 1;
    RECT rect;
    GetWindowRect(window, &rect);
    Print(std::string("shown=") + (IsWindowVisible(window) ? "1 " : "0 ") + std::to_string(rect.left) + " " +
          std::to_string(rect.top) + " " + std::to_string(rect.right) + " " + std::to_string(rect.bottom));
    return 0;
}

int ShowDragFillItems() {
    HWND list = GetDlgItem(DragFillWindow(), IDC_DF_LISTBOX1);
    if (!list) return 1;
    // Wine carries a list box's item text across processes itself, in its
    // Unicode form only.
    const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        char ansi[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
        Print(ansi);
    }
    return 0;
}

// Wine carries LB_GETITEMRECT's rectangle across processes itself.
int ShowDragFillItemRect(int index) {
    HWND list = GetDlgItem(DragFillWindow(), IDC_DF_LISTBOX1);
    RECT rect{};
    if (!list || SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) == LB_ERR) return 1;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    PrintRect(rect);
    return 0;
}

int ShowFocus() {
    HWND main = MainWindow();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!main || !GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
    Print(std::to_string(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0));
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
    if (command == "read-data" && argc > 2) return ReadData(argv[2]);
    if (command == "set-clipboard" && argc > 2) return SetClipboard(argv[2]);
    if (command == "check" && argc > 2) return ShowCheck(std::atoi(argv[2]));
    if (command == "dragfill") return ShowDragFill();
    if (command == "dragfill-items") return ShowDragFillItems();
    if (command == "dragfill-item-rect" && argc > 2) return ShowDragFillItemRect(std::atoi(argv[2]));
    if (command == "focus") return ShowFocus();
    if (command == "item-text" && argc > 2) return ShowItemText(std::atoi(argv[2]));
    if (command == "item-shown" && argc > 2) return ShowItemShown(std::atoi(argv[2]));
    if (command == "tool-button-rect" && argc > 3)
        return ShowRemoteRect(std::atoi(argv[2]), TB_GETRECT, std::atoi(argv[3]));
    if (command == "clipboard") return ShowClipboard();
    if (command == "toolbutton" && argc > 3) return ShowToolButtonAndText(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "windows" && argc > 2) return ShowTopWindows(argv[2]);
    if (command == "browser-page") return ShowBrowserPage();
    std::fprintf(stderr,
                 "usage: Probe page|visible|dialog CAPTION|answer CAPTION ID|tray|tray-message MSG|options|item-rect ID|"
                 "tab-rect INDEX|menu-button-rect ID|popup|menu-items EXE ID POSITION|write-data FILE [TITLE CONTENT]...|"
                 "read-data FILE|set-clipboard TEXT|check ID|dragfill|dragfill-items|dragfill-item-rect I|"
                 "focus\n");
    return 2;
}
