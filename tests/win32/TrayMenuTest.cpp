// The tray under Wine with the whole program: a minimise from outside still
// goes to the tray and the icon's click brings the window back, the icons
// come at the small size, and the tray menu's items switch the modes they
// name.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/TrayIcon.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/ModeFlags.h"
#include "ui/resource.h"
#include "win32/IconSize.h"
#include "win32/RunningProgram.h"

namespace pennora {
namespace {

using testing::DispatchPending;
using testing::kIniName;
using testing::MessageBoxAnswerer;

class TrayMenuTest : public testing::RunningProgram {};

// Minimised another way than by its own glyph: the tray icon still comes, and
// the icon's click brings the window back.
TEST_F(TrayMenuTest, AMinimiseFromOutsideGoesToTheTrayAndTheTrayBringsTheWindowBack) {
    for (bool applicationWindow : {false, true}) {
        SCOPED_TRACE(applicationWindow ? "the application window" : "the main window");
        Start();
        ShowWindow(applicationWindow ? app_->hwnd() : program_->window().hwnd(), SW_MINIMIZE);  // as another program would
        DispatchPending();
        EXPECT_TRUE(program_->tray().icon().IsShown());
        EXPECT_FALSE(IsWindowVisible(program_->window().hwnd()));

        SendMessageA(program_->window().hwnd(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
        DispatchPending();
        EXPECT_TRUE(IsWindowVisible(program_->window().hwnd()));
        EXPECT_FALSE(IsIconic(program_->window().hwnd()));
        program_.reset();
        app_.reset();
    }
}

struct TrayClick {
    HWND window;
};

DWORD WINAPI ClickTheTrayIconSoon(void* data) {
    Sleep(300);
    // As the shell tells the icon's click: sent, without waiting.
    SendNotifyMessageA(static_cast<TrayClick*>(data)->window, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN);
    return 0;
}

// A top-level edit box in front, made by a thread of its own that runs a
// message loop until the object ends.
class FieldThread {
public:
    FieldThread() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
        if (thread_) WaitForSingleObject(ready_, 5000);
    }
    ~FieldThread() {
        if (thread_) {
            PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
            WaitForSingleObject(thread_, 5000);
            CloseHandle(thread_);
        }
        CloseHandle(ready_);
    }
    FieldThread(const FieldThread&) = delete;
    FieldThread& operator=(const FieldThread&) = delete;

    HWND field = nullptr;

private:
    static DWORD WINAPI Run(void* data) {
        auto* self = static_cast<FieldThread*>(data);
        HWND field = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_TABSTOP, 0, 0, 200, 100,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(field);
        SetFocus(field);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        self->field = field;
        SetEvent(self->ready_);
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DestroyWindow(field);
        return 0;
    }

    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

// A click on the tray icon while a fill waits for its target to take a Tab
// runs nothing inside the wait; it is handled once the fill is over.
TEST_F(TrayMenuTest, ATrayClickDuringAFillWaitsUntilTheFillIsOver) {
    Start();
    app_->Minimize();
    DispatchPending();
    ASSERT_FALSE(IsWindowVisible(program_->window().hwnd()));
    // A field of another thread (as of another program) that is a top-level
    // window of its own: the Tab leaves the focus on it (no other window of
    // its form can take it, even when the window manager activates the form
    // again), so the fill waits out a Tab's limit.
    FieldThread target;
    ASSERT_NE(target.field, nullptr);
    TrayClick click{program_->window().hwnd()};
    HANDLE clicker = CreateThread(nullptr, 0, ClickTheTrayIconSoon, &click, 0, nullptr);
    ASSERT_NE(clicker, nullptr);

    Win32WindowsInput input;
    const Delivery typed = TypeText(input, FromHwnd(target.field), "a\tb", {.tabToNextField = true});

    EXPECT_EQ(WaitForSingleObject(clicker, 2000), WAIT_OBJECT_0);
    CloseHandle(clicker);
    EXPECT_EQ(typed, Delivery::FocusStayed);  // after the Tab's whole wait, the click inside it
    EXPECT_FALSE(IsWindowVisible(program_->window().hwnd()));
    DispatchPending();
    EXPECT_TRUE(IsWindowVisible(program_->window().hwnd()));
}

// A refused fill's notice without a tray icon leaves the target the fill
// went to in front (no box or window of the tool comes up over it).
TEST_F(TrayMenuTest, ARefusedFillNoticeWithoutATrayIconLeavesTheTargetInFront) {
    Start();
    ASSERT_FALSE(program_->tray().icon().IsShown());
    HWND target = CreateWindowExA(0, "STATIC", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(target);
    DispatchPending();
    const HWND front = GetForegroundWindow();

    program_->window().onDeliveryProblem("notice text");  // as a matrix icon drop reports it
    DispatchPending();

    EXPECT_EQ(GetForegroundWindow(), front);
    DestroyWindow(target);
}

// Passes every call of the windows seam on to Win32 and records the windows
// it flashes.
class FlashRecorder final : public Win32WindowsInput {
public:
    bool FlashWindowEx(Hwnd window, unsigned flags, unsigned count, unsigned timeoutMs) override {
        flashed.push_back(window);
        return Win32WindowsInput::FlashWindowEx(window, flags, count, timeoutMs);
    }
    std::vector<Hwnd> flashed;
};

class RefusedNoticeTest : public testing::RunningProgram {
protected:
    FlashRecorder flashes_;
};

// A notice that lands on the status line of a main window behind the target
// flashes the main window's taskbar button; one the user already sees, in
// the main window in front, does not.
TEST_F(RefusedNoticeTest, TheMainWindowFlashesOnlyWhenTheNoticeLandsBehindAnotherWindow) {
    Start(&flashes_);
    ASSERT_FALSE(program_->tray().icon().IsShown());
    const HWND main = program_->window().hwnd();
    SetForegroundWindow(main);
    DispatchPending();
    ASSERT_EQ(GetForegroundWindow(), main);

    program_->window().onDeliveryProblem("notice in front");
    DispatchPending();
    EXPECT_TRUE(flashes_.flashed.empty());

    HWND target = CreateWindowExA(0, "STATIC", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(target);
    DispatchPending();
    ASSERT_EQ(GetForegroundWindow(), target);

    program_->window().onDeliveryProblem("notice behind");
    DispatchPending();
    EXPECT_EQ(flashes_.flashed, std::vector<Hwnd>{FromHwnd(main)});
    EXPECT_EQ(GetForegroundWindow(), target);
    DestroyWindow(target);
}

// The tray shows icons at the small size; a 32 x 32 picture shrunk there by
// the shell is blurred.
TEST_F(TrayMenuTest, TrayIconsAreOfTheSmallIconSize) {
    Start();
    MessageBoxAnswerer answerer;  // the hot key's notice
    app_->Minimize();
    DispatchPending();
    EXPECT_EQ(testing::IconWidth(program_->tray().icon().record().hIcon), GetSystemMetrics(SM_CXSMICON));
    program_->fillModes().hotKeyFill().ToolButtonHotKeyClick();
    DispatchPending();
    ASSERT_TRUE(program_->flags().hotKeyOn);
    EXPECT_EQ(testing::IconWidth(program_->tray().icon().record().hIcon), GetSystemMetrics(SM_CXSMICON));
    program_->fillModes().hotKeyFill().ToolButtonHotKeyClick();
}

// The tray menu's mode items, each chosen twice: the mode goes on and off,
// and its check mark and the fill page's button follow it.
TEST_F(TrayMenuTest, TheModeItemsSwitchTheirModesAndTheCheckMarksAndButtonsFollow) {
    struct ItemCase {
        int item;
        bool ModeFlags::*mode;
        int button;
    };
    WriteFileBytes(kIniName, "[Options]\r\nMinimizeWhenDrag=0\r\n");
    Start();
    MessageBoxAnswerer answerer;  // the hot key's notices
    const HWND window = program_->window().hwnd();
    for (const ItemCase& c : {ItemCase{IDM_MNUDRAGFILLING, &ModeFlags::dragFillOn, IDC_TOOLBUTTONDRAGFILL},
                              ItemCase{IDM_MNUHOTKEYFILLING, &ModeFlags::hotKeyOn, IDC_TOOLBUTTONHOTKEY}}) {
        for (bool on : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "item " << c.item << (on ? " on" : " off"));
            SendMessageA(window, WM_COMMAND, c.item, 0);
            DispatchPending();
            EXPECT_EQ(program_->flags().*c.mode, on);
            EXPECT_EQ(program_->tray().IsChecked(c.item), on);
            EXPECT_EQ(program_->window().fillPage().IsPressed(c.button), on);
        }
    }
}

}  // namespace
}  // namespace pennora
