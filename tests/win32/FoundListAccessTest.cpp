// What a screen reader reads of the drag-fill list: the list's accessible
// object, asked for as a screen reader asks for it, names each line by the
// title it shows and tells where the line is, through finds and after the
// window is gone. The test thread does not join COM itself: the list's
// thread (this one) must do so when it is asked for the object.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "fill/FoundListAccess.h"
#include "fill/TextDelivery.h"
#include "ui/IniFile.h"
#include "win32/DragFillParts.h"

namespace pennora {
namespace {

const std::vector<Entry> kEntries{{"地址", "北京市海淀区", {}, {}},
                                  {"Mail address", "a@b.c", {}, {}},
                                  {"Tel", "010-6275", {}, {}},
                                  {"mail 2", "x@y.z", {}, {}},
                                  {std::string("Fax\0old", 7), "0755", {}, {}}};

VARIANT Child(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// A name as the object gives it, with the call's result.
struct Name {
    HRESULT result;
    std::wstring text;
    bool null;
};
Name NameOf(IAccessible& object, long id) {
    BSTR name = nullptr;
    const HRESULT result = object.get_accName(Child(id), &name);
    Name got{result, name ? std::wstring(name, SysStringLen(name)) : L"", name == nullptr};
    SysFreeString(name);
    return got;
}

class FoundListAccessTest : public ::testing::Test, protected DragFillParts {
protected:
    FoundListAccessTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        files.files[kDataFile] = EncodeDataFile(kEntries);
        dataFile.Load();
        window->FillList(store.WalkDragList());
        window->Show();
    }
    ~FoundListAccessTest() override {
        if (object) object->Release();
    }

    HWND List() const { return GetDlgItem(window->hwnd(), IDC_DF_LISTBOX1); }
    HWND FindBox() const { return GetDlgItem(window->hwnd(), IDC_DF_EDTFIND); }
    void Type(const std::wstring& text) const {
        for (wchar_t c : text) SendMessageW(FindBox(), WM_CHAR, c, 1);
    }
    // Esc in the box, through a message loop like the program's.
    void PressEsc() const {
        for (MSG message : {MSG{FindBox(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}},
                            MSG{FindBox(), WM_KEYUP, VK_ESCAPE, LPARAM(0xC0000001), 0, {}}}) {
            do {
                if (IsDialogMessageW(window->hwnd(), &message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            } while (PeekMessageW(&message, FindBox(), 0, 0, PM_REMOVE));
        }
    }

    // The list's object, as a screen reader asks for it.
    IAccessible& Object() {
        if (!object) {
            const HRESULT result = AccessibleObjectFromWindow(List(), DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                              reinterpret_cast<void**>(&object));
            EXPECT_EQ(result, S_OK);
            if (!object) throw std::runtime_error("no accessible object");
        }
        return *object;
    }

    std::unique_ptr<DragFillWindow> window = std::make_unique<DragFillWindow>(WindowContext());
    IAccessible* object = nullptr;
};

// One object, kept as a screen reader keeps it, follows the lines through
// finds: as many children as lines, each a list item named by its title in
// UTF-16 (up to a NUL it holds, as the line shows it); an id past the lines
// names nothing.
TEST_F(FoundListAccessTest, TheLinesAreNamedByTheTitlesTheyShowThroughFindsAndEsc) {
    const std::vector<std::wstring> all{L"地址", L"Mail address", L"Tel", L"mail 2", L"Fax"};
    const struct {
        const char* step;
        std::function<void()> act;
        std::vector<std::wstring> shown;
    } steps[] = {
        {"all titles", [] {}, all},
        {"a find narrows", [&] { Type(L"mail"); }, {L"Mail address", L"mail 2"}},
        {"a Chinese find", [&] { PressEsc(); Type(L"海淀"); }, {L"地址"}},
        {"nothing found", [&] { Type(L"x"); }, {}},
        {"Esc shows all", [&] { PressEsc(); }, all},
    };
    IAccessible& list = Object();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        long count = -1;
        EXPECT_EQ(list.get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, long(step.shown.size()));
        for (long id = 1; id <= long(step.shown.size()); ++id) {
            const Name name = NameOf(list, id);
            EXPECT_EQ(name.result, S_OK) << "child " << id;
            EXPECT_EQ(name.text, step.shown[id - 1]) << "child " << id;
            VARIANT role{};
            EXPECT_EQ(list.get_accRole(Child(id), &role), S_OK);
            EXPECT_EQ(role.vt, VT_I4);
            EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM) << "child " << id;
        }
        EXPECT_EQ(NameOf(list, long(step.shown.size()) + 1).result, E_INVALIDARG);
    }
}

// The lines changed and the list was not told yet: the line past the
// titles found has no name, the others keep theirs.
TEST_F(FoundListAccessTest, ALineWhoseTitleIsGoneHasNoName) {
    Type(L"mail");
    SendMessageA(List(), LB_SETCOUNT, 3, 0);
    IAccessible& list = Object();
    const Name gone = NameOf(list, 3);
    EXPECT_EQ(gone.result, E_INVALIDARG);
    EXPECT_TRUE(gone.null);
    EXPECT_EQ(NameOf(list, 2).text, L"mail 2");
}

// Where each line is on the screen, found from the list's client area, its
// line height and the top line shown; the point in a shown line's middle
// finds that line, a line scrolled out is off the screen, and the selected
// line is the selection, the focus and the one selected. The list shows two
// lines, scrolled to the first and then to the third.
TEST_F(FoundListAccessTest, EachLineIsWhereTheListShowsItAndTheSelectedLineIsTold) {
    const long height = long(SendMessageA(List(), LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(height, 0);
    RECT frame{}, client{};
    GetWindowRect(List(), &frame);
    GetClientRect(List(), &client);
    SetWindowPos(List(), nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top - client.bottom + 2 * height, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(List(), &client);
    SendMessageA(List(), LB_SETCURSEL, 2, 0);
    SetFocus(List());
    IAccessible& list = Object();
    POINT origin{0, 0};
    ClientToScreen(List(), &origin);
    for (long top : {0, 2}) {
        SendMessageA(List(), LB_SETTOPINDEX, WPARAM(top), 0);
        ASSERT_EQ(SendMessageA(List(), LB_GETTOPINDEX, 0, 0), top);
        for (long id = 1; id <= 5; ++id) {
            SCOPED_TRACE("top line " + std::to_string(top) + ", child " + std::to_string(id));
            const bool shown = id - 1 >= top && id - 1 < top + 2;
            long x = 0, y = 0, width = 0, high = 0;
            EXPECT_EQ(list.accLocation(&x, &y, &width, &high, Child(id)), S_OK);
            EXPECT_EQ(x, origin.x);
            EXPECT_EQ(y, origin.y + (id - 1 - top) * height);
            EXPECT_EQ(width, client.right);
            EXPECT_EQ(high, height);
            if (shown) {
                VARIANT hit{};
                EXPECT_EQ(list.accHitTest(x + width / 2, y + high / 2, &hit), S_OK);
                EXPECT_EQ(hit.vt, VT_I4);
                EXPECT_EQ(hit.lVal, id);
            }
            VARIANT state{};
            EXPECT_EQ(list.get_accState(Child(id), &state), S_OK);
            const long selectedAndFocused = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
            EXPECT_EQ(state.lVal & selectedAndFocused, id == 3 ? selectedAndFocused : 0);
            EXPECT_EQ(state.lVal & STATE_SYSTEM_OFFSCREEN, shown ? 0 : STATE_SYSTEM_OFFSCREEN);
        }
    }
    for (auto question : {&IAccessible::get_accSelection, &IAccessible::get_accFocus}) {
        VARIANT answer{};
        EXPECT_EQ((list.*question)(&answer), S_OK);
        EXPECT_EQ(answer.vt, VT_I4);
        EXPECT_EQ(answer.lVal, 3);
    }
}

// A screen reader may keep the object after the window is gone: every
// question then fails, without touching what went with the window.
TEST_F(FoundListAccessTest, AnObjectKeptAfterTheWindowIsGoneAnswersNothing) {
    IAccessible& list = Object();
    EXPECT_EQ(NameOf(list, 1).text, L"地址");
    window->Close();
    window.reset();
    long count = 0;
    EXPECT_TRUE(FAILED(list.get_accChildCount(&count)));
    EXPECT_TRUE(FAILED(NameOf(list, 1).result));
    EXPECT_TRUE(FAILED(NameOf(list, CHILDID_SELF).result));
    long x = 0, y = 0, width = 0, height = 0;
    EXPECT_TRUE(FAILED(list.accLocation(&x, &y, &width, &height, Child(1))));
    VARIANT answer{};
    EXPECT_TRUE(FAILED(list.get_accRole(Child(1), &answer)));
    EXPECT_TRUE(FAILED(list.get_accState(Child(CHILDID_SELF), &answer)));
    EXPECT_TRUE(FAILED(list.accHitTest(0, 0, &answer)));
    EXPECT_TRUE(FAILED(list.get_accFocus(&answer)));
}

// A screen reader's questions reach the list through COM, which the list's
// thread joins when it is first asked: also a thread that was in no COM
// apartment (under Wine the input method puts a thread in one once a window
// of it has the keyboard, so this one shows nothing).
TEST_F(FoundListAccessTest, AListOnAThreadOutsideComJoinsItWhenAsked) {
    std::thread([&] {
        DragFillWindow own{WindowContext()};
        own.FillList(store.WalkDragList());
        APTTYPE type{};
        APTTYPEQUALIFIER qualifier{};
        ASSERT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
        IAccessible* list = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(GetDlgItem(own.hwnd(), IDC_DF_LISTBOX1), DWORD(OBJID_CLIENT),
                                             __uuidof(IAccessible), reinterpret_cast<void**>(&list)),
                  S_OK);
        long count = 0;
        EXPECT_EQ(list->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, 5);
        EXPECT_EQ(NameOf(*list, 2).text, L"Mail address");
        list->Release();
    }).join();
}

// The list itself is named by what its lines are, not by their titles
// (its window text, every line, is for automation tools), and is a list;
// a child id comes as a script or a screen reader passes it.
TEST_F(FoundListAccessTest, TheListIsAListNamedShortlyHoweverItsIdIsPassed) {
    IAccessible& list = Object();
    const auto variant = [](VARTYPE type, long value) {
        VARIANT v{};
        v.vt = type;
        if (type == VT_I2) v.iVal = SHORT(value);
        if (type == VT_I4) v.lVal = value;
        if (type == VT_ERROR) v.scode = value;
        return v;
    };
    const struct {
        const char* how;
        VARIANT child;
        const wchar_t* name;
        long role;
    } cases[] = {
        {"the list's id", variant(VT_I4, CHILDID_SELF), L"标题", ROLE_SYSTEM_LIST},
        {"nothing", variant(VT_EMPTY, 0), L"标题", ROLE_SYSTEM_LIST},
        {"left out", variant(VT_ERROR, DISP_E_PARAMNOTFOUND), L"标题", ROLE_SYSTEM_LIST},
        {"a short number", variant(VT_I2, 1), L"地址", ROLE_SYSTEM_LISTITEM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        BSTR name = nullptr;
        EXPECT_EQ(list.get_accName(c.child, &name), S_OK);
        EXPECT_EQ(name ? std::wstring(name, SysStringLen(name)) : L"", c.name);
        SysFreeString(name);
        VARIANT role{};
        EXPECT_EQ(list.get_accRole(c.child, &role), S_OK);
        EXPECT_EQ(role.vt, VT_I4);
        EXPECT_EQ(role.lVal, c.role);
    }
    BSTR name = nullptr;
    EXPECT_EQ(list.get_accName(variant(VT_BSTR, 0), &name), E_INVALIDARG);
    EXPECT_EQ(name, nullptr);
}

// The message by which the object asks the list for a title is known to
// every program: sent from elsewhere it answers nothing and writes nothing,
// whatever it points at.
TEST_F(FoundListAccessTest, TheTitleMessageFromElsewhereWritesNothing) {
    std::string buffer(64, '#');
    LRESULT answer = -1;
    std::atomic<bool> sent{false};
    std::thread other([&] {
        answer = SendMessageA(List(), LineTitleMessage(), 0, reinterpret_cast<LPARAM>(&buffer));
        sent = true;
    });
    // The other thread's message is taken while this one looks at its queue.
    while (!sent) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(1);
    }
    other.join();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(buffer, std::string(64, '#'));
    EXPECT_EQ(SendMessageA(List(), LineTitleMessage(), 0, reinterpret_cast<LPARAM>(&buffer)), 0);
    EXPECT_EQ(buffer, std::string(64, '#'));
}

// A screen reader hears of a find: the list's lines are others now.
TEST_F(FoundListAccessTest, AFindTellsThatTheLinesChanged) {
    static std::vector<HWND> reordered;
    reordered.clear();
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
            if (object == OBJID_CLIENT && child == CHILDID_SELF) reordered.push_back(hwnd);
        },
        0, GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    Type(L"mail");
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    UnhookWinEvent(hook);
    EXPECT_NE(std::find(reordered.begin(), reordered.end(), List()), reordered.end());
}

// A caller of LB_GETTEXT on a list without strings makes room for an item's
// data only; the list must write no title past it.
TEST_F(FoundListAccessTest, LbGetTextWritesNoTitlePastAnItemsData) {
    struct {
        char data[sizeof(ULONG_PTR)];
        char after[24];
    } buffer{};
    std::fill(std::begin(buffer.after), std::end(buffer.after), '#');
    SendMessageA(List(), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buffer.data));
    EXPECT_EQ(std::string(buffer.after, sizeof buffer.after), std::string(sizeof buffer.after, '#'));
}

}  // namespace
}  // namespace pennora
