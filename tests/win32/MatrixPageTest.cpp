// The text matrix page for real: its fields between the settings file and
// the controls (the font list is built late, yet the same index is stored),
// the byte limits of the typed fields, and the clipboard formats of a copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/TextDelivery.h"
#include "matrix/Clipboard.h"
#include "matrix/MatrixPage.h"
#include "matrix/MatrixPageIds.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32WindowsInput.h"
#include "ui/IniFile.h"

namespace pennora {
namespace {

constexpr const char* kFile = "C:\\Pennora\\Pennora.Ini";

class MatrixPageTest : public ::testing::Test {
protected:
    MatrixPageTest() {
        parent_ = CreateWindowExA(0, "STATIC", "MatrixPageTest", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        page_ = std::make_unique<MatrixPage>(parent_, delivery_);
    }
    ~MatrixPageTest() override {
        page_.reset();
        DestroyWindow(parent_);
    }

    std::string Text(int id) const {
        char text[256] = {};
        GetDlgItemTextA(page_->hwnd(), id, text, sizeof text);
        return text;
    }

    int FontCount() const { return int(ScreenFontList().size()); }

    Win32WindowsInput input_;
    TextDelivery delivery_{input_};
    HWND parent_ = nullptr;
    std::unique_ptr<MatrixPage> page_;
};

// The page is made when first selected, and its font box filled when first
// shown; the close stores the same fields in every case.
TEST_F(MatrixPageTest, StoredFieldsComeBackUnchangedWhetherThePageWasMadeOrShownOrNot) {
    const int fonts = FontCount();
    ASSERT_GT(fonts, 2);
    const struct {
        const char* storedIndex;  // nullptr: no key
        int written;
    } cases[] = {{nullptr, fonts - 1}, {"1", 1}, {"0x0", 0}, {"99999", -1}, {"-1", -1}};
    enum class Page { Unmade, Hidden, Shown };
    for (Page state : {Page::Unmade, Page::Hidden, Page::Shown}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.storedIndex ? c.storedIndex : "none") + ", page state " +
                         std::to_string(int(state)));
            fakes::FakeProfile profile;
            IniFile ini(profile, kFile);
            if (c.storedIndex) profile.Put(kFile, "ChineseGroup", "FontIndex", c.storedIndex);
            // A front text longer than the field takes, as a hand-edited file may hold.
            profile.Put(kFile, "ChineseGroup", "FrontText", "水水水");
            profile.Put(kFile, "ChineseGroup", "BackText", "");
            const StoredMatrixFields stored = ReadMatrixFields(ini);

            ChineseGroup fields;
            if (state == Page::Unmade) {
                fields = MatrixPage::FieldsOfUnmadePage(stored);
            } else {
                page_ = std::make_unique<MatrixPage>(parent_, delivery_);
                page_->Restore(stored);
                if (state == Page::Shown) ShowWindow(page_->hwnd(), SW_SHOW);
                fields = page_->Fields();
            }
            EXPECT_EQ(fields.FontIndex, c.written);
            EXPECT_EQ(fields.FrontText, "水水水");
            EXPECT_EQ(fields.FillText, "灌");
            EXPECT_EQ(fields.BackText, "");
        }
    }
}

TEST_F(MatrixPageTest, TypedFieldsAreHeldToTheirByteLimitsAtACharacterBoundary) {
    const struct {
        int id;
        const char* typed;
        const char* kept;
    } cases[] = {
        {IDC_EDTFRONT, "水水水", "水水"}, {IDC_EDTFRONT, "abcdef", "abcd"}, {IDC_EDTFRONT, "abc水", "abc"},
        {IDC_EDTFILL, "灌水", "灌"},      {IDC_EDTFILL, "a灌", "a"},        {IDC_EDTBACK, "xyz", "xy"},
        {IDC_EDTBACK, "\xA1\xA1", "\xA1\xA1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        HWND field = page_->Item(c.id);
        SetWindowTextA(field, "");
        for (wchar_t typed : ToWide(c.typed)) SendMessageW(field, WM_CHAR, typed, 1);
        EXPECT_EQ(Text(c.id), c.kept);
    }
}

// A release on the icon itself is a drag the user gave up, as one on the
// main window is: the cursor comes back, nothing is clicked, typed or waited
// for, so no click on the icon can arm the drag again.
TEST_F(MatrixPageTest, AReleaseOnTheIconItselfIsADragGivenUp) {
    fakes::FakeWindowsInput input;
    input.cursor = {40, 30};
    TextDelivery delivery{input};
    MatrixPage page(parent_, delivery);
    HWND icon = page.Item(IDC_IMAGE6);
    input.windowUnderCursor = FromHwnd(icon);
    SendMessageW(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(delivery.DragActive());
    input.calls.clear();

    SendMessageW(icon, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    const fakes::CallLog expected = {"GetCursorPos()", "WindowFromPoint(40, 30)", "SetAppCursor(0)"};
    EXPECT_EQ(input.calls, expected);
}

// A second press soon after the first arrives as a double click; it arms the
// drag and the release types the memo like the first press did.
TEST_F(MatrixPageTest, ASecondQuickPressOnTheIconDragsLikeTheFirst) {
    fakes::FakeWindowsInput input;
    input.cursor = {40, 30};
    input.windowUnderCursor = 0x999;  // the field the icon is dropped on
    TextDelivery delivery{input};
    MatrixPage page(parent_, delivery);
    SetDlgItemTextA(page.hwnd(), IDC_MEMO1, "ab");
    HWND icon = page.Item(IDC_IMAGE6);
    const fakes::CallLog typed = {"PostMessageA(0x999, 0x102, 0x61, 1)", "PostMessageA(0x999, 0x102, 0x62, 1)"};

    for (UINT press : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        SCOPED_TRACE(press == WM_LBUTTONDOWN ? "first press" : "second press, a double click");
        input.calls.clear();
        SendMessageW(icon, press, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(delivery.DragActive());
        // Released over another program's field.
        SendMessageW(icon, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        fakes::CallLog posted;
        for (const std::string& call : input.calls)
            if (call.rfind("PostMessageA(", 0) == 0) posted.push_back(call);
        EXPECT_EQ(posted, typed);
        EXPECT_FALSE(delivery.DragActive());
    }
}

// A drop of the icon that does not arrive whole is told as every fill tells
// it; one that arrives says nothing.
TEST_F(MatrixPageTest, ADropThatDoesNotArriveWholeShowsTheFillNotice) {
    struct Case {
        bool posted;
        unsigned lastError;
        Delivery result;
    };
    const Case cases[] = {
        {true, 0, Delivery::Delivered},
        {false, 1816, Delivery::Refused},          // the target's queue is full
        {false, 5, Delivery::RefusedElevated},     // the target has higher rights
        {false, 1400, Delivery::Closed},           // the target is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastError);
        fakes::FakeWindowsInput input;
        input.cursor = {40, 30};
        input.windowUnderCursor = 0x999;  // another program's field
        input.postMessageResult = c.posted;
        input.lastError = c.lastError;
        TextDelivery delivery{input};
        MatrixPage page(parent_, delivery);
        std::vector<std::string> notices;
        page.onDeliveryProblem = [&](const std::string& text) { notices.push_back(text); };
        SetDlgItemTextA(page.hwnd(), IDC_MEMO1, "ab");
        HWND icon = page.Item(IDC_IMAGE6);
        SendMessageW(icon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(icon, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

        const char* expected = DeliveryProblemText(c.result);
        EXPECT_EQ(notices, expected ? std::vector<std::string>{expected} : std::vector<std::string>{});
    }
}

TEST_F(MatrixPageTest, ACopyPutsUnicodeAndAnsiTextOnTheClipboard) {
    const std::string text = "灌\xA1\xA1\r\n\xA1\xA1灌\r\n";
    CopyTextToClipboard(parent_, text);

    ASSERT_TRUE(OpenClipboard(nullptr));
    std::wstring unicode;
    std::string ansi;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        unicode = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        ansi = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(unicode, L"\u704C\u3000\r\n\u3000\u704C\r\n");
    EXPECT_EQ(ansi, text);
}

}  // namespace
}  // namespace pennora
