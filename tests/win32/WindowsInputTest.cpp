// The Win32 face of the windows seam where it does more than forward one call.
#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace pennora
