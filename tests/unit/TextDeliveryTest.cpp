#include "fill/TextDelivery.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeWindowsInput.h"

namespace pennora {
namespace {

using fakes::CallLog;
using fakes::FakeWindowsInput;

constexpr Hwnd kCaptureWindow = 0x30;
constexpr Hwnd kList = 0x31;  // the excluded window
constexpr Hwnd kTarget = 0x40;
constexpr Hwnd kOwnFindBox = 0x50;  // another window of this process
constexpr int kHandCursor = -21;  // the cursor in force before a drag
constexpr Point kCursor{500, 300};
constexpr int kReleaseX = -120;  // release position in the capture window's client coordinates
constexpr int kReleaseY = 45;

CallLog Chars(Hwnd target, std::initializer_list<unsigned> bytes) {
    CallLog calls;
    for (unsigned byte : bytes) {
        calls.push_back("PostMessageA(" + fakes::Hex(target) + ", 0x102, " + fakes::Hex(byte) + ", 1)");
    }
    return calls;
}

// One press of a key: down (repeat count 1, the scan code, and the up-flag
// that keeps the target's TranslateMessage from typing a second character),
// the character it types (if any), up (previous-state and transition bits).
CallLog Key(Hwnd target, unsigned key, unsigned scan, bool character) {
    const std::string window = fakes::Hex(target);
    const std::intptr_t press = 1 | std::intptr_t(scan) << 16;
    const std::intptr_t down = press | std::intptr_t(1) << 31;
    const std::intptr_t up = press | std::intptr_t(1) << 30 | std::intptr_t(1) << 31;
    CallLog calls{"PostMessageA(" + window + ", 0x100, " + fakes::Hex(key) + ", " + std::to_string(down) + ")"};
    if (character)
        calls.push_back("PostMessageA(" + window + ", 0x102, " + fakes::Hex(key) + ", " + std::to_string(press) + ")");
    calls.push_back("PostMessageA(" + window + ", 0x101, " + fakes::Hex(key) + ", " + std::to_string(up) + ")");
    return calls;
}
CallLog Enter(Hwnd target) { return Key(target, 0x0D, 0x1C, true); }
CallLog Tab(Hwnd target) { return Key(target, 0x09, 0x0F, false); }

CallLog Join(std::initializer_list<CallLog> parts) {
    CallLog all;
    for (const CallLog& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// ArmDrag(kCaptureWindow).
const CallLog kArm = {"SetAppCursor(-12)", "SetCapture(0x30)"};

// The opening of every drop that passes the button test.
const CallLog kFindTarget = {"GetCursorPos()", "WindowFromPoint(500, 300)"};

// ClickAtCursor at the release position, unswapped and swapped buttons.
const CallLog kLeftClick = {"mouse_event(0x8002, -120, 45, 0, 0)", "mouse_event(0x8004, -120, 45, 0, 0)"};
const CallLog kRightClick = {"mouse_event(0x8008, -120, 45, 0, 0)", "mouse_event(0x8010, -120, 45, 0, 0)"};

// The text source is asked after the click, then the pause.
const CallLog kFetchAndPause = {"TextSource()", "Sleep(800)"};

// The close of a completed drop: the capture and the saved cursor.
const CallLog kFinish = {"ReleaseCapture()", "SetAppCursor(-21)"};

// An aborted drop: only the saved cursor comes back.
const CallLog kAbort = Join({kFindTarget, {"SetAppCursor(-21)"}});

// "ab" CR LF "cd" dropped: the line break is one press of Enter.
const CallLog kDropAbCrLfCd = Join(
    {kFindTarget, kLeftClick, kFetchAndPause, Chars(kTarget, {0x61, 0x62}), Enter(kTarget), Chars(kTarget, {0x63, 0x64}), kFinish});

// An empty text dropped: the click and the pause still happen.
const CallLog kDropEmpty = Join({kFindTarget, kLeftClick, kFetchAndPause, kFinish});

class TextDeliveryTest : public ::testing::Test {
protected:
    TextDeliveryTest() {
        input.appCursor = kHandCursor;
        input.cursor = kCursor;
        input.windowUnderCursor = kTarget;
    }

    void Arm() {
        delivery.ArmDrag(kCaptureWindow);
        input.calls.clear();
    }

    void Drop(const std::string& text, OnRefusedRelease onRefused = OnRefusedRelease::RestoreCursor,
              MouseButton button = MouseButton::Left) {
        delivery.DropText(button, kReleaseX, kReleaseY, {kList}, [&] {
            input.calls.push_back("TextSource()");
            return text;
        }, onRefused);
    }

    FakeWindowsInput input;
    TextDelivery delivery{input};
};

TEST_F(TextDeliveryTest, ArmDragSavesTheCursorShowsTheDragCursorAndCaptures) {
    delivery.ArmDrag(kCaptureWindow);

    EXPECT_EQ(input.calls, kArm);
    EXPECT_TRUE(delivery.DragActive());
    EXPECT_EQ(delivery.SavedCursor(), kHandCursor);
}

TEST_F(TextDeliveryTest, DropClicksPausesPostsWithoutLineFeedsAndEndsTheDrag) {
    Arm();
    Drop("ab\r\ncd");

    EXPECT_EQ(input.calls, kDropAbCrLfCd);
    EXPECT_FALSE(delivery.DragActive());
}

TEST_F(TextDeliveryTest, DropOfChineseTextPostsTheGbkBytesLeadByteFirst) {
    Arm();
    Drop("灌水");

    EXPECT_EQ(input.calls,
              Join({kFindTarget, kLeftClick, kFetchAndPause, Chars(kTarget, {0xB9, 0xE0, 0xCB, 0xAE}), kFinish}));
}

TEST_F(TextDeliveryTest, DropWithSwappedButtonsClicksWithTheRightButtonOnly) {
    input.swapButtons = 1;
    Arm();
    Drop("a");

    EXPECT_EQ(input.calls, Join({kFindTarget, kRightClick, kFetchAndPause, Chars(kTarget, {0x61}), kFinish}));
}

TEST_F(TextDeliveryTest, DropOfEmptyTextStillClicksAndPauses) {
    Arm();
    Drop("");

    EXPECT_EQ(input.calls, kDropEmpty);
    EXPECT_FALSE(delivery.DragActive());
}

TEST_F(TextDeliveryTest, ATextSourceThatThrowsAfterTheClickStillEndsTheDrag) {
    Arm();
    EXPECT_THROW(delivery.DropText(MouseButton::Left, kReleaseX, kReleaseY, {kList},
                                   [&]() -> std::string {
                                       input.calls.push_back("TextSource()");
                                       throw std::runtime_error("lookup failed");
                                   },
                                   OnRefusedRelease::RestoreCursor),
                 std::runtime_error);

    EXPECT_EQ(input.calls, Join({kFindTarget, kLeftClick, {"TextSource()"}, kFinish}));
    EXPECT_FALSE(delivery.DragActive());
}

TEST_F(TextDeliveryTest, DropOverNothingTheExcludedWindowOrAnyOwnWindowOnlyRestoresTheCursorAndStaysArmed) {
    // The tool's own windows (the drag-fill window's find box, the main
    // window and its pages) take no drop, listed as excluded or not.
    input.windowProcessIds[kOwnFindBox] = input.ownProcessId;
    input.windowProcessIds[kList] = input.ownProcessId;
    for (Hwnd underCursor : {Hwnd{0}, kList, kOwnFindBox}) {
        SCOPED_TRACE(fakes::Hex(underCursor));
        input.windowUnderCursor = underCursor;
        Arm();
        Drop("ab");

        EXPECT_EQ(input.calls, kAbort);
        EXPECT_TRUE(delivery.DragActive());
    }
}

TEST_F(TextDeliveryTest, LaterReleaseAfterAnAbortedDropDeliversAtThatPoint) {
    input.windowUnderCursor = kList;
    Arm();
    Drop("ab\r\ncd");
    input.windowUnderCursor = kTarget;
    input.calls.clear();

    Drop("ab\r\ncd");

    EXPECT_EQ(input.calls, kDropAbCrLfCd);
    EXPECT_FALSE(delivery.DragActive());
}

TEST_F(TextDeliveryTest, RefusedReleaseRestoresTheCursorOnlyForTheListVariant) {
    struct Case {
        const char* name;
        bool armed;
        MouseButton button;
        OnRefusedRelease onRefused;
        CallLog expected;
    };
    const Case cases[] = {
        {"armed, right button, list", true, MouseButton::Right, OnRefusedRelease::RestoreCursor,
         {"SetAppCursor(-21)"}},
        {"armed, middle button, icon", true, MouseButton::Middle, OnRefusedRelease::Ignore, {}},
        // Never armed, so the saved cursor is still the default one.
        {"not armed, left button, list", false, MouseButton::Left, OnRefusedRelease::RestoreCursor,
         {"SetAppCursor(0)"}},
        {"not armed, left button, icon", false, MouseButton::Left, OnRefusedRelease::Ignore, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextDelivery fresh{input};
        input.appCursor = kHandCursor;
        if (c.armed) fresh.ArmDrag(kCaptureWindow);
        input.calls.clear();

        fresh.DropText(c.button, kReleaseX, kReleaseY, {kList}, [&] {
            input.calls.push_back("TextSource()");
            return std::string("ab");
        }, c.onRefused);

        EXPECT_EQ(input.calls, c.expected);
        EXPECT_EQ(fresh.DragActive(), c.armed);
    }
}

TEST_F(TextDeliveryTest, DropIntoATargetThatRefusesPostsSaysSoAndStillEndsTheDrag) {
    input.postMessageResult = false;
    Arm();
    DropResult result = delivery.DropText(MouseButton::Left, kReleaseX, kReleaseY, {kList},
                                          [] { return std::string("ab\r\ncd"); }, OnRefusedRelease::RestoreCursor);

    EXPECT_EQ(result, DropResult::Refused);
    EXPECT_FALSE(delivery.DragActive());
    EXPECT_EQ(CallLog(input.calls.end() - 2, input.calls.end()), kFinish);
}

TEST_F(TextDeliveryTest, CancelledDragClicksNothingAndPutsCaptureAndCursorBack) {
    Arm();
    delivery.CancelDrag();

    EXPECT_EQ(input.calls, kFinish);
    EXPECT_FALSE(delivery.DragActive());
}

TEST_F(TextDeliveryTest, DisarmedDragIgnoresTheNextLeftRelease) {
    Arm();
    delivery.Disarm();
    Drop("ab", OnRefusedRelease::Ignore);

    EXPECT_EQ(input.calls, CallLog{});
}

TEST(TypeTextTest, TypesEachByteAndEveryLineBreakAsOneEnter) {
    struct Case {
        const char* text;
        CallLog expected;
    };
    const Case cases[] = {
        {"ab\r\ncd", Join({Chars(kTarget, {0x61, 0x62}), Enter(kTarget), Chars(kTarget, {0x63, 0x64})})},
        {"灌水", Chars(kTarget, {0xB9, 0xE0, 0xCB, 0xAE})},
        // A lone CR or LF (text from other tools) is a line break too; CR CR
        // LF is two.
        {"\xFF\n\n\x80", Join({Chars(kTarget, {0xFF}), Enter(kTarget), Enter(kTarget), Chars(kTarget, {0x80})})},
        {"a\r\r\nb", Join({Chars(kTarget, {0x61}), Enter(kTarget), Enter(kTarget), Chars(kTarget, {0x62})})},
        {"\r\n", Enter(kTarget)},
        // With the option off a Tab is a character.
        {"a\tb", Chars(kTarget, {0x61, 0x09, 0x62})},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fakes::Quoted(c.text));
        FakeWindowsInput input;
        EXPECT_EQ(TypeText(input, kTarget, c.text, {}), Delivery::Delivered);
        EXPECT_EQ(input.calls, c.expected);
    }
}

TEST(TypeTextTest, RefusedPostsDoNotStopTheTypingAndAreReported) {
    FakeWindowsInput input;
    input.postMessageResult = false;
    input.lastError = 1816;  // not enough quota: the target's queue is full

    EXPECT_EQ(TypeText(input, kTarget, "ab\r\ncd", {}), Delivery::Refused);

    EXPECT_EQ(input.calls, Join({Chars(kTarget, {0x61, 0x62}), Enter(kTarget), Chars(kTarget, {0x63, 0x64})}));
    EXPECT_NE(DeliveryProblemText(Delivery::Refused), nullptr);
}

TEST(TypeTextTest, ATargetThatClosesDuringTheTypingStopsItAndReadsAsClosed) {
    struct Case {
        const char* what;
        unsigned error;     // GetLastError after the refused post
        bool windowExists;  // IsWindow after it
    };
    const Case cases[] = {
        {"invalid window handle", 1400, false},
        {"another error, but the window is gone", 1816, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWindowsInput input;
        int posts = 0;
        input.afterPost = [&](unsigned, std::uintptr_t) {
            if (++posts < 2) return;  // the target closes after the first character
            input.postMessageResult = false;
            input.lastError = c.error;
            if (!c.windowExists) input.goneWindows.insert(kTarget);
        };

        EXPECT_EQ(TypeText(input, kTarget, "abc\r\nd", {}), Delivery::Closed);

        EXPECT_EQ(input.calls, Chars(kTarget, {0x61, 0x62}));
        ASSERT_NE(DeliveryProblemText(Delivery::Closed), nullptr);
        EXPECT_STRNE(DeliveryProblemText(Delivery::Closed), DeliveryProblemText(Delivery::Refused));
    }
}

TEST(TypeTextTest, TargetWithHigherRightsStopsTheTypingAndIsNamed) {
    FakeWindowsInput input;
    int posts = 0;
    input.afterPost = [&](unsigned, std::uintptr_t) {
        // The first character goes through, then the target is found
        // elevated (access denied) for everything after it.
        if (++posts == 1) return;
        input.postMessageResult = false;
        input.lastError = 5;
    };

    EXPECT_EQ(TypeText(input, kTarget, "abc\r\nd", {.tabToNextField = true}), Delivery::RefusedElevated);

    EXPECT_EQ(input.calls, Chars(kTarget, {0x61, 0x62}));
    const std::string text = DeliveryProblemText(Delivery::RefusedElevated);
    EXPECT_NE(text.find("管理员身份"), std::string::npos) << text;
    EXPECT_NE(text, DeliveryProblemText(Delivery::Refused));
}

// Another program's thread with a form. Posted messages wait in its queue;
// its message loop answers each sent message before it takes the next posted
// one, as GetMessage does; a Tab key-down it takes moves its focus to the
// next window of `tabOrder` (the last one keeps it, as a dialog of one field
// does, or a page that moves among fields it draws itself).
class FormThread {
public:
    explicit FormThread(FakeWindowsInput& input) : input_(input) { Attach(); }

    // A fresh thread with this tab order, its focus on the first window.
    void Reset(std::vector<Hwnd> order) {
        tabOrder = std::move(order);
        focus = tabOrder.front();
        hung = gone = answered_ = peeksFirst = false;
        busyUntil = 0;
        answers_ = 0;
        onTab = nullptr;
        queue_.clear();
        Attach();
    }

    std::vector<Hwnd> tabOrder;
    Hwnd focus = 0;
    bool hung = false;  // takes nothing and answers nothing
    bool gone = false;  // the thread has ended
    // A loop that peeks at a posted message without removing it, then gets
    // it: two sent messages are answered for each posted one it takes, and
    // it goes on taking its queue while nothing is sent.
    bool peeksFirst = false;
    std::uint64_t busyUntil = 0;  // answers nothing before this tick
    std::function<void()> onTab;  // runs when a Tab is taken, after the focus moved

private:
    void Attach() {
        input_.afterPost = [this](unsigned message, std::uintptr_t wParam) { queue_.push_back({message, wParam}); };
        input_.onSend = [this](Hwnd, unsigned) {
            if (hung || input_.ticks < busyUntil) return false;
            if (!std::exchange(answered_, true)) return true;
            if (!peeksFirst || ++answers_ % 2 == 0) TakeOne();
            return true;
        };
        input_.focusOfThread = [this](unsigned) { return gone ? std::nullopt : std::optional<Hwnd>(focus); };
        input_.whileWaiting = [this] {
            if (peeksFirst && !hung && input_.ticks >= busyUntil) TakeOne();
        };
    }

    void TakeOne() {
        if (queue_.empty()) return;
        const auto [message, wParam] = queue_.front();
        queue_.pop_front();
        if (message != kWmKeyDown || wParam != 0x09) return;
        const auto at = std::find(tabOrder.begin(), tabOrder.end(), focus);
        if (at != tabOrder.end() && at + 1 != tabOrder.end()) focus = *(at + 1);
        if (onTab) onTab();
    }

    FakeWindowsInput& input_;
    std::deque<std::pair<unsigned, std::uintptr_t>> queue_;
    bool answered_ = false;
    unsigned answers_ = 0;
};

// A form of three fields of one dialog in another program.
class TabToNextFieldTest : public ::testing::Test {
protected:
    static constexpr Hwnd kDialog = 0x3F, kName = 0x41, kPhone = 0x42, kAddress = 0x43, kOther = 0x90;
    static constexpr unsigned kThread = 7, kProcess = 70;

    TabToNextFieldTest() {
        for (Hwnd field : {kName, kPhone, kAddress}) {
            input.windowThreads[field] = {kThread, kProcess};
            input.rootWindows[field] = kDialog;
            input.classNames[field] = "Edit";
        }
        input.windowThreads[kOther] = {9, 90};
        input.foreground = kDialog;
        form.Reset({kName, kPhone, kAddress});
    }

    Delivery Type(const std::string& text, Hwnd target = kName) {
        return TypeText(input, target, text, {.tabToNextField = true});
    }

    std::vector<std::string> Posts() const {
        std::vector<std::string> posts;
        for (const std::string& call : input.calls)
            if (call.rfind("PostMessageA", 0) == 0) posts.push_back(call);
        return posts;
    }

    FakeWindowsInput input;
    FormThread form{input};
};

TEST_F(TabToNextFieldTest, EachTabMovesOnAndTheRestGoesToTheFieldThatThenHasTheFocus) {
    EXPECT_EQ(Type("a\tb\tc"), Delivery::Delivered);

    EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName), Chars(kPhone, {0x62}), Tab(kPhone),
                             Chars(kAddress, {0x63})}));
}

TEST_F(TabToNextFieldTest, FocusThatIsStillMovingIsFollowedUntilItSettles) {
    // A program that passes the focus through a window on its way.
    input.threadFocus = {kName, kPhone, kAddress, kAddress};
    input.focusOfThread = nullptr;

    EXPECT_EQ(Type("a\tb"), Delivery::Delivered);

    EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName), Chars(kAddress, {0x62})}));
}

TEST_F(TabToNextFieldTest, APageThatMovesAmongItsOwnFieldsKeepsTheFocusAndGetsTheRest) {
    // A browser's page: one window holds the keyboard focus and moves among
    // the fields it draws itself; its frame may belong to another process.
    constexpr Hwnd kFrame = 0x70, kPage = 0x71;
    input.windowThreads[kPage] = {8, 80};
    input.windowThreads[kFrame] = {kThread, kProcess};
    input.rootWindows[kPage] = kFrame;
    input.classNames[kPage] = "PageView";
    input.foreground = kFrame;
    form.Reset({kPage});

    EXPECT_EQ(Type("a\tb\tc", kPage), Delivery::Delivered);

    EXPECT_EQ(Posts(), Join({Chars(kPage, {0x61}), Tab(kPage), Chars(kPage, {0x62}), Tab(kPage),
                             Chars(kPage, {0x63})}));
}

TEST_F(TabToNextFieldTest, AnInterruptedFormStopsAtTheTabAndTypesNothingElsewhere) {
    constexpr Hwnd kBox = 0x80, kBoxButton = 0x81;  // a message box of the form's own program
    input.rootWindows[kBoxButton] = kBox;
    input.classNames[kBoxButton] = "Button";
    struct Case {
        const char* what;
        std::function<void()> atTab;  // what happens as the form takes the Tab
        Delivery expected;
    };
    const Case cases[] = {
        {"the form's thread ended, its windows with it",
         [&] {
             form.gone = true;
             input.goneWindows.insert({kName, kPhone, kAddress});
         },
         Delivery::Closed},
        {"the field closed", [&] { input.goneWindows.insert(kName); }, Delivery::Closed},
        {"the form's focus can no longer be read", [&] { form.gone = true; }, Delivery::FocusUnknown},
        {"another program came to the front", [&] { input.foreground = kOther; }, Delivery::Interrupted},
        {"the form's program opened a box that took the focus",
         [&] {
             input.foreground = kBox;
             form.focus = kBoxButton;
         },
         Delivery::Interrupted},
        {"the field is the form's last", [&] { form.focus = kName; }, Delivery::FocusStayed},
        {"the thread lost its focus", [&] { form.focus = 0; }, Delivery::FocusStayed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        input.calls.clear();
        input.goneWindows.clear();
        input.foreground = kDialog;
        form.Reset({kName, kPhone, kAddress});
        form.onTab = c.atTab;

        EXPECT_EQ(Type("a\tb\r\nc"), c.expected);

        EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName)}));
        EXPECT_NE(DeliveryProblemText(c.expected), nullptr);
    }
}

TEST_F(TabToNextFieldTest, SuperclassedEditBoxesAreSingleFieldsEvenUnderALoopThatPeeksFirst) {
    // Edit boxes of class libraries register classes of their own; the
    // class read may also fail. A form whose only tab stop is such a box
    // keeps the focus there at a Tab: nothing more may go into it, although
    // its loop answers two round trips for each message it takes.
    for (const char* className : {"TEdit", "WindowsForms10.EDIT.app.0.1", "ThunderRT6TextBox", "TMemo", ""}) {
        SCOPED_TRACE(className);
        for (Hwnd field : {kName, kPhone, kAddress}) input.classNames[field] = className;

        form.Reset({kName});
        form.peeksFirst = true;
        input.calls.clear();
        EXPECT_EQ(Type("a\tb\tc"), Delivery::FocusStayed);
        EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName)}));

        form.Reset({kName, kPhone, kAddress});
        form.peeksFirst = true;
        input.calls.clear();
        EXPECT_EQ(Type("a\tb\tc"), Delivery::Delivered);
        EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName), Chars(kPhone, {0x62}), Tab(kPhone),
                                 Chars(kAddress, {0x63})}));
    }
}

TEST_F(TabToNextFieldTest, APageKeepingTheFocusGetsTheRestOnlyOnceTheFocusHasHeldStill) {
    // A page whose loop peeks first runs out of owed answers before it has
    // taken the Tab; the typing goes on only after the focus has stayed put
    // for the settle time.
    constexpr Hwnd kPage = 0x71;
    input.windowThreads[kPage] = {kThread, kProcess};
    input.rootWindows[kPage] = kDialog;
    input.classNames[kPage] = "PageView";
    form.Reset({kPage});
    form.peeksFirst = true;
    std::uint64_t tabAt = 0;
    input.afterPost = [&, post = input.afterPost](unsigned message, std::uintptr_t wParam) {
        post(message, wParam);
        if (message == kWmKeyUp && wParam == 0x09) tabAt = input.ticks;
    };
    std::uint64_t restAt = 0;
    input.afterPost = [&, post = input.afterPost](unsigned message, std::uintptr_t wParam) {
        post(message, wParam);
        if (message == kWmChar && wParam == 0x62) restAt = input.ticks;
    };

    EXPECT_EQ(Type("a\tb", kPage), Delivery::Delivered);

    EXPECT_EQ(Posts(), Join({Chars(kPage, {0x61}), Tab(kPage), Chars(kPage, {0x62})}));
    EXPECT_GE(restAt - tabAt, kTabSettleMs);
}

TEST_F(TabToNextFieldTest, TheFocusIsComparedWithWhereItWasBeforeTheTab) {
    // The characters went to the name field, but the form's focus was on
    // the phone field and the Tab left it there.
    form.Reset({kPhone});

    EXPECT_EQ(Type("a\tb"), Delivery::FocusStayed);

    EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName)}));
}

TEST_F(TabToNextFieldTest, TheWaitsAreBoundedForEachTabAndForTheWholeFill) {
    // A form that hangs, and one that takes the Tab only after the Tab's
    // limit: each gives up after that limit as a target too slow to answer,
    // not as a Tab that left the focus where it was.
    for (const bool hung : {true, false}) {
        SCOPED_TRACE(hung ? "hung" : "takes the Tab at 2.5 s");
        form.Reset({kName, kPhone, kAddress});
        input.calls.clear();
        const std::uint64_t started = input.ticks;
        form.hung = hung;
        form.busyUntil = started + 2500;
        EXPECT_EQ(Type("a\tb"), Delivery::TooSlow);
        EXPECT_GE(input.ticks - started, kTabFocusLimitMs);
        EXPECT_LE(input.ticks - started, kTabFocusLimitMs + kRoundTripLimitMs + kTabFocusPollMs);
        EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName)}));
    }
    EXPECT_NE(std::string(DeliveryProblemText(Delivery::TooSlow)).find("没有响应"), std::string::npos);
    EXPECT_STRNE(DeliveryProblemText(Delivery::FocusUnknown), DeliveryProblemText(Delivery::Interrupted));
    form.Reset({kName, kPhone, kAddress});

    // A form that moves on after most of a Tab's limit each time: the fill
    // stops once it has waited its whole limit, in the field it reached.
    std::vector<Hwnd> fields;
    for (Hwnd field = 0x100; field < 0x140; ++field) {
        fields.push_back(field);
        input.windowThreads[field] = {kThread, kProcess};
        input.rootWindows[field] = kDialog;
    }
    fields.insert(fields.begin(), kName);
    form.Reset(fields);
    form.onTab = [&] { input.ticks += kTabFocusLimitMs - 200; };
    std::string text = "a";
    for (std::size_t i = 1; i < fields.size(); ++i) text += "\ta";
    input.calls.clear();
    const std::uint64_t filling = input.ticks;

    EXPECT_EQ(Type(text), Delivery::TooSlow);

    EXPECT_LE(input.ticks - filling, kFillWaitLimitMs + kTabFocusLimitMs);
    const auto tabs = std::count_if(input.calls.begin(), input.calls.end(), [](const std::string& call) {
        return call.rfind("PostMessageA(", 0) == 0 && call.find(", 0x100, 0x9, ") != std::string::npos;
    });
    EXPECT_LE(tabs, kFillWaitLimitMs / (kTabFocusLimitMs - 200) + 1);
    EXPECT_NE(DeliveryProblemText(Delivery::TooSlow), nullptr);
}

TEST_F(TabToNextFieldTest, NoSecondDropStartsWhileAFillWaitsForItsTab) {
    input.windowUnderCursor = kName;
    TextDelivery second(input);
    second.ArmDrag(kCaptureWindow);
    std::optional<Delivery> inner;
    bool runningInside = false;
    input.whileWaiting = [&] {
        if (inner) return;
        runningInside = FillRunning();
        inner = second.DropText(MouseButton::Left, kReleaseX, kReleaseY, {kList}, [] { return std::string("x"); },
                                OnRefusedRelease::RestoreCursor);
    };
    // Before the Tab, as the thread takes the queued keys, then while the
    // fill waits for the focus to move.
    input.threadFocus = {kName, kName, kName, kName, kName, kName, kPhone};
    input.focusOfThread = nullptr;
    input.onSend = [](Hwnd, unsigned) { return true; };

    EXPECT_EQ(Type("a\tb"), Delivery::Delivered);

    ASSERT_TRUE(inner.has_value());
    EXPECT_EQ(*inner, Delivery::NotDropped);
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(FillRunning());
    EXPECT_FALSE(second.DragActive());
    for (const std::string& call : input.calls) EXPECT_EQ(call.rfind("mouse_event", 0), std::string::npos) << call;
    EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName), Chars(kPhone, {0x62})}));
}

TEST_F(TabToNextFieldTest, ATypingRunInsideAnotherOnesWaitLeavesTheOuterOneRunning) {
    // A handler run inside the wait starts a typing of its own, which ends
    // before the outer one does: the outer one still counts as running.
    bool nestedRan = false;
    bool runningAfterNested = false;
    form.busyUntil = input.ticks + 1;  // the Tab waits at least once
    input.whileWaiting = [&] {
        if (std::exchange(nestedRan, true)) return;
        EXPECT_EQ(TypeText(input, kOther, "x", {}), Delivery::Delivered);
        runningAfterNested = FillRunning();
    };

    EXPECT_EQ(Type("a\tb"), Delivery::Delivered);

    EXPECT_TRUE(nestedRan);
    EXPECT_TRUE(runningAfterNested);
    EXPECT_FALSE(FillRunning());
}

TEST_F(TabToNextFieldTest, TheAppStartingCursorShowsWhileAFillWaitsAndGoesOnEveryWayOut) {
    struct WayOut {
        const char* name;
        std::function<void()> arrange;
        std::optional<Delivery> result;  // nothing: the wait throws
    };
    const WayOut ways[] = {
        {"moves on", [] {}, Delivery::Delivered},
        {"hangs", [&] { form.hung = true; }, Delivery::TooSlow},
        {"one field", [&] { form.Reset({kName}); }, Delivery::FocusStayed},
        {"closes", [&] { form.onTab = [&] { input.goneWindows.insert(kName); }; }, Delivery::Closed},
        {"a handler in the wait throws",
         [&] {
             form.busyUntil = input.ticks + 1;
             input.whileWaiting = [] { throw std::runtime_error("handler"); };
         },
         std::nullopt},
    };
    constexpr int kShownBefore = -12;  // a drop's drag cursor
    for (const WayOut& way : ways) {
        SCOPED_TRACE(way.name);
        form.Reset({kName, kPhone, kAddress});
        input.goneWindows.clear();
        input.calls.clear();
        input.appCursor = kShownBefore;
        way.arrange();
        if (way.result)
            EXPECT_EQ(Type("a\tb"), *way.result);
        else
            EXPECT_THROW(Type("a\tb"), std::runtime_error);

        std::vector<std::string> cursorAndWaits;
        for (const std::string& call : input.calls)
            for (const char* kind : {"SetAppCursor", "WaitDrawing", "SendMessageTimeoutA"})
                if (call.rfind(kind, 0) == 0) cursorAndWaits.push_back(call);
        ASSERT_GE(cursorAndWaits.size(), 3u);
        EXPECT_EQ(cursorAndWaits.front(), "SetAppCursor(" + std::to_string(kCrAppStart) + ")");
        EXPECT_EQ(cursorAndWaits.back(), "SetAppCursor(" + std::to_string(kShownBefore) + ")");
        EXPECT_EQ(std::count_if(cursorAndWaits.begin(), cursorAndWaits.end(),
                                [](const std::string& call) { return call.rfind("SetAppCursor", 0) == 0; }),
                  2);
        EXPECT_EQ(input.appCursor, kShownBefore);
    }

    // A fill that never waits leaves the cursor alone.
    input.calls.clear();
    EXPECT_EQ(Type("a\r\nb"), Delivery::Delivered);
    EXPECT_EQ(TypeText(input, kName, "a\tb", {}), Delivery::Delivered);
    for (const std::string& call : input.calls) EXPECT_EQ(call.rfind("SetAppCursor", 0), std::string::npos) << call;
}

// A drag armed or ended by a handler run inside a fill's wait: when the fill
// ends, the cursor is the one that drag state calls for, not the one the fill
// found, and a drag armed under the busy cursor saves the cursor beneath it.
TEST_F(TabToNextFieldTest, TheCursorAfterAFillFollowsADragArmedOrEndedDuringItsWait) {
    constexpr int kShownBefore = -21;
    struct Case {
        const char* name;
        bool armedBefore;
        std::function<void(TextDelivery&)> inWait;
        bool armedAfter;
        int cursorAfterFill;
    };
    const Case cases[] = {
        {"armed in the wait", false, [](TextDelivery& drag) { drag.ArmDrag(kCaptureWindow); }, true, kCrDrag},
        {"cancelled in the wait", true, [](TextDelivery& drag) { drag.CancelDrag(); }, false, kShownBefore},
        {"dropped in the wait (the drop ends the drag)",
         true,
         [](TextDelivery& drag) {
             drag.DropText(MouseButton::Left, kReleaseX, kReleaseY, {kList}, [] { return std::string("x"); },
                           OnRefusedRelease::RestoreCursor);
         },
         false, kShownBefore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.Reset({kName, kPhone});
        input.appCursor = kShownBefore;
        TextDelivery drag(input);
        if (c.armedBefore) drag.ArmDrag(kCaptureWindow);
        form.busyUntil = input.ticks + 1;  // the Tab waits at least once
        bool ran = false;
        auto takeOne = input.whileWaiting;
        input.whileWaiting = [&] {
            if (!std::exchange(ran, true)) {
                EXPECT_EQ(input.appCursor, kCrAppStart);
                c.inWait(drag);
            }
            takeOne();
        };

        EXPECT_EQ(Type("a\tb"), Delivery::Delivered);

        ASSERT_TRUE(ran);
        EXPECT_EQ(drag.DragActive(), c.armedAfter);
        EXPECT_EQ(input.appCursor, c.cursorAfterFill);
        // The drag, if any, ends on the cursor that was there before it.
        drag.CancelDrag();
        EXPECT_EQ(input.appCursor, kShownBefore);
    }
}

// A form of the tool's own thread: the tool's loop would take a posted Tab
// only after the fill, behind the text still queued for the old field, and
// nothing of that queue may run inside the fill. The fill stops at its first
// Tab, with its own result, having posted no Tab, sent nothing and waited for
// nothing; the text before the Tab is in the field.
TEST_F(TabToNextFieldTest, AFillIntoTheToolsOwnThreadStopsAtItsFirstTabWithoutAWait) {
    for (Hwnd field : {kName, kPhone, kAddress, kOther}) input.windowThreads[field] = {input.ownThreadId, input.ownProcessId};
    input.onSend = [](Hwnd, unsigned) {
        ADD_FAILURE() << "a round trip to a window of the tool's own thread answers before any key is taken";
        return true;
    };
    input.whileWaiting = [] { ADD_FAILURE() << "a fill into the tool's own thread waits for nothing"; };
    const struct {
        const char* text;
        CallLog posts;
    } cases[] = {{"a\tb\tc", Chars(kName, {0x61})}, {"a\r\n\tb", Join({Chars(kName, {0x61}), Enter(kName)})}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        form.Reset({kName, kPhone, kAddress});
        input.calls.clear();

        EXPECT_EQ(Type(c.text), Delivery::OwnWindow);

        EXPECT_EQ(Posts(), c.posts);
        for (const std::string& call : input.calls) EXPECT_EQ(call.rfind("WaitDrawing(", 0), std::string::npos) << call;
        EXPECT_EQ(form.focus, kName);
    }
    EXPECT_NE(DeliveryProblemText(Delivery::OwnWindow), nullptr);
}

TEST_F(TabToNextFieldTest, DropFollowsTheOptionAsItIsAtTheDrop) {
    bool tabToNextField = false;
    input.windowUnderCursor = kName;
    TextDelivery delivery(input, &tabToNextField);
    auto drop = [&] {
        form.Reset({kName, kPhone});
        input.calls.clear();
        delivery.ArmDrag(kCaptureWindow);
        return delivery.DropText(MouseButton::Left, kReleaseX, kReleaseY, {kList}, [] { return std::string("a\tb"); },
                                 OnRefusedRelease::RestoreCursor);
    };

    EXPECT_EQ(drop(), Delivery::Delivered);
    EXPECT_EQ(Posts(), Chars(kName, {0x61, 0x09, 0x62}));

    tabToNextField = true;
    EXPECT_EQ(drop(), Delivery::Delivered);
    EXPECT_EQ(Posts(), Join({Chars(kName, {0x61}), Tab(kName), Chars(kPhone, {0x62})}));
}

}  // namespace
}  // namespace pennora
