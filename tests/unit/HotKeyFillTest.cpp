#include "fill/HotKeyFill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "fill/TextDelivery.h"
#include "fakes/FakeCaretApi.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeHotKeyApi.h"
#include "fakes/FakeWindowsInput.h"

namespace pennora {
namespace {

using fakes::CallLog;
using Strings = std::vector<std::string>;

constexpr Hwnd kMainWindow = 0x100;
const std::string kDataFile = "C:\\Pennora\\Pennora.Dat";

// The shift and key of Shift+Alt+V as WM_HOTKEY's lParam carries them.
constexpr std::intptr_t kShiftAltV = (0x56 << 16) | 5;

CallLog Join(std::initializer_list<CallLog> parts) {
    CallLog all;
    for (const CallLog& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Records what the main window is asked to show, in the shared log.
class RecordingView final : public HotKeyFillView {
public:
    explicit RecordingView(CallLog& calls) : calls_(calls) {}
    std::optional<std::string> choice;  // what the user picks in the menu
    std::function<void()> whileMenuOpen;
    // What the user sees of the mode now.
    bool buttonPressed = false, menuChecked = false, hotKeyIconShown = false;

    void SetHotKeyButton(bool pressed) override {
        calls_.push_back("SetHotKeyButton(" + std::to_string(pressed) + ")");
        buttonPressed = pressed;
    }
    void SetHotKeyMenuCheck(bool checked) override {
        calls_.push_back("SetHotKeyMenuCheck(" + std::to_string(checked) + ")");
        menuChecked = checked;
    }
    void ShowHotKeyOptions() override { calls_.push_back("ShowHotKeyOptions()"); }
    void MinimizeApplication() override { calls_.push_back("MinimizeApplication()"); }
    void ChangeTrayIcon(bool hotKeyIcon) override {
        calls_.push_back(hotKeyIcon ? "ChangeTrayIcon(HotKeyIcon)" : "ChangeTrayIcon(AppIcon)");
        hotKeyIconShown = hotKeyIcon;
    }
    void RebuildFillMenu(const Strings& titles) override {
        std::string items;
        for (const auto& title : titles) items += (items.empty() ? "" : ", ") + fakes::Quoted(title);
        calls_.push_back("RebuildFillMenu(" + items + ")");
    }
    std::optional<std::string> PopupFillMenu(Point topLeft) override {
        calls_.push_back("PopupFillMenu(" + std::to_string(topLeft.x) + ", " + std::to_string(topLeft.y) + ")");
        if (whileMenuOpen) whileMenuOpen();
        return choice;
    }
    void ReportRefusedDelivery(const std::string& text) override {
        calls_.push_back("ReportRefusedDelivery(" + fakes::Quoted(text) + ")");
    }

private:
    CallLog& calls_;
};

// RegisterHotKey of Shift+Alt+V under the atom-derived id 0x123.
const CallLog kRegister = {"GlobalAddAtomA(\"Pennora\")", "RegisterHotKey(0x100, 0x123, 0x5, 0x56)"};
const CallLog kEmptyNotice = {
    "SetHotKeyButton(0)",
    "MessageBoxA(0x100, \"\\xC8\\xC8\\xBC\\xFC\\xD7\\xA2\\xB2\\xE1\\xCA\\xA7\\xB0\\xDC\\xA3\\xA8\\xC8\\xC8\\xBC\\xFC"
    "\\xB2\\xBB\\xD3\\xA6\\xCE\\xAA\\xBF\\xD5\\xA3\\xA9\\xA3\\xA1\\x0D\\xC7\\xEB\\xCF\\xC8\\xB5\\xBD\\xA1\\xB0\\xD1"
    "\\xA1\\xCF\\xEE\\xA1\\xB1\\xD2\\xB3\\xD6\\xD0\\xC9\\xE8\\xD6\\xC3\\xC8\\xC8\\xBC\\xFC\\xA1\\xA3\", "
    "\"KestovaPennora\", 0x40)",
    "ShowHotKeyOptions()"};

std::string Box(const std::string& text, const std::string& caption) {
    return "MessageBoxA(0x100, " + fakes::Quoted(text) + ", " + fakes::Quoted(caption) + ", 0x40)";
}

class HotKeyFillTest : public ::testing::Test {
protected:
    HotKeyFillTest() {
        files.files[kDataFile] = EncodeDataFile({{"地址", "北京\r\n海淀", std::nullopt, std::nullopt},
                                                 {"Mail", "a@b.c", std::nullopt, false},
                                                 {"Tel", "123", std::nullopt, true}});
        dataFile.Load();
        store.SetAfterPost([this] {
            ClientDataSet1AfterPost(store, flags, {[this](const Strings& titles) { fill.BuildFillMenu(titles); }, {}});
        });
    }
    void SwitchedOn() {
        fill.ToolButtonHotKeyClick();
        ASSERT_TRUE(flags.hotKeyOn);
        calls.clear();
    }

    CallLog calls;
    fakes::FakeHotKeyApi hotKeys{&calls};
    fakes::FakeCaretApi caret{&calls};
    fakes::FakeWindowsInput input{&calls};
    RecordingView view{calls};
    fakes::FakeFileSystem files;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kDataFile};
    Settings settings;
    ModeFlags flags;
    HotKeyFill fill{{hotKeys, caret, input, input}, store, settings, flags, kMainWindow, view};
};

TEST(ShortcutTextTest, NamesModifiersInOrderThenTheKey) {
    struct Case {
        std::uint16_t modifiers, key;
        const char* text;
    };
    const Case cases[] = {
        {5, 0x56, "Shift+Alt+V"}, {7, 0x41, "Shift+Ctrl+Alt+A"}, {2, 0x74, "Ctrl+F5"}, {1, 0x87, "Alt+F24"},
        {4, 0x63, "Shift+3"},     {0, 0x30, "0"},                {3, 0x6A, "Ctrl+Alt+Num *"}, {2, 0x2E, "Ctrl+Del"},
        {1, 0x20, "Alt+Space"},   {4, 0, "Shift+#00"},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortcutText(c.modifiers, c.key), c.text) << c.text;
}

TEST_F(HotKeyFillTest, SwitchingOnRegistersBuildsTheMenuShowsTheModeThenNotifiesAndMinimises) {
    settings.MinimizeWhenHotKey = true;
    fill.ToolButtonHotKeyClick();

    EXPECT_EQ(calls, Join({kRegister,
                           {"RebuildFillMenu(\"\\xB5\\xD8\\xD6\\xB7\", \"Tel\")", "ChangeTrayIcon(HotKeyIcon)",
                            "SetHotKeyButton(1)", "SetHotKeyMenuCheck(1)", Box("热键 <Shift+Alt+V> 注册成功！", "Pennora"),
                            "MinimizeApplication()"}}));
    EXPECT_TRUE(flags.hotKeyOn);
}

TEST_F(HotKeyFillTest, SwitchingOnFailsWithoutTouchingTheModeOrTheMenuCheck) {
    struct Case {
        const char* name;
        std::uint16_t shift, key;
        bool registers;
        CallLog expected;
    };
    const Case cases[] = {
        {"empty combination", 0, 0, true, kEmptyNotice},
        {"taken by another program", 5, 0x56, false,
         Join({kRegister, {"SetHotKeyButton(0)", Box(kHotKeyTakenText, "热键注册失败")}})},
        // A modifier alone is not empty: the system is asked.
        {"shift without key, refused", 4, 0, false,
         {"GlobalAddAtomA(\"Pennora\")", "RegisterHotKey(0x100, 0x123, 0x4, 0x0)", "SetHotKeyButton(0)",
          Box(kHotKeyTakenText, "热键注册失败")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        calls.clear();
        settings.Shift = c.shift;
        settings.Key = c.key;
        hotKeys.registerAnswers = {c.registers};
        fill.ToolButtonHotKeyClick();

        EXPECT_EQ(calls, c.expected);
        EXPECT_FALSE(flags.hotKeyOn);
    }
}

TEST_F(HotKeyFillTest, SwitchingOffUnregistersShowsTheModeOffThenNotifies) {
    SwitchedOn();
    fill.ToolButtonHotKeyClick();

    EXPECT_EQ(calls, (CallLog{"GlobalAddAtomA(\"Pennora\")", "UnregisterHotKey(0x100, 0x123)", "ChangeTrayIcon(AppIcon)",
                              "SetHotKeyButton(0)", "SetHotKeyMenuCheck(0)", Box("热键取消！", "Pennora")}));
    EXPECT_FALSE(flags.hotKeyOn);
}

// A notice is modal only to the main window: the tray menu still works while
// it is up and may switch the mode again inside it. Whenever a box is up, and
// once all are closed, the button, the tray item's check mark and the tray
// icon show the mode as it is, and the key is registered exactly while it is on.
TEST_F(HotKeyFillTest, WhileANoticeIsUpAndAfterItTheDisplayShowsTheModeAsItIs) {
    struct Case {
        const char* name;
        bool startOn;
        std::deque<bool> registerAnswers;
        std::uint16_t key;
    };
    const Case cases[] = {
        {"switching on", false, {}, 0x56},
        {"switching off", true, {}, 0x56},
        {"a combination another program holds", false, {false}, 0x56},
        {"an empty combination", false, {}, 0},
    };
    for (const Case& c : cases) {
        for (bool trayClickInsideTheBox : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (trayClickInsideTheBox ? ", tray click inside the box" : ""));
            settings = {};
            settings.MinimizeWhenHotKey = true;
            if (c.startOn) SwitchedOn();
            settings.Shift = c.key ? 5 : 0;
            settings.Key = c.key;
            hotKeys.registerAnswers = c.registerAnswers;
            calls.clear();
            const auto displayAgrees = [this] {
                EXPECT_EQ(hotKeys.registered, flags.hotKeyOn);
                EXPECT_EQ(view.buttonPressed, flags.hotKeyOn);
                EXPECT_EQ(view.menuChecked, flags.hotKeyOn);
                EXPECT_EQ(view.hotKeyIconShown, flags.hotKeyOn);
            };
            bool clicked = !trayClickInsideTheBox;
            input.whileBoxIsUp = [&] {
                displayAgrees();
                if (!std::exchange(clicked, true)) fill.ToolButtonHotKeyClick();
            };

            fill.ToolButtonHotKeyClick();

            input.whileBoxIsUp = nullptr;
            displayAgrees();
            // The application goes to the tray for a mode that is on, not
            // for one switched off again meanwhile.
            const bool minimised = std::find(calls.begin(), calls.end(), "MinimizeApplication()") != calls.end();
            EXPECT_EQ(minimised, flags.hotKeyOn);
            if (flags.hotKeyOn) fill.ToolButtonHotKeyClick();
            calls.clear();
        }
    }
}

TEST_F(HotKeyFillTest, HotKeyDetachesOnEveryPathAndOpensTheMenuBesideTheCaret) {
    const CallLog attach = {"GetForegroundWindow()", "GetWindowThreadProcessId(0x500)", "AttachThreadInput(11, 77, TRUE)"};
    const CallLog detach = {"AttachThreadInput(11, 77, FALSE)"};
    struct Case {
        const char* name;
        std::intptr_t lParam;
        bool hasCaret;
        Hwnd focus;
        CallLog expected;
        Hwnd fillTarget;
    };
    const Case cases[] = {
        // caret (30, 4) + the focused window's outer corner (200, 100) + 2.
        {"menu at the caret", kShiftAltV, true, 0x510,
         Join({attach, {"GetCaretPos()", "GetFocus()", "GetWindowRect(0x510)", "PopupFillMenu(232, 106)"}, detach}),
         0x510},
        {"another combination", (0x57 << 16) | 5, true, 0x510, Join({attach, detach}), 0x999},
        {"no caret", kShiftAltV, false, 0x510, Join({attach, {"GetCaretPos()"}, detach}), 0x999},
        {"no focus", kShiftAltV, true, 0, Join({attach, {"GetCaretPos()", "GetFocus()"}, detach}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HotKeyFill fresh{{hotKeys, caret, input, input}, store, settings, flags, kMainWindow, view};
        caret.focus = 0x999;  // an earlier press stored this target
        fresh.wmhotkey(kShiftAltV);
        calls.clear();
        caret.hasCaret = c.hasCaret;
        caret.focus = c.focus;

        fresh.wmhotkey(c.lParam);

        EXPECT_EQ(calls, c.expected);
        EXPECT_EQ(fresh.FillTarget(), c.fillTarget);
    }
}

TEST_F(HotKeyFillTest, ChoosingATitleTypesTheFirstEntrysContentWithItsLineBreakAsEnterAfterTheDetach) {
    view.choice = "地址";
    fill.wmhotkey(kShiftAltV);

    // 北京 CR LF 海淀, after the detach: the line break is one press of Enter
    // (scan code 0x1C; the down with the up-flag that keeps the target from
    // translating it into a second CR), not the characters CR and LF.
    CallLog expected = {"PopupFillMenu(232, 106)", "AttachThreadInput(11, 77, FALSE)"};
    for (unsigned byte : {0xB1, 0xB1, 0xBE, 0xA9})
        expected.push_back("PostMessageA(0x510, 0x102, " + fakes::Hex(byte) + ", 1)");
    expected.push_back("PostMessageA(0x510, 0x100, 0xd, 2149318657)");
    expected.push_back("PostMessageA(0x510, 0x102, 0xd, 1835009)");
    expected.push_back("PostMessageA(0x510, 0x101, 0xd, 3223060481)");
    for (unsigned byte : {0xBA, 0xA3, 0xB5, 0xED})
        expected.push_back("PostMessageA(0x510, 0x102, " + fakes::Hex(byte) + ", 1)");
    EXPECT_EQ(CallLog(calls.end() - long(expected.size()), calls.end()), expected);
}

TEST_F(HotKeyFillTest, TargetThatRefusesTheCharactersIsReportedWithTheCause) {
    struct Case {
        unsigned lastError;
        Delivery result;
    };
    // 1816: the target's queue is full; 5: access denied; 1400: the window is gone.
    for (const Case& c : {Case{1816, Delivery::Refused}, Case{5, Delivery::RefusedElevated}, Case{1400, Delivery::Closed}}) {
        SCOPED_TRACE(c.lastError);
        input.postMessageResult = false;
        input.lastError = c.lastError;
        view.choice = "Tel";
        fill.wmhotkey(kShiftAltV);

        EXPECT_EQ(calls.back(), "ReportRefusedDelivery(" + fakes::Quoted(DeliveryProblemText(c.result)) + ")");
    }
}

TEST_F(HotKeyFillTest, ChoiceWithPendingEditRebuildsTheMenuAndTypesTheEditedContent) {
    SwitchedOn();
    store.Next();
    store.Next();
    store.SetContent("456");  // pending on "Tel"
    view.choice = "Tel";
    fill.wmhotkey(kShiftAltV);

    const CallLog tail(calls.end() - 5, calls.end());
    EXPECT_EQ(tail, (CallLog{"AttachThreadInput(11, 77, FALSE)", "RebuildFillMenu(\"\\xB5\\xD8\\xD6\\xB7\", \"Tel\")",
                             "PostMessageA(0x510, 0x102, 0x34, 1)", "PostMessageA(0x510, 0x102, 0x35, 1)",
                             "PostMessageA(0x510, 0x102, 0x36, 1)"}));
}

TEST_F(HotKeyFillTest, PressWhileAFillWaitsForItsTabStartsNothing) {
    constexpr Hwnd kNextField = 0x511;
    settings.TabToNextField = true;
    input.windowThreads[0x510] = input.windowThreads[kNextField] = {7, 70};
    input.rootWindows[kNextField] = 0x510;
    input.foreground = 0x510;
    input.classNames[0x510] = "Edit";
    // Before the Tab, then as the thread takes the queued keys, then while
    // the fill waits for the focus to move.
    input.threadFocus = {0x510, 0x510, 0x510, 0x510, 0x510, 0x510, kNextField};
    input.whileWaiting = [this] {
        calls.push_back("-- press");
        fill.wmhotkey(kShiftAltV);
    };
    SwitchedOn();
    store.Next();
    store.Next();
    store.SetContent("4\t5");  // pending on "Tel"
    view.choice = "Tel";
    fill.wmhotkey(kShiftAltV);

    const auto press = std::find(calls.begin(), calls.end(), "-- press");
    ASSERT_NE(press, calls.end());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "PopupFillMenu(232, 106)"), 1);
    // The rest went to the next field; then the busy cursor went.
    EXPECT_EQ(CallLog(calls.end() - 2, calls.end()), (CallLog{"PostMessageA(0x511, 0x102, 0x35, 1)", "SetAppCursor(0)"}));
}

TEST_F(HotKeyFillTest, SecondPressWhileTheMenuIsOpenLeavesThatMenuAlone) {
    view.whileMenuOpen = [this] {
        calls.push_back("-- second press");
        fill.wmhotkey(kShiftAltV);
    };
    fill.wmhotkey(kShiftAltV);

    EXPECT_EQ(calls, (CallLog{"GetForegroundWindow()", "GetWindowThreadProcessId(0x500)", "AttachThreadInput(11, 77, TRUE)",
                              "GetCaretPos()", "GetFocus()", "GetWindowRect(0x510)", "PopupFillMenu(232, 106)",
                              "-- second press", "AttachThreadInput(11, 77, FALSE)"}));
    EXPECT_FALSE(fill.MenuOpen());
}

}  // namespace
}  // namespace pennora
