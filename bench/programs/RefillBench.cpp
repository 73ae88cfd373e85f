// The fill lists with many entries, on the real controls under Wine: the
// drag-fill window's list box and the hot-key fill menu.
//   - the first fill when both modes start, against the baseline: the same
//     list box and a menu filled straight from a prepared vector of the same
//     titles (what a start did before: one item per title at once);
//   - the rest of the fill menu, grown while the program is idle, and the
//     longest the message loop waits for one turn of it; and what a hot-key
//     press at once after the start waits for, the whole menu;
//   - the refill of both after one stored change (a commit of a changed entry
//     runs the store's after-post handler, which walks both lists);
//   - one keystroke in the drag-fill window's find box: the lines found, the
//     list box updated and painted.
//   RefillBench.exe WORK-FOLDER [ENTRIES] [ROUNDS]
// Prints one line per measure (milliseconds; medians where rounds are run)
// and ratios.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "fill/FillMenu.h"
#include "fill/ListFind.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32WindowsInput.h"
#include "platform/win32/AnsiText.h"
#include "ui/GbkText.h"
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
    const int fullRounds = 3;  // a full fill of the menu takes seconds under Wine

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    // Titles and contents as users keep them: short Chinese titles with a
    // number, contents of a few hundred bytes, Chinese with letters and digits.
    const char* const kTitleWords[] = {"地址", "电话", "邮箱", "公司", "发票抬头", "银行账号", "快递", "Mail"};
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        std::string content = "北京市海淀区中关村大街" + n + "号，邮编 100080，电话 010-6275" + n +
                              "。Dear customer, thank you for your order " + n +
                              "; it ships within two working days. 开户行：中国工商银行北京分行，账号 0200" + n +
                              "，纳税人识别号 91110108MA0" + n + "。";
        entries.push_back({kTitleWords[i % std::size(kTitleWords)] + n, std::move(content), {}, {}});
    }
    Win32FileSystem files;
    if (!files.SaveWholeFile(folder + "Pennora.Dat", EncodeDataFile(entries)).empty()) return 1;
    EntryStore store;
    DataFileKeeper dataFile{store, files, folder + "Pennora.Dat"};
    if (dataFile.Load().status != DataFileKeeper::LoadStatus::Loaded) return 1;

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
    const double directList = MedianMs(fullRounds, [&](int) {
        SendMessageA(listBox, WM_SETREDRAW, FALSE, 0);
        SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
        for (const std::string& title : titles) SendMessageA(listBox, LB_ADDSTRING, 0, LPARAM(title.c_str()));
        SendMessageA(listBox, WM_SETREDRAW, TRUE, 0);
    });
    SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
    const double directMenu = MedianMs(fullRounds, [&](int) {
        HMENU plainMenu = CreatePopupMenu();
        UINT id = 1;
        for (const std::string& title : titles) AppendMenuA(plainMenu, MF_STRING, id++, title.c_str());
        DestroyMenu(plainMenu);
    });
    const double direct = directList + directMenu;

    // Switching the modes on fills both lists once.
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    store.Post();  // nothing pending: no refill
    menu.Rebuild(store.WalkHotKeyList());
    dragFill.FillList(store.WalkDragList());
    QueryPerformanceCounter(&end);
    const double firstFill = Milliseconds(start, end);

    // The rest of the menu while the program is idle: the message loop runs
    // its turns between other messages.
    QueryPerformanceCounter(&start);
    double longestTurn = 0;
    int turns = 0;
    MSG message;
    while (!menu.CaughtUp() && GetMessageA(&message, nullptr, 0, 0) > 0) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DispatchMessageA(&message);
        QueryPerformanceCounter(&after);
        longestTurn = std::max(longestTurn, Milliseconds(before, after));
        ++turns;
    }
    QueryPerformanceCounter(&end);
    const double idleFill = Milliseconds(start, end);

    // A hot-key press at once after the start: the whole menu first.
    double pressAtOnce = 0;
    {
        FillMenu fresh;
        QueryPerformanceCounter(&start);
        fresh.Rebuild(titles);
        fresh.CatchUp();
        QueryPerformanceCounter(&end);
        pressAtOnce = Milliseconds(start, end);
    }

    const double refill = MedianMs(rounds, [&](int round) {
        store.SetContent("changed " + std::to_string(round));
        store.Post();
    });
    if (menu.Captions().size() != std::size_t(count) || GetMenuItemCount(menu.handle()) != count ||
        dragFill.ListedTitles().size() != std::size_t(count))
        return 1;

    // Keystrokes in the find box of the shown window, each with the paint of
    // the window, typed one by one and then taken back by backspaces to the
    // empty box (which brings back every line): Chinese characters and
    // digits, whole pinyin syllables, pinyin initials, and ASCII letters of
    // the contents.
    dragFill.Show();
    HWND findBox = GetDlgItem(dragFill.hwnd(), IDC_DF_EDTFIND);
    QueryPerformanceCounter(&start);
    SetFocus(findBox);  // as the user clicks into it
    QueryPerformanceCounter(&end);
    const double focusFind = Milliseconds(start, end);
    const struct {
        const char* name;
        std::wstring typed;
    } sequences[] = {
        {"two characters and two digits", L"地址12"},
        {"whole syllables (dizhi)", L"dizhi"},
        {"initials and syllables (dzhbj)", L"dzhbj"},
        {"letters of the contents (order)", L"order"},
    };
    std::vector<double> keystrokes;
    std::vector<std::vector<double>> bySequence(std::size(sequences));
    // Each keystroke's two halves: the key handled (the lines found and the
    // list told their number) and the paint; the longest of each.
    std::vector<double> longestHandled(std::size(sequences)), longestPaint(std::size(sequences));
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t s = 0; s < std::size(sequences); ++s) {
            const std::wstring keys = sequences[s].typed + std::wstring(sequences[s].typed.size(), L'\b');
            for (wchar_t key : keys) {
                LARGE_INTEGER handled;
                QueryPerformanceCounter(&start);
                SendMessageW(findBox, WM_CHAR, key, 1);
                QueryPerformanceCounter(&handled);
                RedrawWindow(dragFill.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                QueryPerformanceCounter(&end);
                keystrokes.push_back(Milliseconds(start, end));
                longestHandled[s] = std::max(longestHandled[s], Milliseconds(start, handled));
                longestPaint[s] = std::max(longestPaint[s], Milliseconds(handled, end));
                bySequence[s].push_back(keystrokes.back());
            }
        }
    }
    std::sort(keystrokes.begin(), keystrokes.end());
    // The least any change of a shown list costs: one line added to it and
    // taken away again, each updating its scroll bar, with the paint; half
    // of that for one change.
    const double oneLine = MedianMs(rounds, [&](int) {
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
        RedrawWindow(dragFill.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        SendMessageA(listBox, LB_DELETESTRING, count, 0);
        RedrawWindow(dragFill.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }) / 2;
    if (dragFill.ListedTitles().size() != std::size_t(count)) return 1;

    // The matching alone, on prepared texts made the same way: the longest
    // key of each sequence, typed from the empty box.
    std::vector<std::string> contents;
    for (const Entry& entry : entries) contents.push_back(entry.content.value_or(std::string()));
    const FindIndex index(titles, contents);
    std::vector<double> longestMatch(std::size(sequences));
    for (int round = 0; round < rounds; ++round)
        for (std::size_t s = 0; s < std::size(sequences); ++s) {
            const std::string typed = ToAnsi(sequences[s].typed);
            std::vector<std::size_t> lines;
            bool first = true;
            for (std::size_t size = 1; size <= typed.size(); ++size) {
                if (size < typed.size() && IsGbkLeadByte(static_cast<unsigned char>(typed[size - 1]))) ++size;
                QueryPerformanceCounter(&start);
                lines = index.LinesContaining(typed.substr(0, size), first ? nullptr : &lines);
                first = false;
                QueryPerformanceCounter(&end);
                longestMatch[s] = std::max(longestMatch[s], Milliseconds(start, end));
            }
        }

    char line[256];
    std::snprintf(line, sizeof line, "%d entries; medians of %d rounds, of %d for the direct fills", count, rounds,
                  fullRounds);
    Print(line);
    std::snprintf(line, sizeof line, "direct fill of list box and menu       %8.2f ms  (list box %.2f, menu %.2f)",
                  direct, directList, directMenu);
    Print(line);
    std::snprintf(line, sizeof line, "first fill when the modes start        %8.2f ms  (%.4f x direct)", firstFill,
                  firstFill / direct);
    Print(line);
    std::snprintf(line, sizeof line,
                  "rest of the menu while idle            %8.2f ms  (%.2f x direct; %d turns, the longest %.2f ms)",
                  idleFill, idleFill / direct, turns, longestTurn);
    Print(line);
    std::snprintf(line, sizeof line, "whole menu for a press at once         %8.2f ms  (%.2f x direct)", pressAtOnce,
                  pressAtOnce / direct);
    Print(line);
    std::snprintf(line, sizeof line, "refill after one stored change         %8.2f ms  (%.4f x direct; one frame is 16 ms)",
                  refill, refill / direct);
    Print(line);
    std::snprintf(line, sizeof line, "one line more or less in a shown list  %8.2f ms", oneLine);
    Print(line);
    std::snprintf(line, sizeof line,
                  "one keystroke in the find box          %8.2f ms  (%.2f x one line; median of %zu, the longest %.2f ms)",
                  keystrokes[keystrokes.size() / 2], keystrokes[keystrokes.size() / 2] / oneLine, keystrokes.size(),
                  keystrokes.back());
    Print(line);
    std::snprintf(line, sizeof line, "the find box getting the keyboard      %8.2f ms", focusFind);
    Print(line);
    for (std::size_t s = 0; s < std::size(sequences); ++s) {
        std::vector<double>& times = bySequence[s];
        std::sort(times.begin(), times.end());
        std::snprintf(line, sizeof line, "  %-36s median %6.2f ms (%.2f x one line), the longest %6.2f ms (%.2f x)",
                      sequences[s].name, times[times.size() / 2], times[times.size() / 2] / oneLine, times.back(),
                      times.back() / oneLine);
        Print(line);
        std::snprintf(line, sizeof line, "    the longest: match %.2f ms, key handled (match and list) %.2f ms, paint %.2f ms",
                      longestMatch[s], longestHandled[s], longestPaint[s]);
        Print(line);
    }
    return 0;
}
