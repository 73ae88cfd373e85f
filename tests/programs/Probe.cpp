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
// Exit code 0 on success, 1 when the window looked for is not there.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/resource.h"
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
    std::fprintf(stderr, "usage: Probe page|visible|dialog CAPTION|answer CAPTION ID|write-data FILE [TITLE CONTENT]...\n");
    return 2;
}
