// The browser integration's Win32 face under Wine: the tool-button hint that
// hiding browser windows changes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "browser/BrowserIntegration.h"

namespace pennora {
namespace {

TEST(BrowserPageTest, TheHideButtonsHintCanBeChanged) {
    InitCommonControls();
    HWND toolBar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, WS_POPUP, 0, 0, 100, 40, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(toolBar);
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON button{};
    button.idCommand = 7;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_CHECK;
    button.iString = reinterpret_cast<INT_PTR>("快速隐藏IE窗口");
    SendMessageA(toolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    SetToolButtonHint(toolBar, 7, "显示所有IE浏览器窗口");
    char text[64] = {};
    SendMessageA(toolBar, TB_GETBUTTONTEXTA, 7, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "显示所有IE浏览器窗口");
    DestroyWindow(toolBar);
}

}  // namespace
}  // namespace pennora
