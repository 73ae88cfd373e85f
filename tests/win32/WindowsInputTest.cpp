// The Win32 face of the windows seam where it does more than forward one call,
// and a Tab fill into a form of the tool's own thread, which only that face's
// wait can let move on.
#include <windows.h>

#include <gtest/gtest.h>

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

HCURSOR cursorAtFocus = nullptr;
WNDPROC editProc = nullptr;

// The second field notes the cursor of this thread when it gets the focus.
LRESULT CALLBACK NotingFocusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) cursorAtFocus = GetCursor();
    return CallWindowProcA(editProc, window, message, wParam, lParam);
}

// Activated, the form gives the focus to its first field, as dialogs do.
LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        SetFocus(GetWindow(window, GW_CHILD));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A form of this thread: a top-level window with one or two single-line
// fields, the focus on the first, in front.
struct OwnForm {
    explicit OwnForm(int fieldCount = 2) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = FormProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PennoraOwnForm";
        RegisterClassA(&windowClass);
        form = CreateWindowExA(WS_EX_CONTROLPARENT, windowClass.lpszClassName, "form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               0, 0, 300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
        for (int i = 0; i < fieldCount; ++i)
            fields[i] = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 10, 10 + 30 * i,
                                        200, 24, form, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (fields[1])
            editProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(fields[1], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotingFocusProc)));
        SetForegroundWindow(form);
        SetFocus(fields[0]);
        MSG pending;
        while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&pending);
    }
    ~OwnForm() { DestroyWindow(form); }
    std::string Text(int i) const {
        char text[256] = {};
        GetWindowTextA(fields[i], text, sizeof text);
        return text;
    }

    HWND form = nullptr;
    HWND fields[2] = {};
};

// A hot-key fill into one of the tool's own fields: the tool's loop is the
// one that would take the Tab, so the wait takes the form's keys itself. Both
// fields get their parts, and the app-starting cursor shows while the fill
// waits and is gone after.
TEST(WindowsInputTest, ATabFillIntoAFormOfThisThreadMovesOnInsideTheWait) {
    OwnForm own;
    ASSERT_NE(own.fields[1], nullptr);
    ASSERT_EQ(GetForegroundWindow(), own.form);
    ASSERT_EQ(GetFocus(), own.fields[0]);
    cursorAtFocus = nullptr;

    Win32WindowsInput input;
    const Delivery typed = TypeText(input, FromHwnd(own.fields[0]), "张三\t13800000000", {.tabToNextField = true});
    const HCURSOR after = GetCursor();
    MSG pending;
    while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&pending);

    EXPECT_EQ(typed, Delivery::Delivered);
    EXPECT_EQ(own.Text(0), "张三");
    EXPECT_EQ(own.Text(1), "13800000000");
    EXPECT_EQ(cursorAtFocus, LoadCursorA(nullptr, IDC_APPSTARTING));
    EXPECT_NE(after, LoadCursorA(nullptr, IDC_APPSTARTING));
    EXPECT_EQ(input.GetAppCursor(), kCrDefault);
}

// A form of this thread with one field: its dialog manager leaves the focus
// where it was, and the rest is typed nowhere.
TEST(WindowsInputTest, ATabFillIntoAOneFieldFormOfThisThreadStopsThere) {
    OwnForm own(1);
    ASSERT_EQ(GetFocus(), own.fields[0]);

    Win32WindowsInput input;
    const Delivery typed = TypeText(input, FromHwnd(own.fields[0]), "a\tb", {.tabToNextField = true});
    MSG pending;
    while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&pending);

    EXPECT_EQ(typed, Delivery::FocusStayed);
    EXPECT_EQ(own.Text(0), "a");
    EXPECT_EQ(GetFocus(), own.fields[0]);
}

}  // namespace
}  // namespace pennora
