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
//   Probe hint-rect                -> screen rectangle of a hint (tooltip) that Pennora shows
//   Probe focus                    -> the control id of the main window's focused control (a combo box's for
//                                     the edit box inside it); 0 while no window of the main window's thread
//                                     is the foreground window, as then no key reaches it
//   Probe foreground               -> which window is the foreground window: main, dragfill, target
//                                     (EditTarget's), or "other"
//   Probe item-text <id>           -> the ANSI text of the main window's control <id>, its bytes in hex
//   Probe item-shown <id>          -> "1" when control <id> is visible, else "0"
//                                     (item-rect, item-text and item-shown also find the drag-fill window's controls)
//   Probe tool-button-rect <tool bar id> <button id> -> screen rectangle of a button of a page's tool bar
//   Probe clipboard                -> the clipboard's CF_UNICODETEXT as UTF-8 bytes in hex; exit 1 when it holds none
//   Probe x-windows                -> "<name> <X window id>" for each of the windows main, dragfill,
//                                     target (EditTarget's) and menu (the popup menu shown) that exists: the
//                                     X window Wine made for it
//   Probe client-rect <title>      -> "left top right bottom": the screen rectangle of the client area of the
//                                     top-level window with that title, as Windows has it
//   Probe edit-lines <window class> <control class> -> the line count, then the text, of the first edit
//                                     control whose class begins with <control class> in the top-level
//                                     window of class <window class> (another program's document)
//   Probe layout <main|page|dragfill> <dpi> <font height> <face> <charset> [<strip font height> <face> <charset>]
//                                  -> the visible controls of the main window's own bars, of its shown page or
//                                     of the drag-fill window, each measured with the font given, the title
//                                     strip with the strip font (see ShowLayout)
// Exit code 0 on success, 1 when the window looked for is not there.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
HWND DragFillWindow() { return FindWindowA("TfrmDragfill", nullptr); }

// A control of the main window or, failing that, of the drag-fill window.
HWND FindControl(int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    for (HWND top : {MainWindow(), DragFillWindow()}) {
        if (!top) continue;
        EnumChildWindows(
            top,
            [](HWND child, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (GetDlgCtrlID(child) != s->id) return TRUE;
                s->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
    }
    return search.found;
}

void PrintRect(const RECT& rect) {
    Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
          std::to_string(rect.bottom));
}

// Sends a control of another process a message whose lParam points to a
// block of bytes: the pointer must point into that process, so the block is
// placed there and read back. `prepare` may fill it in knowing where it will
// lie (for a structure that points into itself). False when the block could
// not be placed or the message answered `failure`.
bool RemoteSend(HWND control, UINT message, WPARAM wParam, std::string& block, LRESULT failure = 0,
                void (*prepare)(std::string& block, char* remoteBase) = nullptr) {
    DWORD processId = 0;
    GetWindowThreadProcessId(control, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return false;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote && prepare) prepare(block, remote);
    bool ok = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr) &&
              SendMessageA(control, message, wParam, reinterpret_cast<LPARAM>(remote)) != failure &&
              ReadProcessMemory(process, remote, block.data(), block.size(), nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

// One of a control's item rectangles (TB_GETRECT, TB_GETITEMRECT,
// TCM_GETITEMRECT...), in the control's client coordinates.
bool RemoteClientRect(HWND control, UINT message, WPARAM item, RECT& rect) {
    std::string block(sizeof rect, '\0');
    if (!RemoteSend(control, message, item, block)) return false;
    std::memcpy(&rect, block.data(), sizeof rect);
    return true;
}

// The same in screen coordinates.
bool RemoteItemRect(HWND control, UINT message, WPARAM item, RECT& rect) {
    if (!RemoteClientRect(control, message, item, rect)) return false;
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return true;
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

// Only for a control that is shown, page and window included: a rectangle
// read while the page is still being made and laid out is no place to click.
int ShowRemoteRect(int controlId, UINT message, WPARAM item) {
    HWND control = FindControl(controlId);
    RECT rect;
    if (!control || !IsWindowVisible(control) || !RemoteItemRect(control, message, item, rect)) return 1;
    PrintRect(rect);
    return 0;
}

HWND ShownPopupMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

int ShowPopupMenu() {
    HWND menu = ShownPopupMenu();
    if (!menu) {
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

// The text of a tool-bar button of another process.
bool RemoteButtonText(HWND toolBar, int buttonId, std::string& text) {
    std::string block(256, '\0');
    if (!RemoteSend(toolBar, TB_GETBUTTONTEXTA, buttonId, block, -1)) return false;
    text = block.c_str();
    return true;
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
    // The list holds no text of its own: its window text is its lines, one a
    // line, which Wine carries across processes.
    std::wstring text(std::size_t(SendMessageW(list, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(list, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    if (text.empty()) return 0;
    std::string ansi(text.size() * 2 + 1, '\0');
    ansi.resize(std::size_t(WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), ansi.data(),
                                                int(ansi.size()), nullptr, nullptr)));
    for (std::size_t start = 0; start < ansi.size();) {
        const std::size_t end = ansi.find("\r\n", start);
        Print(ansi.substr(start, end - start));
        start = end == std::string::npos ? ansi.size() : end + 2;
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

int ShowHintRect() {
    struct Search {
        DWORD thread;
        HWND hint;
    } search{GetWindowThreadProcessId(MainWindow() ? MainWindow() : DragFillWindow(), nullptr), nullptr};
    if (!search.thread) return 1;
    EnumThreadWindows(
        search.thread,
        [](HWND window, LPARAM data) {
            auto* search = reinterpret_cast<Search*>(data);
            char name[32] = "";
            GetClassNameA(window, name, sizeof name);
            if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(window)) return TRUE;
            search->hint = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.hint) return 1;
    RECT rect;
    GetWindowRect(search.hint, &rect);
    PrintRect(rect);
    return 0;
}

HWND EditTargetWindow() { return FindWindowA(nullptr, "PennoraEditTarget"); }

int ShowFocus() {
    HWND main = MainWindow();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!main || !GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    HWND focus = foregroundThread == GetWindowThreadProcessId(main, nullptr) ? info.hwndFocus : nullptr;
    // A drop-down combo box keeps the focus in its edit box: the control is the combo box.
    char parentClass[32] = {};
    if (focus && GetClassNameA(GetParent(focus), parentClass, sizeof parentClass) && lstrcmpiA(parentClass, "ComboBox") == 0)
        focus = GetParent(focus);
    Print(std::to_string(focus ? GetDlgCtrlID(focus) : 0));
    return 0;
}

int ShowForeground() {
    HWND foreground = GetForegroundWindow();
    Print(foreground && foreground == MainWindow()          ? "main"
          : foreground && foreground == DragFillWindow()    ? "dragfill"
          : foreground && foreground == EditTargetWindow() ? "target"
                                                            : "other");
    return 0;
}

// Wine keeps the X window it made for a top-level window in a property of
// that window, which any process of the Wine session can read.
int ShowXWindows() {
    const struct {
        const char* name;
        HWND window;
    } windows[] = {{"main", MainWindow()},
                   {"dragfill", DragFillWindow()},
                   {"target", EditTargetWindow()},
                   {"menu", ShownPopupMenu()}};
    for (const auto& named : windows) {
        const auto id = named.window ? reinterpret_cast<std::uintptr_t>(GetPropA(named.window, "__wine_x11_whole_window")) : 0;
        if (id) Print(std::string(named.name) + " " + std::to_string(id));
    }
    return 0;
}

// Another program's document: the first edit control whose class begins
// with `controlClass` (case aside; "RichEdit" finds RichEdit20W and
// RICHEDIT50W, "Edit" a plain edit) in the top-level window of class
// `windowClass`; its line count, then its text.
int ShowEditLines(const char* windowClass, const char* controlClass) {
    HWND window = FindWindowA(windowClass, nullptr);
    if (!window) return 1;
    struct Search {
        const char* prefix;
        HWND found;
    } search{controlClass, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(param);
            char name[64] = {};
            GetClassNameA(child, name, sizeof name);
            if (_strnicmp(name, search.prefix, std::strlen(search.prefix)) != 0) return TRUE;
            search.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) return 1;
    Print(std::to_string(SendMessageW(search.found, EM_GETLINECOUNT, 0, 0)));
    Print(WindowText(search.found));
    return 0;
}

int ShowClientRect(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    RECT rect;
    if (!window || !GetClientRect(window, &rect)) return 1;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    PrintRect(rect);
    return 0;
}

// ---- Layout: where a window's visible controls lie and whether their texts fit ----
//
// One line per visible control, fields separated by "|", rectangles as "left top right bottom" relative to
// the client area of the top-level window (the main window or the drag-fill window):
//   window|<client width> <client height>
//   page|<the page's control id>|<rect>                                (mode "page" only)
//   control|<id>|<class>|<style hex>|<parent id>|<rect>|<text>|<verdict>
//   tab|<index>|<rect>|<text>|<verdict>                                    (items of a tab control)
//   button|<tool bar id>|<button id>|<rect>|<text>|<verdict>               (tool-bar buttons that show text)
//   lines|<list box id>|<verdict>                                          (a list box's line height)
//   strip|<strip id>|<verdict>                                             (a title strip's height)
// A one-line edit box's verdict says whether a line of the font fits in it.
// The verdict is "-" (nothing to measure), "fits", "cut: ..." or "ellipsis: ..." (a static that ends its
// text with "..." when it is too long: cut by design).
// Texts are measured with the font given, the font the window is meant to use at that DPI: a foreign
// HFONT cannot be read from here.

struct Room {
    int needWidth, needHeight, haveWidth, haveHeight;
};

std::string Cut(const Room& room, const std::string& what = "cut") {
    if (room.needWidth <= room.haveWidth && room.needHeight <= room.haveHeight) return "fits";
    return what + ": text needs " + std::to_string(room.needWidth) + "x" + std::to_string(room.needHeight) +
           " px, room " + std::to_string(room.haveWidth) + "x" + std::to_string(room.haveHeight) + " px";
}

SIZE TextSize(HDC dc, const std::string& text, int width, UINT flags) {
    RECT rect{0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &rect, flags | DT_CALCRECT);
    return {rect.right, rect.bottom};
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Static text controls: DrawText in the client area, word-wrapped unless
// the style says one line.
std::string StaticVerdict(HWND control, HDC dc, const std::string& text, LONG style) {
    const LONG type = style & SS_TYPEMASK;
    if (text.empty() || (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
                         type != SS_LEFTNOWORDWRAP))
        return "-";
    RECT client;
    GetClientRect(control, &client);
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    const bool wraps = type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP;
    SIZE need = TextSize(dc, text, client.right, DT_EXPANDTABS | prefix | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    std::string verdict = Cut({need.cx, need.cy, client.right, client.bottom},
                              (style & SS_ELLIPSISMASK) ? "ellipsis" : "cut");
    if (verdict != "fits" && wraps) {
        const SIZE line = TextSize(dc, text, 0, DT_EXPANDTABS | prefix | DT_SINGLELINE);
        verdict += " (as one line " + std::to_string(line.cx) + " px wide)";
    }
    return verdict;
}

// Buttons as the common controls draw them: a push button's label inside
// its 2-pixel frame (3 for the default button); a check box's or radio
// button's after its box (12 px at 96 DPI, scaled, plus one) and half a
// digit's width; a group box's between 7-pixel insets; a 1-pixel margin
// round every label.
std::string ButtonVerdict(HWND control, HDC dc, const std::string& text, LONG style, int dpi) {
    LONG type = style & BS_TYPEMASK;
    if (style & BS_PUSHLIKE) type = BS_PUSHBUTTON;
    if (text.empty() || (style & (BS_BITMAP | BS_ICON)) || type == BS_OWNERDRAW || type == BS_USERBUTTON) return "-";
    RECT client;
    GetClientRect(control, &client);
    int width = client.right, height = client.bottom;
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: {
        const int frame = type == BS_DEFPUSHBUTTON ? 3 : 2;
        width -= 2 * frame;
        height -= 2 * frame;
        break;
    }
    case BS_GROUPBOX: width -= 14; break;
    default: {
        int digit = 0;
        GetCharWidth32A(dc, '0', '0', &digit);
        width -= 12 * dpi / 96 + 1 + digit / 2;
    }
    }
    width -= 2;
    const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    SIZE need = TextSize(dc, text, width, lines);
    return Cut({need.cx, need.cy, width, height});
}

struct Layout {
    HWND top;
    HDC dc;
    HDC stripDc;  // null: no strip font given
    int dpi;
};

std::string RelativeRect(const Layout& layout, RECT rect, HWND from) {
    MapWindowPoints(from, layout.top, reinterpret_cast<POINT*>(&rect), 2);
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
           std::to_string(rect.bottom);
}

std::string WindowRectIn(const Layout& layout, HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return RelativeRect(layout, rect, nullptr);
}

std::string Field(const std::string& text) {
    std::string field;
    for (char c : text) field += c == '|' ? std::string("/") : c == '\r' ? std::string() : c == '\n' ? std::string("\\n") : std::string(1, c);
    return field;
}

void ShowTabs(const Layout& layout, HWND tabs) {
    const int count = int(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        std::string block(sizeof(TCITEMA) + 256, '\0');
        auto prepare = [](std::string& item, char* remoteBase) {
            TCITEMA header{};
            header.mask = TCIF_TEXT;
            header.pszText = remoteBase + sizeof(TCITEMA);
            header.cchTextMax = 255;
            std::memcpy(item.data(), &header, sizeof header);
        };
        if (!RemoteClientRect(tabs, TCM_GETITEMRECT, i, rect) || !RemoteSend(tabs, TCM_GETITEMA, i, block, 0, prepare))
            continue;
        const std::string text = block.c_str() + sizeof(TCITEMA);
        // The tab draws its caption between its padding (TCM_SETPADDING) and
        // a 1-pixel edge; the caption itself must fit the rest.
        const SIZE need = TextSize(layout.dc, text, 0, DT_SINGLELINE);
        Print("tab|" + std::to_string(i) + "|" + RelativeRect(layout, rect, tabs) + "|" + Field(text) + "|" +
              Cut({need.cx, need.cy, rect.right - rect.left - 2, rect.bottom - rect.top - 2}));
    }
}

void ShowToolButtons(const Layout& layout, HWND toolBar) {
    if (SendMessageA(toolBar, TB_GETTEXTROWS, 0, 0) <= 0) return;  // the texts serve as tips only
    const int count = int(SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string block(sizeof(TBBUTTON), '\0');
        RECT rect{};
        if (!RemoteSend(toolBar, TB_GETBUTTON, i, block) || !RemoteClientRect(toolBar, TB_GETITEMRECT, i, rect)) continue;
        TBBUTTON button;
        std::memcpy(&button, block.data(), sizeof button);
        std::string text;
        if ((button.fsStyle & BTNS_SEP) || (button.fsState & TBSTATE_HIDDEN) ||
            !RemoteButtonText(toolBar, button.idCommand, text) || text.empty())
            continue;
        const SIZE need = TextSize(layout.dc, text, 0, DT_SINGLELINE);
        Print("button|" + std::to_string(GetDlgCtrlID(toolBar)) + "|" + std::to_string(button.idCommand) + "|" +
              RelativeRect(layout, rect, toolBar) + "|" + Field(text) + "|" +
              Cut({need.cx, need.cy, rect.right - rect.left, rect.bottom - rect.top}));
    }
}

// A list box's lines must be at least as high as the font's characters
// (its em: the cell height without the internal leading).
void ShowListLines(const Layout& layout, HWND list) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(layout.dc, &metrics);
    const int line = int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const int em = int(metrics.tmHeight - metrics.tmInternalLeading);
    Print("lines|" + std::to_string(GetDlgCtrlID(list)) + "|" +
          (line >= em ? std::string("fits")
                      : "cut: lines " + std::to_string(line) + " px high, characters " + std::to_string(em) + " px"));
}

// A one-line edit box shows a line of its font inside its client area.
std::string EditVerdict(const Layout& layout, HWND edit, LONG style) {
    if (style & ES_MULTILINE) return "-";
    TEXTMETRICA metrics{};
    GetTextMetricsA(layout.dc, &metrics);
    RECT client;
    GetClientRect(edit, &client);
    return client.bottom >= metrics.tmHeight ? "fits"
                                             : "cut: box " + std::to_string(client.bottom) + " px high inside, a line of its font " +
                                                   std::to_string(metrics.tmHeight) + " px";
}

// A title strip paints its caption in one line, vertically centred: the
// strip must be as high as a line of its font.
void ShowStripHeight(const Layout& layout, HWND strip) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(layout.stripDc, &metrics);
    RECT client;
    GetClientRect(strip, &client);
    Print("strip|" + std::to_string(GetDlgCtrlID(strip)) + "|" +
          (client.bottom >= metrics.tmHeight ? std::string("fits")
                                             : "cut: strip " + std::to_string(client.bottom) + " px high, a line of its font " +
                                                   std::to_string(metrics.tmHeight) + " px"));
}

void ShowControl(const Layout& layout, HWND control) {
    const std::string className = ClassOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    std::string text, verdict = "-";
    if (lstrcmpiA(className.c_str(), "Static") == 0) {
        text = WindowText(control);
        verdict = StaticVerdict(control, layout.dc, text, style);
    } else if (lstrcmpiA(className.c_str(), "Button") == 0) {
        text = WindowText(control);
        verdict = ButtonVerdict(control, layout.dc, text, style, layout.dpi);
    } else if (lstrcmpiA(className.c_str(), "Edit") == 0) {
        verdict = EditVerdict(layout, control, style);
    }
    char styleHex[16];
    std::snprintf(styleHex, sizeof styleHex, "%08lX", static_cast<unsigned long>(style));
    Print("control|" + std::to_string(GetDlgCtrlID(control)) + "|" + className + "|" + styleHex + "|" +
          std::to_string(GetDlgCtrlID(GetParent(control))) + "|" + WindowRectIn(layout, control) + "|" + Field(text) +
          "|" + verdict);
    if (className == WC_TABCONTROLA) ShowTabs(layout, control);
    if (className == TOOLBARCLASSNAMEA) ShowToolButtons(layout, control);
    if (lstrcmpiA(className.c_str(), "ListBox") == 0) ShowListLines(layout, control);
    if (className == "PennoraTitleStrip" && layout.stripDc) ShowStripHeight(layout, control);
}

// The visible descendants of `parent`, each before its own children; the
// pages (child dialogs) are left out when `skipPages`.
void ShowControls(const Layout& layout, HWND parent, bool skipPages) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || (skipPages && ClassOf(child) == "#32770")) continue;
        ShowControl(layout, child);
        ShowControls(layout, child, false);
    }
}

HWND ShownPage(HWND main) {
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && ClassOf(child) == "#32770") return child;
    }
    return nullptr;
}

struct MeasuringDc {
    HFONT font;
    HDC dc;
    HGDIOBJ previous;
    MeasuringDc(int height, const char* face, int charset)
        : font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, BYTE(charset), OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face)),
          dc(CreateCompatibleDC(nullptr)),
          previous(SelectObject(dc, font)) {}
    ~MeasuringDc() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(font);
    }
};

int ShowLayout(int argc, char** argv) {
    const std::string mode = argv[2];
    // "dialog:<caption>": a dialog of the tool's, found by its caption.
    HWND top = mode == "dragfill"                ? DragFillWindow()
               : mode.rfind("dialog:", 0) == 0 ? FindWindowA("#32770", mode.c_str() + 7)
                                                : MainWindow();
    HWND page = mode == "page" && top ? ShownPage(top) : nullptr;
    if (!top || (mode == "page" && !page)) return 1;
    MeasuringDc text(std::atoi(argv[4]), argv[5], std::atoi(argv[6]));
    std::optional<MeasuringDc> strip;
    if (argc > 9) strip.emplace(std::atoi(argv[7]), argv[8], std::atoi(argv[9]));
    const Layout layout{top, text.dc, strip ? strip->dc : nullptr, std::atoi(argv[3])};
    RECT client;
    GetClientRect(top, &client);
    Print("window|" + std::to_string(client.right) + " " + std::to_string(client.bottom));
    if (page) {
        Print("page|" + std::to_string(GetDlgCtrlID(page)) + "|" + WindowRectIn(layout, page));
        ShowControls(layout, page, false);
    } else {
        ShowControls(layout, top, true);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Rectangles and sizes as the windows have them: a program that is not
    // DPI-aware would see them scaled to 96 DPI.
    SetProcessDPIAware();
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
    if (command == "hint-rect") return ShowHintRect();
    if (command == "focus") return ShowFocus();
    if (command == "item-text" && argc > 2) return ShowItemText(std::atoi(argv[2]));
    if (command == "item-shown" && argc > 2) return ShowItemShown(std::atoi(argv[2]));
    if (command == "tool-button-rect" && argc > 3)
        return ShowRemoteRect(std::atoi(argv[2]), TB_GETRECT, std::atoi(argv[3]));
    if (command == "clipboard") return ShowClipboard();
    if (command == "toolbutton" && argc > 3) return ShowToolButtonAndText(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "windows" && argc > 2) return ShowTopWindows(argv[2]);
    if (command == "browser-page") return ShowBrowserPage();
    if (command == "layout" && argc > 6) return ShowLayout(argc, argv);
    if (command == "x-windows") return ShowXWindows();
    if (command == "foreground") return ShowForeground();
    if (command == "client-rect" && argc > 2) return ShowClientRect(argv[2]);
    if (command == "edit-lines" && argc > 3) return ShowEditLines(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: Probe page|visible|dialog CAPTION|answer CAPTION ID|tray|tray-message MSG|options|item-rect ID|"
                 "tab-rect INDEX|menu-button-rect ID|popup|menu-items EXE ID POSITION|write-data FILE [TITLE CONTENT]...|"
                 "read-data FILE|set-clipboard TEXT|check ID|dragfill|dragfill-items|dragfill-item-rect I|"
                 "focus|item-text ID|item-shown ID|tool-button-rect TOOLBAR ID|clipboard|toolbutton TOOLBAR ID|"
                 "windows PREFIX|browser-page|layout MODE DPI HEIGHT FACE CHARSET [STRIPHEIGHT FACE CHARSET]|x-windows|client-rect TITLE|foreground|hint-rect|\n"
                 "edit-lines WINDOWCLASS CONTROLCLASS\n");
    return 2;
}
