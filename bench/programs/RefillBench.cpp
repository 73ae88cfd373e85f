// The refill of both running fill lists after one stored change, on the real
// controls under Wine: 10,000 entries, hot-key fill and drag fill both on.
// One commit of a changed entry runs the store's after-post handler, which
// walks the hot-key list into the fill menu and the drag list into the
// drag-fill window's list box. The baseline fills the same list box and menu
// straight from a prepared vector of the same titles.
//   RefillBench.exe WORK-FOLDER [ENTRIES] [ROUNDS]
// Prints one line per measure (median milliseconds) and their ratio.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/EntryStore.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "fill/FillMenu.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/IniFile.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

template <class Work>
double MedianMs(int rounds, Work work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work(i);
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Print(const std::string& line) {
    std::string out = line + "\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), DWORD(out.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pennora;
    if (argc < 2) return 2;
    const std::string folder = std::string(argv[1]) + "\\";
    const int count = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 21;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({"地址" + std::to_string(i), "北京市海淀区中关村大街" + std::to_string(i) + "号", {}, {}});
    Win32FileSystem files;
    if (!files.SaveWholeFile(folder + "Pennora.Dat", EncodeDataFile(entries)).empty()) return 1;
    EntryStore store(files, folder + "Pennora.Dat");
    if (store.Load().status != EntryStore::LoadStatus::Loaded) return 1;

    Win32Profile profile;
    IniFile ini(profile, folder + "Pennora.Ini");
    Win32WindowsInput input;
    TextDelivery delivery(input);
    DragFillWindow dragFill({ini, store, delivery, input, folder});
    FillMenu menu;
    ModeFlags flags;
    flags.hotKeyOn = flags.dragFillOn = true;
    store.SetAfterPost([&] {
        ClientDataSet1AfterPost(store, flags,
                                {[&](const std::vector<std::string>& titles) { menu.Rebuild(titles); },
                                 [&](const std::vector<std::string>& titles) { dragFill.FillList(titles); }});
    });

    std::vector<std::string> titles;
    for (const Entry& entry : entries) titles.push_back(*entry.title);

    // The baseline: the drag-fill window's own list box (before the window
    // lists anything itself) and a menu like the fill menu, each emptied and
    // filled from the vector.
    HWND listBox = GetDlgItem(dragFill.hwnd(), IDC_DF_LISTBOX1);
    HMENU plainMenu = CreatePopupMenu();
    const double direct = MedianMs(rounds, [&](int) {
        SendMessageA(listBox, WM_SETREDRAW, FALSE, 0);
        SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
        for (const std::string& title : titles) SendMessageA(listBox, LB_ADDSTRING, 0, LPARAM(title.c_str()));
        SendMessageA(listBox, WM_SETREDRAW, TRUE, 0);
        while (GetMenuItemCount(plainMenu) > 0) DeleteMenu(plainMenu, 0, MF_BYPOSITION);
        UINT id = 1;
        for (const std::string& title : titles) AppendMenuA(plainMenu, MF_STRING, id++, title.c_str());
    });
    DestroyMenu(plainMenu);
    SendMessageA(listBox, LB_RESETCONTENT, 0, 0);

    // Switching the modes on fills both lists in full once.
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    store.Post();  // nothing pending: no refill
    menu.Rebuild(store.WalkHotKeyList());
    dragFill.FillList(store.WalkDragList());
    QueryPerformanceCounter(&end);
    const double firstFill = Milliseconds(start, end);
    const double refill = MedianMs(rounds, [&](int round) {
        store.SetContent("changed " + std::to_string(round));
        store.Post();
    });
    if (menu.Captions().size() != std::size_t(count) || dragFill.ListedTitles().size() != std::size_t(count)) return 1;

    char line[256];
    std::snprintf(line, sizeof line, "%d entries, median of %d rounds", count, rounds);
    Print(line);
    std::snprintf(line, sizeof line, "direct fill of list box and menu  %8.2f ms", direct);
    Print(line);
    std::snprintf(line, sizeof line, "first fill when the modes start   %8.2f ms  (%.2f x direct)", firstFill,
                  firstFill / direct);
    Print(line);
    std::snprintf(line, sizeof line, "refill after one stored change    %8.2f ms  (%.4f x direct; one frame is 16 ms)",
                  refill, refill / direct);
    Print(line);
    return 0;
}
