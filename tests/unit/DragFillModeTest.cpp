#include "fill/DragFillMode.h"

#include <gtest/gtest.h>

#include "fakes/CallLog.h"

namespace pennora {
namespace {

using fakes::CallLog;

class RecordingView final : public DragFillView {
public:
    CallLog calls;
    ModeFlags* flags = nullptr;  // the window closes itself through its FormClose

    void MinimizeApplication() override { calls.push_back("MinimizeApplication()"); }
    void ShowDragFillWindow() override { calls.push_back("ShowDragFillWindow()"); }
    void CloseDragFillWindow() override {
        calls.push_back("CloseDragFillWindow()");
        DragFillWindowClosed(*flags, *this);
    }
    void SetDragFillButton(bool pressed) override { calls.push_back("SetDragFillButton(" + std::to_string(pressed) + ")"); }
    void SetDragFillMenuCheck(bool checked) override {
        calls.push_back("SetDragFillMenuCheck(" + std::to_string(checked) + ")");
    }
};

TEST(DragFillModeTest, SwitchingOnAndOffKeepsButtonAndTrayItemWithTheMode) {
    struct Case {
        const char* name;
        bool minimizeWhenDrag;
        CallLog on;
    };
    const Case cases[] = {
        {"minimising first", true,
         {"MinimizeApplication()", "ShowDragFillWindow()", "SetDragFillMenuCheck(1)", "SetDragFillButton(1)"}},
        {"main window stays", false, {"ShowDragFillWindow()", "SetDragFillMenuCheck(1)", "SetDragFillButton(1)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModeFlags flags;
        Settings settings;
        settings.MinimizeWhenDrag = c.minimizeWhenDrag;
        RecordingView view;
        view.flags = &flags;

        ToolButtonDragFillClick(flags, settings, view);
        EXPECT_EQ(view.calls, c.on);
        EXPECT_TRUE(flags.dragFillOn);

        view.calls.clear();
        ToolButtonDragFillClick(flags, settings, view);
        EXPECT_EQ(view.calls, (CallLog{"CloseDragFillWindow()", "SetDragFillButton(0)", "SetDragFillMenuCheck(0)",
                                       "SetDragFillButton(0)"}));
        EXPECT_FALSE(flags.dragFillOn);
    }
}

TEST(DragFillModeTest, ClosingTheWindowItselfEndsTheModeAndReleasesTheButton) {
    ModeFlags flags;
    flags.dragFillOn = true;
    RecordingView view;

    DragFillWindowClosed(flags, view);

    EXPECT_EQ(view.calls, CallLog{"SetDragFillButton(0)"});
    EXPECT_FALSE(flags.dragFillOn);
}

}  // namespace
}  // namespace pennora
