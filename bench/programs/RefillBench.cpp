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
//     list box updated and painted; the median and the longest, each phase
//     of it (the edit box's own handling up to EN_CHANGE, the match, the
//     list's count and selection, the paint) on the wall clock and, typed
//     again, in CPU time of the thread and of the wineserver, which load on
//     the machine does not inflate as it does the wall clock;
//   - the window shown (the whole list again and the prepared texts) and
//     painted, against ShowWindow and the paint alone;
//   - the prepared texts made in full and remade after one stored change.
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

// The CPU time the bench's own thread and the wineserver have run, in
// nanoseconds, read from Linux's schedstat through Wine's Z: drive: the
// machine is shared, and wall time under load says little of the work done.
// GetThreadTimes under Wine counts in 10 ms ticks and QueryThreadCycleTime
// answers nothing useful, so neither can time a keystroke. A file opened
// through Wine is opened by the wineserver, so /proc/self there is the
// wineserver (single-threaded); the bench's main thread is found by its
// command line, and under Wine it is the process's first thread.
class CpuClocks {
public:
    explicit CpuClocks(const std::string& marker) {
        server_ = Open("Z:\\proc\\self\\schedstat");
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            const std::string pid = found.cFileName;
            if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
            std::string commandLine = ReadWhole("Z:\\proc\\" + pid + "\\cmdline");
            std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
            if (commandLine.find("RefillBench") != std::string::npos && commandLine.find(marker) != std::string::npos) {
                thread_ = Open("Z:\\proc\\" + pid + "\\task\\" + pid + "\\schedstat");
                break;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    ~CpuClocks() {
        for (HANDLE file : {thread_, server_})
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    bool Known() const { return thread_ != INVALID_HANDLE_VALUE && server_ != INVALID_HANDLE_VALUE; }
    double ThreadMs() const { return Read(thread_) / 1e6; }
    double ServerMs() const { return Read(server_) / 1e6; }

private:
    static HANDLE Open(const std::string& path) {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }
    static std::string ReadWhole(const std::string& path) {
        HANDLE file = Open(path);
        if (file == INVALID_HANDLE_VALUE) return {};
        char bytes[4096];
        DWORD read = 0;
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
        return std::string(bytes, read);
    }
    // Read again from the start: the kernel makes the text anew.
    static double Read(HANDLE file) {
        if (file == INVALID_HANDLE_VALUE) return 0;
        char bytes[128] = {};
        DWORD read = 0;
        OVERLAPPED from{};
        if (!ReadFile(file, bytes, sizeof bytes - 1, &read, &from)) return 0;
        return double(_strtoui64(bytes, nullptr, 10));
    }
    HANDLE thread_ = INVALID_HANDLE_VALUE;
    HANDLE server_ = INVALID_HANDLE_VALUE;
};

// The moments of one keystroke: sent, EN_CHANGE reaching the window, the
// first message to the list after it (the lines found), EN_CHANGE handled
// (the list told), the key handled, painted.
constexpr int kMarks = 6;
struct Moment {
    double wall = 0, thread = 0, server = 0;
};
struct Keystroke {
    Moment at[kMarks];
    bool changed = false;  // EN_CHANGE came
    bool listTold = false;  // a message reached the list after it
};

// The four phases of a keystroke from its moments.
enum Phase { kKey, kMatch, kList, kPaint, kPhases };
constexpr const char* kPhaseNames[kPhases] = {"key handling (edit box, EN_CHANGE)", "the match",
                                               "list count and selection", "the paint"};
double PhaseOf(const Keystroke& k, Phase phase, double Moment::*clock) {
    const auto span = [&](int from, int to) { return k.at[to].*clock - k.at[from].*clock; };
    switch (phase) {
    case kKey: return span(0, 1) + span(3, 4);
    case kMatch: return span(1, 2);
    case kList: return span(2, 3);
    default: return span(4, 5);
    }
}

// The hooks that mark the moments, put in front of the drag-fill window's
// and the list's procedures.
struct Marks {
    const CpuClocks* clocks = nullptr;
    bool withCpu = false;
    Keystroke* now = nullptr;
    WNDPROC windowProcedure = nullptr, listProcedure = nullptr;
    HWND findBox = nullptr;
    void Mark(int index) const {
        Moment& m = now->at[index];
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        m.wall = double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
        if (withCpu) m.thread = clocks->ThreadMs(), m.server = clocks->ServerMs();
    }
};
Marks marks;

LRESULT CALLBACK MarkedWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool change = marks.now && message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE &&
                        reinterpret_cast<HWND>(lParam) == marks.findBox;
    if (change) marks.Mark(1), marks.now->changed = true;
    const LRESULT result = CallWindowProcA(marks.windowProcedure, window, message, wParam, lParam);
    if (change) {
        marks.Mark(3);
        if (!marks.now->listTold) marks.now->at[2] = marks.now->at[3];
    }
    return result;
}

LRESULT CALLBACK MarkedList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (marks.now && marks.now->changed && !marks.now->listTold) marks.Mark(2), marks.now->listTold = true;
    return CallWindowProcA(marks.listProcedure, list, message, wParam, lParam);
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

    // The window shown as the tray shows it (the whole list again, the
    // prepared texts made) with its first paint, against the same window
    // shown and painted without either (ShowWindow alone).
    const auto pump = [] {
        MSG waiting;
        while (PeekMessageA(&waiting, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&waiting);
    };
    const auto paint = [&] { RedrawWindow(dragFill.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };
    const int showRounds = 7;
    std::vector<double> shows, plainShows;
    for (int round = 0; round < showRounds; ++round) {
        dragFill.Close();
        pump();
        QueryPerformanceCounter(&start);
        dragFill.Show();
        paint();
        QueryPerformanceCounter(&end);
        shows.push_back(Milliseconds(start, end));
        pump();
        ShowWindow(dragFill.hwnd(), SW_HIDE);
        pump();
        QueryPerformanceCounter(&start);
        ShowWindow(dragFill.hwnd(), SW_SHOW);
        paint();
        QueryPerformanceCounter(&end);
        plainShows.push_back(Milliseconds(start, end));
        pump();
    }
    std::sort(shows.begin(), shows.end());
    std::sort(plainShows.begin(), plainShows.end());

    HWND findBox = GetDlgItem(dragFill.hwnd(), IDC_DF_EDTFIND);
    QueryPerformanceCounter(&start);
    SetFocus(findBox);  // as the user clicks into it
    QueryPerformanceCounter(&end);
    const double focusFind = Milliseconds(start, end);
    pump();

    // A stored change while the find box has the keyboard: the refill, and
    // the prepared texts remade (for the changed lines) by the message it
    // posts; and the making alone (the contents looked up and the texts
    // prepared).
    const double refillPrepared = MedianMs(rounds, [&](int round) {
        store.SetContent("changed again " + std::to_string(round));
        store.Post();
        pump();
    });
    const double prepare = MedianMs(rounds, [&](int) { FindIndex made(titles, store.ContentsByTitle(titles)); });
    const double prepareLookUp = MedianMs(rounds, [&](int) { (void)store.ContentsByTitle(titles); });
    // What a stored change remakes: one content in the middle changed, and
    // changed back at the next round.
    std::vector<std::string> contentsNow = store.ContentsByTitle(titles), contentsChanged = contentsNow;
    contentsChanged[titles.size() / 2] += " changed";
    FindIndex kept(titles, contentsNow);
    const double remake = MedianMs(rounds, [&](int round) {
        if (round % 2 == 0)
            kept.Remake(titles, contentsNow, titles, contentsChanged);
        else
            kept.Remake(titles, contentsChanged, titles, contentsNow);
    });

    // Keystrokes in the find box of the shown window, each with the paint of
    // the window, typed one by one and then taken back by backspaces to the
    // empty box (which brings back every line): Chinese characters and
    // digits, whole pinyin syllables, pinyin initials, and ASCII letters of
    // the contents. Typed twice: once with the wall clock alone, once with
    // the CPU clocks read at every moment too (reading them costs time).
    const struct {
        const char* name;
        std::wstring typed;
    } sequences[] = {
        {"two characters and two digits", L"地址12"},
        {"whole syllables (dizhi)", L"dizhi"},
        {"initials and syllables (dzhbj)", L"dzhbj"},
        {"letters of the contents (order)", L"order"},
    };
    const CpuClocks clocks(folder.substr(0, folder.size() - 1));
    marks.clocks = &clocks;
    marks.findBox = findBox;
    marks.windowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dragFill.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MarkedWindow)));
    marks.listProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MarkedList)));
    struct Typed {
        std::size_t sequence;
        Keystroke keystroke;
        wchar_t key = 0;
        int lines = 0;  // shown after it
    };
    const auto type = [&](bool withCpu) {
        marks.withCpu = withCpu;
        std::vector<Typed> typed;
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t s = 0; s < std::size(sequences); ++s) {
                const std::wstring keys = sequences[s].typed + std::wstring(sequences[s].typed.size(), L'\b');
                for (wchar_t key : keys) {
                    Typed one{s, {}};
                    Keystroke& k = one.keystroke;
                    marks.now = &k;
                    marks.Mark(0);
                    SendMessageW(findBox, WM_CHAR, key, 1);
                    marks.Mark(4);
                    paint();
                    marks.Mark(5);
                    marks.now = nullptr;
                    if (!k.changed) k.at[1] = k.at[2] = k.at[3] = k.at[4];
                    one.key = key;
                    one.lines = int(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
                    typed.push_back(one);
                }
            }
        }
        return typed;
    };
    const std::vector<Typed> timed = type(false);
    const std::vector<Typed> clocked = clocks.Known() ? type(true) : std::vector<Typed>();
    SetWindowLongPtrA(listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(marks.listProcedure));
    SetWindowLongPtrA(dragFill.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(marks.windowProcedure));
    const auto total = [](const Keystroke& k, double Moment::*clock) { return k.at[5].*clock - k.at[0].*clock; };
    const auto cpu = [&](const Keystroke& k) { return total(k, &Moment::thread) + total(k, &Moment::server); };
    // What reading the two CPU clocks once costs, on the wall clock and in the thread's CPU.
    double clockRead = 0, clockReadCpu = 0;
    if (clocks.Known()) {
        const int reads = 200;
        const double cpuBefore = clocks.ThreadMs();
        clockRead = MedianMs(reads, [&](int) { (void)clocks.ThreadMs(), (void)clocks.ServerMs(); });
        clockReadCpu = (clocks.ThreadMs() - cpuBefore) / (reads + 1);
    }

    std::vector<double> keystrokes;
    std::vector<std::vector<double>> bySequence(std::size(sequences));
    const Typed* longest = &timed.front();
    int overFrame = 0;
    for (const Typed& one : timed) {
        const double ms = total(one.keystroke, &Moment::wall);
        keystrokes.push_back(ms);
        bySequence[one.sequence].push_back(ms);
        if (ms > total(longest->keystroke, &Moment::wall)) longest = &one;
        if (ms > 16) ++overFrame;
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
                  "one keystroke in the find box          %8.2f ms  (%.2f x one line; median of %zu, the longest %.2f ms "
                  "= %.2f x one line; %d over a frame of 16 ms)",
                  keystrokes[keystrokes.size() / 2], keystrokes[keystrokes.size() / 2] / oneLine, keystrokes.size(),
                  keystrokes.back(), keystrokes.back() / oneLine, overFrame);
    Print(line);
    std::snprintf(line, sizeof line, "  the longest (%s) by phase:", sequences[longest->sequence].name);
    Print(line);
    for (int p = 0; p < kPhases; ++p) {
        std::snprintf(line, sizeof line, "    %-36s %8.2f ms", kPhaseNames[p],
                      PhaseOf(longest->keystroke, Phase(p), &Moment::wall));
        Print(line);
    }
    Print("  each phase over all keystrokes, wall clock: median, the longest");
    for (int p = 0; p < kPhases; ++p) {
        std::vector<double> times;
        for (const Typed& one : timed) times.push_back(PhaseOf(one.keystroke, Phase(p), &Moment::wall));
        std::sort(times.begin(), times.end());
        std::snprintf(line, sizeof line, "    %-36s %8.2f ms %8.2f ms", kPhaseNames[p], times[times.size() / 2],
                      times.back());
        Print(line);
    }
    if (clocked.empty()) {
        Print("  (no CPU clocks: /proc could not be read through Z:)");
    } else {
        std::vector<double> cpus, walls;
        const Typed* busiest = &clocked.front();
        for (const Typed& one : clocked) {
            cpus.push_back(cpu(one.keystroke));
            walls.push_back(total(one.keystroke, &Moment::wall));
            if (cpu(one.keystroke) > cpu(busiest->keystroke)) busiest = &one;
        }
        std::sort(cpus.begin(), cpus.end());
        std::sort(walls.begin(), walls.end());
        std::snprintf(line, sizeof line,
                      "  typed again with CPU clocks (reading both costs %.3f ms, %.3f ms of the thread's CPU, at each "
                      "of 6 moments):",
                      clockRead, clockReadCpu);
        Print(line);
        std::snprintf(line, sizeof line,
                      "    CPU of a keystroke (thread + wineserver): median %.2f ms, the most %.2f ms; wall median %.2f "
                      "ms, the longest %.2f ms",
                      cpus[cpus.size() / 2], cpus.back(), walls[walls.size() / 2], walls.back());
        Print(line);
        Print("    each phase, CPU of the thread | of the wineserver: median, the most");
        for (int p = 0; p < kPhases; ++p) {
            std::vector<double> thread, server;
            for (const Typed& one : clocked) {
                thread.push_back(PhaseOf(one.keystroke, Phase(p), &Moment::thread));
                server.push_back(PhaseOf(one.keystroke, Phase(p), &Moment::server));
            }
            std::sort(thread.begin(), thread.end());
            std::sort(server.begin(), server.end());
            std::snprintf(line, sizeof line, "      %-36s %6.2f %6.2f ms | %6.2f %6.2f ms", kPhaseNames[p],
                          thread[thread.size() / 2], thread.back(), server[server.size() / 2], server.back());
            Print(line);
        }
        std::vector<const Typed*> byCpu;
        for (const Typed& one : clocked) byCpu.push_back(&one);
        std::sort(byCpu.begin(), byCpu.end(),
                  [&](const Typed* a, const Typed* b) { return cpu(a->keystroke) > cpu(b->keystroke); });
        Print("    the five keystrokes of the most CPU: key, lines after, thread+server CPU per phase (key, match, list, paint), wall");
        for (std::size_t n = 0; n < std::min<std::size_t>(5, byCpu.size()); ++n) {
            const Typed& one = *byCpu[n];
            const auto both = [&](Phase p) {
                return PhaseOf(one.keystroke, p, &Moment::thread) + PhaseOf(one.keystroke, p, &Moment::server);
            };
            char key[16];
            if (one.key == L'\b')
                std::snprintf(key, sizeof key, "BS");
            else if (one.key < 0x80)
                std::snprintf(key, sizeof key, "%c", char(one.key));
            else
                std::snprintf(key, sizeof key, "U+%04X", unsigned(one.key));
            std::snprintf(line, sizeof line, "      %-6s %5d lines  %6.2f %6.2f %6.2f %6.2f ms  wall %6.2f ms", key,
                          one.lines, both(kKey),
                          both(kMatch), both(kList), both(kPaint), total(one.keystroke, &Moment::wall));
            Print(line);
        }
        std::snprintf(line, sizeof line, "    the keystroke of the most CPU (%s), by phase: thread | wineserver | wall",
                      sequences[busiest->sequence].name);
        Print(line);
        for (int p = 0; p < kPhases; ++p) {
            std::snprintf(line, sizeof line, "      %-36s %6.2f | %6.2f | %6.2f ms", kPhaseNames[p],
                          PhaseOf(busiest->keystroke, Phase(p), &Moment::thread),
                          PhaseOf(busiest->keystroke, Phase(p), &Moment::server),
                          PhaseOf(busiest->keystroke, Phase(p), &Moment::wall));
            Print(line);
        }
    }
    for (std::size_t s = 0; s < std::size(sequences); ++s) {
        std::vector<double>& times = bySequence[s];
        std::sort(times.begin(), times.end());
        std::snprintf(line, sizeof line, "  %-36s median %6.2f ms (%.2f x one line), the longest %6.2f ms (%.2f x)",
                      sequences[s].name, times[times.size() / 2], times[times.size() / 2] / oneLine, times.back(),
                      times.back() / oneLine);
        Print(line);
        std::snprintf(line, sizeof line, "    the longest match alone (native code, no window) %.2f ms", longestMatch[s]);
        Print(line);
    }
    std::snprintf(line, sizeof line, "the find box getting the keyboard      %8.2f ms", focusFind);
    Print(line);
    std::snprintf(line, sizeof line,
                  "the window shown and painted           %8.2f ms  (%.2f x ShowWindow and paint alone, %.2f ms; "
                  "median of %d, the longest %.2f ms)",
                  shows[shows.size() / 2], shows[shows.size() / 2] / plainShows[plainShows.size() / 2],
                  plainShows[plainShows.size() / 2], showRounds, shows.back());
    Print(line);
    std::snprintf(line, sizeof line,
                  "refill while the find box has the keyboard, prepared again %8.2f ms  (%.2f x one line)",
                  refillPrepared, refillPrepared / oneLine);
    Print(line);
    std::snprintf(line, sizeof line,
                  "the prepared texts made in full        %8.2f ms  (%.2f x one line; the contents looked up %.2f ms)",
                  prepare, prepare / oneLine, prepareLookUp);
    Print(line);
    std::snprintf(line, sizeof line,
                  "the prepared texts remade for one changed content %8.2f ms  (%.4f x made in full; the look-up of the "
                  "contents comes on top)",
                  remake, remake / prepare);
    Print(line);
    return 0;
}
