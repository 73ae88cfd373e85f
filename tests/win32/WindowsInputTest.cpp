// The Win32 face of the windows seam where it does more than forward one call,
// and a Tab fill into a form of the tool's own thread, whose focus only that
// face can move while the fill runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "fill/TextDelivery.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"

namespace pennora {
namespace {

constexpr UINT kPosted = WM_APP + 1;  // as a click or a hot key would arrive
constexpr UINT kSent = WM_APP + 2;    // as another program's SendMessage
constexpr LRESULT kSentAnswer = 42;

int paints = 0;
int postedTaken = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        ++paints;
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case kPosted:
        ++postedTaken;
        return 0;
    case kSent:
        return kSentAnswer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct SendArgs {
    HWND window;
    LRESULT answer = 0;
};

DWORD WINAPI SendFromAnotherThread(void* data) {
    auto* args = static_cast<SendArgs*>(data);
    args->answer = SendMessageA(args->window, kSent, 0, 0);
    return 0;
}

// A fill's wait keeps the tool's windows drawn and answers what other
// threads send them, but takes no input or posted message, which would let
// the user start another action inside the fill.
TEST(WindowsInputTest, WaitDrawingPaintsAndAnswersSentMessagesButTakesNothingPosted) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PennoraWaitDrawingTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    MSG pending;
    while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&pending);
    paints = postedTaken = 0;
    InvalidateRect(window, nullptr, TRUE);
    PostMessageA(window, kPosted, 0, 0);
    SendArgs args{window};
    HANDLE sender = CreateThread(nullptr, 0, SendFromAnotherThread, &args, 0, nullptr);
    ASSERT_NE(sender, nullptr);

    Win32WindowsInput input;
    const ULONGLONG started = GetTickCount64();
    input.WaitDrawing(300);
    const ULONGLONG waited = GetTickCount64() - started;

    EXPECT_EQ(WaitForSingleObject(sender, 2000), WAIT_OBJECT_0);
    CloseHandle(sender);
    EXPECT_EQ(args.answer, kSentAnswer);
    EXPECT_GE(paints, 1);
    EXPECT_EQ(postedTaken, 0);
    EXPECT_GE(waited, 290u);
    EXPECT_TRUE(PeekMessageA(&pending, window, kPosted, kPosted, PM_REMOVE));
    DestroyWindow(window);
}


// What the handlers of the tool's windows ran, in order, and whether a fill
// was running when they did.
struct Ran {
    std::string what;
    bool duringFill;
    bool operator==(const Ran&) const = default;
};
void PrintTo(const Ran& ran, std::ostream* out) { *out << ran.what << (ran.duringFill ? " (during the fill)" : ""); }
std::vector<Ran> ran;

void Note(const char* what) { ran.push_back({what, FillRunning()}); }

constexpr WPARAM kUserKey = VK_F2;  // a key the user pressed before the fill

// The fields run the user's key.
WNDPROC editProc = nullptr;
LRESULT CALLBACK FieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == kUserKey) Note("user key");
    return IsWindowUnicode(window) ? CallWindowProcW(editProc, window, message, wParam, lParam)
                                   : CallWindowProcA(editProc, window, message, wParam, lParam);
}

// Activated, the form gives the focus to its first field, as dialogs do. Its
// OK command (what the dialog manager makes of an Enter in a single-line
// field) stands for a tool-bar button whose handler opens a modal box.
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        SetFocus(GetWindow(window, GW_CHILD));
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        Note("enter");
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Runs the queue as the tool's message loop does: Unicode, the dialog
// manager of the top-level window first.
void RunQueue() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (IsDialogMessageW(root ? root : message.hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The edit boxes of the tool's own windows are Unicode windows; ANSI ones
// stand for other programs' fields built on the ANSI calls.
enum class Fields { Ansi, Unicode };

// A form of this thread: a top-level window with one or two single-line
// fields, the focus on the first, in front.
struct OwnForm {
    explicit OwnForm(int fieldCount = 2, Fields kind = Fields::Ansi) : unicode(kind == Fields::Unicode) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = FormProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PennoraOwnForm";
        RegisterClassA(&windowClass);
        form = CreateWindowExA(WS_EX_CONTROLPARENT, windowClass.lpszClassName, "form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
        constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER;
        for (int i = 0; i < fieldCount; ++i) {
            fields[i] = unicode ? CreateWindowExW(0, L"EDIT", L"", kStyle, 10, 10 + 30 * i, 200, 24, form, nullptr,
                                                  GetModuleHandleW(nullptr), nullptr)
                                : CreateWindowExA(0, "EDIT", "", kStyle, 10, 10 + 30 * i, 200, 24, form, nullptr,
                                                  GetModuleHandleA(nullptr), nullptr);
            const auto subclass = reinterpret_cast<LONG_PTR>(FieldProc);
            editProc = reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(fields[i], GWLP_WNDPROC, subclass)
                                                         : SetWindowLongPtrA(fields[i], GWLP_WNDPROC, subclass));
        }
        SetForegroundWindow(form);
        SetFocus(fields[0]);
        RunQueue();
        ran.clear();
    }
    ~OwnForm() {
        DestroyWindow(form);
    }
    // The field's text in code page 936, read in the field's own form.
    std::string Text(int i) const {
        if (!unicode) {
            char text[256] = {};
            GetWindowTextA(fields[i], text, sizeof text);
            return text;
        }
        wchar_t wide[256] = {};
        GetWindowTextW(fields[i], wide, 256);
        char text[512] = {};
        WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        return text;
    }

    bool unicode;
    HWND form = nullptr;
    HWND fields[2] = {};
};

// A hot-key fill into one of the tool's own fields: the tool's loop, which
// would take a posted Tab, runs only after the fill, behind the text still
// queued for the first field. The fill stops at the Tab and says so: the
// first field gets its part, whole characters in a Unicode field too, the
// focus stays, nothing waits and the cursor is as it was.
TEST(WindowsInputTest, ATabFillIntoAFormOfThisThreadStopsAtTheTabWithoutAWait) {
    for (Fields kind : {Fields::Ansi, Fields::Unicode}) {
        for (int fieldCount : {2, 1}) {
            SCOPED_TRACE(::testing::Message() << (kind == Fields::Unicode ? "Unicode" : "ANSI") << " fields: "
                                              << fieldCount);
            OwnForm own(fieldCount, kind);
            ASSERT_EQ(IsWindowUnicode(own.fields[0]), kind == Fields::Unicode);
            ASSERT_EQ(GetForegroundWindow(), own.form);
            ASSERT_EQ(GetFocus(), own.fields[0]);

            Win32WindowsInput input;
            const ULONGLONG started = GetTickCount64();
            const Delivery typed =
                TypeText(input, FromHwnd(own.fields[0]), "张三\t13800000000", {.tabToNextField = true});
            const ULONGLONG took = GetTickCount64() - started;
            RunQueue();

            EXPECT_EQ(typed, Delivery::OwnWindow);
            EXPECT_LT(took, 1000u) << "no Tab wait";
            EXPECT_EQ(own.Text(0), "张三");
            if (fieldCount == 2) EXPECT_EQ(own.Text(1), "");
            EXPECT_EQ(GetFocus(), own.fields[0]);
            EXPECT_EQ(input.GetAppCursor(), kCrDefault);
        }
    }
}

// An Enter typed before a Tab reaches the form's command handler (which may
// open a modal box) only from the tool's own loop, after the fill: never
// with the fill still running beneath it.
TEST(WindowsInputTest, AnEnterBeforeATabInAFormOfThisThreadRunsOnlyAfterTheFill) {
    OwnForm own;

    Win32WindowsInput input;
    const Delivery typed = TypeText(input, FromHwnd(own.fields[0]), "a\r\nb\tc", {.tabToNextField = true});
    EXPECT_EQ(ran, std::vector<Ran>{});
    RunQueue();

    EXPECT_EQ(typed, Delivery::OwnWindow);
    EXPECT_EQ(ran, (std::vector<Ran>{{"enter", false}}));
    EXPECT_EQ(own.Text(0), "ab");
    EXPECT_EQ(own.Text(1), "");
}

// What the user did before the fill (a message to another window of the
// tool, a key in the form) stays in the queue during the fill and runs after
// it, in the order it came.
TEST(WindowsInputTest, WhatTheUserQueuedBeforeAFillOfThisThreadRunsAfterItInOrder) {
    OwnForm own;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == kPosted) {
            Note("user message");
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PennoraUserWindow";
    RegisterClassA(&windowClass);
    HWND other = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    ASSERT_NE(other, nullptr);
    PostMessageA(other, kPosted, 0, 0);
    PostMessageA(own.fields[0], WM_KEYDOWN, kUserKey, 1);

    Win32WindowsInput input;
    const Delivery typed = TypeText(input, FromHwnd(own.fields[0]), "a\tb", {.tabToNextField = true});
    EXPECT_EQ(ran, std::vector<Ran>{});
    RunQueue();

    EXPECT_EQ(typed, Delivery::OwnWindow);
    EXPECT_EQ(ran, (std::vector<Ran>{{"user message", false}, {"user key", false}}));
    EXPECT_EQ(own.Text(0), "a");
    EXPECT_EQ(own.Text(1), "");
    DestroyWindow(other);
}

}  // namespace
}  // namespace pennora
