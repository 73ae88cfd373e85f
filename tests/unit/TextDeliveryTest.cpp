#include "fill/TextDelivery.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <initializer_list>

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

// "ab" CR LF "cd" dropped: the LF is not posted.
const CallLog kDropAbCrLfCd =
    Join({kFindTarget, kLeftClick, kFetchAndPause, Chars(kTarget, {0x61, 0x62, 0x0D, 0x63, 0x64}), kFinish});

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

TEST(PostCharsTest, PostsEachByteZeroExtendedExceptTheSkipByte) {
    struct Case {
        const char* text;
        unsigned char skip;
        CallLog expected;
    };
    const Case cases[] = {
        {"ab\r\ncd", kSkipLineFeed, Chars(kTarget, {0x61, 0x62, 0x0D, 0x63, 0x64})},
        {"ab\r\ncd", kSkipNothing, Chars(kTarget, {0x61, 0x62, 0x0D, 0x0A, 0x63, 0x64})},
        {"灌水", kSkipNothing, Chars(kTarget, {0xB9, 0xE0, 0xCB, 0xAE})},
        {"\xFF\n\n\x80", kSkipLineFeed, Chars(kTarget, {0xFF, 0x80})},
        {"", kSkipNothing, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fakes::Quoted(c.text));
        FakeWindowsInput input;
        PostChars(input, kTarget, c.text, c.skip);
        EXPECT_EQ(input.calls, c.expected);
    }
}

TEST(PostCharsTest, FailedPostsDoNotStopTheLoopAndAreReported) {
    FakeWindowsInput input;
    EXPECT_TRUE(PostChars(input, kTarget, "ab", kSkipNothing));
    input.calls.clear();
    input.postMessageResult = false;

    EXPECT_FALSE(PostChars(input, kTarget, "ab\r\ncd", kSkipNothing));

    EXPECT_EQ(input.calls, Chars(kTarget, {0x61, 0x62, 0x0D, 0x0A, 0x63, 0x64}));
}

}  // namespace
}  // namespace pennora
