// Every byte-limited box of the pages, on the real controls, whatever way the
// text arrives: typed (WM_CHAR, WM_IME_CHAR), pasted (WM_PASTE, Shift+Insert),
// put in by EM_REPLACESEL, or the result of an input method. What would pass
// the limit is refused at a character boundary and what the box held stays.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "browser/BrowserIntegration.h"
#include "browser/BrowserPageIds.h"
#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryEditorIds.h"
#include "entries/EntryEditorPage.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/TextDelivery.h"
#include "matrix/MatrixPage.h"
#include "matrix/MatrixPageIds.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/ClipboardText.h"
#include "platform/win32/Win32FileSystem.h"

namespace pennora {
namespace {

constexpr wchar_t kChinese = L'\x704C';  // 灌: two GBK bytes

void DispatchPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

std::wstring TextOf(HWND box) {
    std::wstring text(size_t(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(box, text.data(), int(text.size()))));
    return text;
}

void PutOnClipboard(HGLOBAL block) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

HGLOBAL BlockOf(const std::wstring& chars) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, chars.size() * sizeof(wchar_t));
    memcpy(GlobalLock(block), chars.data(), chars.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

void PutOnClipboard(const std::wstring& text) { PutOnClipboard(BlockOf(text + L'\0')); }

void WithShiftDown(const std::function<void()>& action) {
    BYTE keys[256] = {}, held[256] = {};
    GetKeyboardState(keys);
    memcpy(held, keys, sizeof keys);
    held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    SetKeyboardState(held);
    action();
    SetKeyboardState(keys);
}

// The input method composes the text at the caret and completes it.
void Compose(HWND box, const std::wstring& text) {
    HIMC context = ImmGetContext(box);
    ASSERT_NE(context, nullptr);
    ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(text.c_str()), DWORD(text.size() * sizeof(wchar_t)),
                             nullptr, 0);
    ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ImmReleaseContext(box, context);
}

struct Route {
    const char* name;
    std::function<void(HWND box, const std::wstring& text)> put;
};

const Route kRoutes[] = {
    {"typed", [](HWND box, const std::wstring& text) { for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1); }},
    {"WM_IME_CHAR", [](HWND box, const std::wstring& text) { for (wchar_t c : text) SendMessageW(box, WM_IME_CHAR, c, 1); }},
    {"WM_PASTE",
     [](HWND box, const std::wstring& text) {
         PutOnClipboard(text);
         SendMessageW(box, WM_PASTE, 0, 0);
     }},
    {"Shift+Insert",
     [](HWND box, const std::wstring& text) {
         PutOnClipboard(text);
         WithShiftDown([box] { SendMessageW(box, WM_KEYDOWN, VK_INSERT, 0x01520001); });
     }},
    {"EM_REPLACESEL",
     [](HWND box, const std::wstring& text) { SendMessageW(box, EM_REPLACESEL, TRUE, LPARAM(text.c_str())); }},
    {"input method", Compose},
};

// A text of `bytes` GBK bytes: Chinese characters, and one ASCII letter when
// the count is odd.
std::wstring TextOfBytes(size_t bytes) { return std::wstring(bytes / 2, kChinese) + (bytes % 2 ? L"x" : L""); }

class ByteLimitedBoxesTest : public ::testing::Test {
protected:
    ByteLimitedBoxesTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        files.files[kDataPath] = EncodeDataFile({{"A", "1", std::nullopt, std::nullopt}});
        dataFile.Load();
        parent = CreateWindowExW(0, L"STATIC", L"limited boxes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
        editor = std::make_unique<EntryEditorPage>(parent, store, logic, files, "Z:\\tmp\\");
        browser = std::make_unique<BrowserIntegration>(parent, parent, "C:\\pennora-limits\\", "KestovaPennora", boxes,
                                                       realFiles);
        browser->page().LoadIEMenuPage();
        HWND menuPage = browser->page().hwnd();
        SendMessageW(menuPage, WM_COMMAND, MAKEWPARAM(IDC_BTNNEW, BN_CLICKED), LPARAM(GetDlgItem(menuPage, IDC_BTNNEW)));
        matrix = std::make_unique<MatrixPage>(parent, delivery);
        DispatchPending();
    }
    ~ByteLimitedBoxesTest() override {
        matrix.reset();
        browser.reset();
        editor.reset();
        DestroyWindow(parent);
    }

    struct Box {
        const char* name;
        HWND window;
        size_t limit;
    };
    std::vector<Box> Boxes() const {
        return {{"title box", GetDlgItem(editor->hwnd(), IDC_DBEDIT1), 50},
                {"menu name", browser->page().Item(IDC_EDITKEY), 100},
                {"menu text", browser->page().Item(IDC_MEMOVALUE), 200},
                {"matrix word", matrix->Item(IDC_EDTFRONT), 4},
                {"matrix fill", matrix->Item(IDC_EDTFILL), 2},
                {"matrix back", matrix->Item(IDC_EDTBACK), 2}};
    }

    static constexpr const char* kDataPath = "C:\\Pennora\\Pennora.Dat";
    fakes::FakeFileSystem files;
    fakes::FakeWindowsInput boxes;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kDataPath};
    ModeFlags flags;
    EntryEditorLogic logic{store, dataFile, flags, boxes, 0};
    Win32FileSystem realFiles;
    fakes::FakeWindowsInput pointer;
    TextDelivery delivery{pointer};
    HWND parent = nullptr;
    std::unique_ptr<EntryEditorPage> editor;
    std::unique_ptr<BrowserIntegration> browser;
    std::unique_ptr<MatrixPage> matrix;
};

// "a灌" arrives at the start, in the middle or at the end of a box one byte
// short of its limit: the "a" is taken, the 灌 would pass the limit. At the
// limit nothing is taken, and the box keeps all it held.
TEST_F(ByteLimitedBoxesTest, WhatWouldPassTheLimitIsRefusedAndWhatTheBoxHeldStays) {
    const std::wstring arriving = std::wstring(L"a") + kChinese;
    for (const Box& box : Boxes()) {
        for (const Route& route : kRoutes) {
            for (const bool full : {false, true}) {
                const std::wstring held = TextOfBytes(full ? box.limit : box.limit - 1);
                for (const size_t at : {size_t(0), held.size() / 2, held.size()}) {
                    SCOPED_TRACE(std::string(box.name) + ", " + route.name + (full ? ", full box" : ", one byte free") +
                                 ", at character " + std::to_string(at));
                    SetWindowTextW(box.window, held.c_str());
                    SetFocus(box.window);
                    SendMessageW(box.window, EM_SETSEL, at, at);
                    route.put(box.window, arriving);
                    DispatchPending();
                    const std::wstring expected = full ? held : held.substr(0, at) + L"a" + held.substr(at);
                    EXPECT_EQ(TextOf(box.window), expected);
                }
            }
        }
    }
}

// "水水" arrives over a selection in a full box: it takes the whole
// characters that fit in the room the selection frees, in the selection's
// place. When not even the first fits, the box keeps its text and the
// selection stays selected: a refused insertion deletes nothing.
TEST_F(ByteLimitedBoxesTest, WhatArrivesOverASelectionReplacesItOnlyAsFarAsItFits) {
    constexpr wchar_t kWater = L'\x6C34';  // 水: two GBK bytes
    const std::wstring arriving(2, kWater);
    for (const Box& box : Boxes()) {
        // Full, with a one-byte "x" first: "x灌…" and an "x" last when odd.
        const std::wstring held = L"x" + TextOfBytes(box.limit - 1);
        // Full, with one-byte "x" and "y" first: "xy灌…".
        const std::wstring heldXY = L"xy" + TextOfBytes(box.limit - 2);
        const struct {
            const char* name;
            const std::wstring& held;
            DWORD start, end;
            std::wstring expected;
        } cases[] = {
            // One byte freed: 水 does not fit, the "x" stays selected.
            {"the x selected", held, 0, 1, held},
            // The same after the first character: the "y" stays selected in
            // its own place.
            {"the y selected", heldXY, 1, 2, heldXY},
            // "x" and the next character freed: one 水 fits in their place.
            {"the first two characters selected", held, 0, 2, std::wstring(1, kWater) + held.substr(2)},
            {"everything selected", held, 0, DWORD(held.size()), arriving.substr(0, std::min<size_t>(2, box.limit / 2))},
        };
        for (const Route& route : kRoutes) {
            for (const auto& c : cases) {
                SCOPED_TRACE(std::string(box.name) + ", " + route.name + ", " + c.name);
                SetWindowTextW(box.window, c.held.c_str());
                SetFocus(box.window);
                SendMessageW(box.window, EM_SETSEL, c.start, c.end);
                route.put(box.window, arriving);
                DispatchPending();
                EXPECT_EQ(TextOf(box.window), c.expected);
                if (c.expected == c.held) {
                    DWORD start = 0, end = 0;
                    SendMessageW(box.window, EM_GETSEL, WPARAM(&start), LPARAM(&end));
                    EXPECT_EQ(start, c.start);
                    EXPECT_EQ(end, c.end);
                }
            }
        }
    }
}

// A composition given up over a selection, or one that ends with nothing,
// takes nothing in the selection's place: the box keeps its text and the
// selection stays selected where it was.
TEST_F(ByteLimitedBoxesTest, ACompositionEndedWithNothingOverASelectionLosesNothing) {
    constexpr wchar_t kWater = L'\x6C34';  // 水
    const struct {
        const char* name;
        std::function<void(HIMC)> end;
    } endings[] = {
        {"given up", [](HIMC context) { ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0); }},
        {"emptied and completed",
         [](HIMC context) {
             ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(L""), 0, nullptr, 0);
             ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
         }},
    };
    for (const Box& box : Boxes()) {
        // "xy灌…", with room for a 水 more where the box has room for more
        // than "xy": what ends the composition is not the limit.
        const std::wstring held = L"xy" + TextOfBytes(box.limit > 4 ? box.limit - 4 : 0);
        const std::pair<DWORD, DWORD> selections[] = {{1, 2}, {0, DWORD(held.size())}};
        for (const auto& ending : endings) {
            for (const auto& [start, end] : selections) {
                SCOPED_TRACE(std::string(box.name) + ", " + ending.name + ", selection " + std::to_string(start) +
                             "-" + std::to_string(end));
                SetWindowTextW(box.window, held.c_str());
                SetFocus(box.window);
                SendMessageW(box.window, EM_SETSEL, start, end);
                HIMC context = ImmGetContext(box.window);
                ASSERT_NE(context, nullptr);
                const std::wstring composing(1, kWater);
                ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(composing.c_str()),
                                         DWORD(composing.size() * sizeof(wchar_t)), nullptr, 0);
                ending.end(context);
                ImmReleaseContext(box.window, context);
                DispatchPending();
                EXPECT_EQ(TextOf(box.window), held);
                DWORD selectedStart = 0, selectedEnd = 0;
                SendMessageW(box.window, EM_GETSEL, WPARAM(&selectedStart), LPARAM(&selectedEnd));
                EXPECT_EQ(selectedStart, start);
                EXPECT_EQ(selectedEnd, end);
            }
        }
    }
}

// A character GBK does not have (one beyond the basic plane, typed as a
// surrogate pair or sent whole, or a letter the code page would only give
// as a look-alike) would be stored as "?" or as that look-alike while the
// box shows it. The entry editor's title box, content box and in-place
// title editor refuse it however it arrives, take the rest, and store what
// they show.
TEST_F(ByteLimitedBoxesTest, CharactersGbkLacksAreRefusedAndNeverStored) {
    const std::wstring arriving = L"a\xD83D\xDE00\x0100" L"b";  // a, U+1F600, A with macron, b
    const Route routes[] = {
        {"WM_CHAR", [](HWND box, const std::wstring& text) { for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1); }},
        {"WM_UNICHAR",
         [](HWND box, const std::wstring&) {
             for (WPARAM c : {WPARAM(0x1F600), WPARAM(0x100)}) SendMessageW(box, WM_UNICHAR, c, 1);
         }},
        {"paste",
         [](HWND box, const std::wstring& text) {
             PutOnClipboard(text);
             SendMessageW(box, WM_PASTE, 0, 0);
         }},
    };
    enum class Where { TitleBox, ContentBox, InPlace };
    const std::pair<const char*, Where> places[] = {
        {"title box", Where::TitleBox}, {"content box", Where::ContentBox}, {"in-place title", Where::InPlace}};
    HWND page = editor->hwnd(), grid = GetDlgItem(page, IDC_DBGRID1);
    for (const auto& [placeName, where] : places) {
        for (const Route& route : routes) {
            SCOPED_TRACE(std::string(placeName) + ", " + route.name);
            store.Cancel();
            HWND box = GetDlgItem(page, where == Where::ContentBox ? IDC_DBMEMO1 : IDC_DBEDIT1);
            if (where == Where::InPlace) {
                // As a click or F2 starts it: a Unicode editor (one the
                // program's own ANSI request would make gets "?" from the
                // system before any check could see the character).
                SetFocus(grid);
                ASSERT_TRUE(SendMessageW(grid, LVM_EDITLABELW, 0, 0));
                box = ListView_GetEditControl(grid);
                ASSERT_TRUE(box);
            }
            SetFocus(box);
            const std::wstring held = TextOf(box);
            SendMessageW(box, EM_SETSEL, held.size(), held.size());
            route.put(box, arriving);
            DispatchPending();
            const std::wstring shown = TextOf(box);
            if (route.name != std::string("WM_UNICHAR")) EXPECT_EQ(shown, held + L"ab");
            EXPECT_EQ(shown.find_first_of(L"\xD83D\xDE00\x0100"), std::wstring::npos);
            if (where == Where::InPlace) SetFocus(grid);  // ends the editor, its title to the store
            DispatchPending();
            const Entry& row = store.Row(0);
            const std::string stored = (where == Where::ContentBox ? row.content : row.title).value_or("");
            EXPECT_EQ(stored.find('?'), std::string::npos) << stored;
            EXPECT_EQ(stored, ToAnsi(shown));
        }
    }
}

// Another program's clipboard block need not end in a zero: the paste reads
// no further than the block, though more characters follow it in memory.
TEST(ClipboardTextTest, ReadsNoFurtherThanTheBlock) {
    HGLOBAL block = BlockOf(std::wstring(32, L'b'));
    block = GlobalReAlloc(block, 2 * sizeof(wchar_t), GMEM_MOVEABLE);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(TextOfUnicodeBlock(block), L"bb");
    GlobalFree(block);
}

}  // namespace
}  // namespace pennora
