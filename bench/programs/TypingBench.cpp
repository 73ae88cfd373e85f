// How long a fill takes to be handed to the target: the posting alone, not
// the target's drawing. A text of 1,000 bytes with 20 CR LF line breaks is
// typed into a window of another thread (a hidden edit's parent, draining
// its queue as a target does) through the product's typing (line breaks as
// the Enter key), against the baseline: one WM_CHAR per byte, LF left out,
// as a fill posted before line breaks went as key presses.
//   TypingBench.exe [ROUNDS]
// Prints the medians in milliseconds and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fill/TextDelivery.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"

namespace {

constexpr UINT kDrained = WM_APP + 1;
HWND receiver = nullptr;
HANDLE ready = nullptr;
HANDLE drained = nullptr;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDrained) {
        SetEvent(drained);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI ReceiverThread(void*) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PennoraTypingBenchTarget";
    RegisterClassA(&windowClass);
    receiver = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    SetEvent(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Waits until the receiver has taken everything posted before.
void WaitDrained() {
    PostMessageA(receiver, kDrained, 0, 0);
    WaitForSingleObject(drained, INFINITE);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Times one fill, after the receiver has taken everything posted before.
template <typename Fill>
double Time(Fill fill) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    WaitDrained();
    QueryPerformanceCounter(&start);
    fill();
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end, frequency);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    drained = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CreateThread(nullptr, 0, ReceiverThread, nullptr, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
    if (!receiver) return 1;

    // 20 lines of 48 bytes (Chinese and ASCII), each ended by CR LF: 1,000 bytes.
    std::string text;
    const std::string line = "\xB1\xB1\xBE\xA9\xCA\xD0\xBA\xA3\xB5\xED\xC7\xF8 Zhongguancun Street 27, 100080 Tel";
    for (int i = 0; i < 20; ++i) text += (line + std::string(48, '.')).substr(0, 48) + "\r\n";

    const pennora::Hwnd target = pennora::FromHwnd(receiver);
    pennora::Win32WindowsInput input;
    // The two alternate round by round, so neither pays alone for a warming
    // or a busier stretch of the machine.
    std::vector<double> baseline, typed;
    for (int i = 0; i < rounds; ++i) {
        baseline.push_back(Time([&] {
            for (const unsigned char byte : text)
                if (byte != 0x0A) input.PostMessageA(target, pennora::kWmChar, byte, 1);
        }));
        typed.push_back(Time([&] { pennora::TypeText(input, target, text, {}); }));
    }
    const double before = Median(baseline);
    const double after = Median(typed);
    WaitDrained();
    std::printf("typing: %zu bytes with 20 line breaks posted: baseline (a WM_CHAR per byte) %.3f ms, "
                "line breaks as Enter %.3f ms, ratio %.2f\n",
                text.size(), before, after, before > 0 ? after / before : 0.0);
    return 0;
}
