// The browser integration's Win32 face under Wine: the page's controls as
// its template and the page make them, and the tool-button hint that hiding
// browser windows changes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "browser/BrowserIntegration.h"
#include "browser/BrowserPageIds.h"
#include "fakes/FakeWindowsInput.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/MenuExtSandbox.h"

namespace pennora {
namespace {

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(BrowserPageTest, ElevenControlsInTabOrderWithTheirCaptionsAndByteLimits) {
    ASSERT_EQ(testing::MenuExtSandbox::WhyNotHere(), "");  // the page starts empty
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    fakes::FakeWindowsInput boxes;
    Win32FileSystem files;
    BrowserIntegration browser(parent, parent, "C:\\pennora-page\\", "KestovaPennora", boxes, files);
    BrowserMenuPage& page = browser.page();
    page.LoadIEMenuPage();

    const std::vector<std::pair<int, std::string>> expected = {
        {IDC_BTNFIRST, "|<"}, {IDC_BTNPRIOR, "<"},   {IDC_BTNNEXT, ">"},   {IDC_BTNLAST, ">|"},
        {IDC_BTNNEW, "＋"},   {IDC_BTNDELETE, "－"}, {IDC_BTNHELP, "?"},   {IDC_EDITKEY, ""},
        {IDC_MEMOVALUE, ""},  {IDC_BTNCANCEL, "重置"}, {IDC_BTNAPPLY, "应用"},
    };
    std::vector<std::pair<int, std::string>> tabStops;
    for (HWND child = GetWindow(page.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) tabStops.emplace_back(GetDlgCtrlID(child), Text(child));
    }
    EXPECT_EQ(tabStops, expected);
    EXPECT_EQ(Text(page.Item(IDC_LABEL8)),
              "       您可通过Pennora创建、管理IE右键填表菜单。对这些菜单的修改需要在IE       "
              "重新启动后才生效，但使用时无需KestovaPennora同时运行。");
    // No entries: both edits and the two commit buttons are disabled.
    for (int id : {IDC_EDITKEY, IDC_MEMOVALUE, IDC_BTNAPPLY, IDC_BTNCANCEL}) EXPECT_FALSE(IsWindowEnabled(page.Item(id))) << id;

    // ＋ opens the edits; what the user types becomes the entry and marks the change.
    SendMessageA(page.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BTNNEW, BN_CLICKED), LPARAM(page.Item(IDC_BTNNEW)));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_EDITKEY)));
    EXPECT_FALSE(IsWindowEnabled(page.Item(IDC_BTNAPPLY)));
    SetWindowTextA(page.Item(IDC_EDITKEY), "地址");
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_BTNAPPLY)));
    EXPECT_TRUE(IsWindowEnabled(page.Item(IDC_BTNCANCEL)));

    // Typed text is held to the GBK bytes the registry keeps: 100 for the
    // entry, 200 for its text, where a Chinese character and a line break
    // count two.
    HWND key = page.Item(IDC_EDITKEY), value = page.Item(IDC_MEMOVALUE);
    EXPECT_TRUE(IsWindowUnicode(key));  // under Wine only a Unicode edit joins a typed GBK character
    SetWindowTextA(key, std::string(99, 'x').c_str());
    SendMessageW(key, EM_SETSEL, 99, 99);
    SendMessageW(key, WM_CHAR, L'\x704C', 1);  // 灌: one byte too many
    SendMessageW(key, WM_CHAR, L'a', 1);
    SendMessageW(key, WM_CHAR, L'b', 1);
    EXPECT_EQ(Text(key), std::string(99, 'x') + "a");
    SetWindowTextA(value, std::string(197, 'x').c_str());
    SendMessageW(value, EM_SETSEL, 197, 197);
    SendMessageW(value, WM_CHAR, L'\x704C', 1);
    SendMessageW(value, WM_CHAR, L'\r', 1);  // the line break no longer fits
    EXPECT_EQ(Text(value), std::string(197, 'x') + "灌");
    DestroyWindow(parent);
}

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
