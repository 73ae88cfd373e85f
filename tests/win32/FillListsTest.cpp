// The two fill lists on the real controls: the drag-fill window's list box
// and the hot-key fill menu, rebuilt from the store after every stored change
// by replacing only the run of titles that differs; and what the drag-fill
// window tells of a drop whose text the target refused.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/DragFillIds.h"
#include "fill/DragFillWindow.h"
#include "fill/FillMenu.h"
#include "fill/FindBox.h"
#include "fill/FoundList.h"
#include "fill/TextDelivery.h"
#include "platform/win32/Handles.h"
#include "ui/IniFile.h"
#include "win32/DragFillParts.h"
#include "win32/WinePaths.h"

namespace pennora {
namespace {

using Titles = std::vector<std::string>;

// What the menu shows and what choosing each item gives, against the titles:
// one item per title in order, each with its caption and an id of its own
// that leads back to that caption. Empty when all agree.
std::string MenuDisagreement(const FillMenu& menu, const Titles& titles) {
    HMENU handle = menu.handle();
    const int count = GetMenuItemCount(handle);
    if (count != int(titles.size()))
        return std::to_string(count) + " items for " + std::to_string(titles.size()) + " titles";
    std::set<UINT> ids;
    for (int position = 0; position < count; ++position) {
        char caption[256] = {};
        GetMenuStringA(handle, UINT(position), caption, sizeof caption, MF_BYPOSITION);
        const UINT id = GetMenuItemID(handle, position);
        const std::string at = " at " + std::to_string(position);
        if (caption != titles[position]) return "caption \"" + std::string(caption) + "\"" + at;
        if (!ids.insert(id).second) return "id " + std::to_string(id) + " twice, again" + at;
        if (menu.CaptionOf(id) != titles[position]) return "id " + std::to_string(id) + at + " chooses another title";
    }
    return {};
}

class FillListsTest : public ::testing::Test, protected DragFillParts {
protected:
    FillListsTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }

    DragFillWindow window{WindowContext()};
    FillMenu menu;

    HWND List() const { return GetDlgItem(window.hwnd(), IDC_DF_LISTBOX1); }

    // Drags line `line` of the list onto another program's field: what that
    // field is sent, as text. `whileDragging` runs between press and release.
    std::string DropLine(int line, const std::function<void()>& whileDragging = {}) {
        input.windowUnderCursor = kOtherField;
        input.calls.clear();
        RECT rect{};
        SendMessageA(List(), LB_GETITEMRECT, WPARAM(line), reinterpret_cast<LPARAM>(&rect));
        SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.left + 5, rect.top + 5));
        if (whileDragging) whileDragging();
        SendMessageA(window.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(400, 300));  // it holds the capture
        ReleaseCapture();  // the list's own press took it; the fake did not move it to the window
        std::string typed;
        const std::string charTo = "PostMessageA(" + fakes::Hex(kOtherField) + ", 0x102, ";
        for (const std::string& call : input.calls)
            if (call.rfind(charTo, 0) == 0) typed += char(std::stoul(call.substr(charTo.size()), nullptr, 16));
        return typed;
    }
    std::string DropTheFirstLine(const std::function<void()>& whileDragging = {}) { return DropLine(0, whileDragging); }
    bool Clicked() const {
        for (const std::string& call : input.calls)
            if (call.rfind("mouse_event", 0) == 0) return true;
        return false;
    }

    // The find box, as the user types into it.
    HWND FindBox() const { return GetDlgItem(window.hwnd(), IDC_DF_EDTFIND); }
    void Type(const std::wstring& text) const {
        for (wchar_t c : text) SendMessageW(FindBox(), WM_CHAR, c, 1);
    }
    // A key pressed in the box goes through a message loop like the
    // program's, which lets every window's dialog navigation look at it.
    void Press(UINT key) const {
        for (MSG message : {MSG{FindBox(), WM_KEYDOWN, key, 1}, MSG{FindBox(), WM_KEYUP, key, LPARAM(0xC0000001)}}) {
            do {
                if (IsDialogMessageW(window.hwnd(), &message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            } while (PeekMessageW(&message, FindBox(), 0, 0, PM_REMOVE));
        }
    }
    std::wstring FindText() const {
        wchar_t text[256] = {};
        GetWindowTextW(FindBox(), text, 256);
        return text;
    }

    // Loads entries (all in both lists) and keeps the drag-fill list as the
    // store's after-post handler keeps it while drag fill is on.
    void LoadRunning(const std::vector<Entry>& entries) {
        files.files[kDataFile] = EncodeDataFile(entries);
        dataFile.Load();
        flags.dragFillOn = true;
        store.SetAfterPost([&] {
            ClientDataSet1AfterPost(store, flags, {{}, [&](const Titles& titles) { window.FillList(titles); }});
        });
        window.FillList(store.WalkDragList());
    }

    static constexpr Hwnd kOtherField = 0x4242;
    ModeFlags flags;
};

// Every entry is in both lists, so both show the titles of all rows.
TEST_F(FillListsTest, ListBoxAndMenuFollowInsertsDeletesAndRenamesAmongRepeatedTitles) {
    files.files[kDataFile] = EncodeDataFile({{"a", "1", {}, {}}, {"b", "2", {}, {}}, {"a", "3", {}, {}}, {"c", "4", {}, {}}});
    dataFile.Load();
    ModeFlags flags;
    flags.hotKeyOn = flags.dragFillOn = true;
    store.SetAfterPost([&] {
        ClientDataSet1AfterPost(store, flags,
                                {[&](const Titles& titles) { menu.Rebuild(titles); },
                                 [&](const Titles& titles) { window.FillList(titles); }});
    });
    window.FillList(store.WalkDragList());
    menu.Rebuild(store.WalkHotKeyList());

    const auto insert = [&](std::size_t row, const char* title) {
        store.MoveTo(row);
        store.Insert();
        store.SetTitle(title);
        store.Post();
    };
    const auto rename = [&](std::size_t row, const char* title) {
        store.MoveTo(row);
        store.SetTitle(title);
        store.Post();
    };
    const auto remove = [&](std::size_t row) {
        store.MoveTo(row);
        store.Delete();
    };
    const struct {
        const char* name;
        std::function<void()> change;
        Titles titles;
    } steps[] = {
        {"a repeat inserted in the middle", [&] { insert(2, "a"); }, {"a", "b", "a", "a", "c"}},
        {"a repeat inserted at a joint of repeats", [&] { insert(3, "a"); }, {"a", "b", "a", "a", "a", "c"}},
        {"deleted at a joint of repeats", [&] { remove(3); }, {"a", "b", "a", "a", "c"}},
        {"the middle renamed to a repeat", [&] { rename(1, "a"); }, {"a", "a", "a", "a", "c"}},
        {"a repeat deleted at the front", [&] { remove(0); }, {"a", "a", "a", "c"}},
        {"a repeat renamed in the middle", [&] { rename(1, "c"); }, {"a", "c", "a", "c"}},
        {"deleted in the middle", [&] { remove(1); }, {"a", "a", "c"}},
        {"the last renamed to a repeat", [&] { rename(2, "a"); }, {"a", "a", "a"}},
        {"a repeat deleted at the back", [&] { remove(2); }, {"a", "a"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(window.ListedTitles(), step.titles);
        EXPECT_EQ(MenuDisagreement(menu, step.titles), "");
    }
}

// Every rebuild that replaces one title gives its new item a new id; a long
// run uses up the 16-bit ids many times over while the head of the menu keeps
// its first ones. A choice must still type the title it shows.
TEST_F(FillListsTest, MenuIdsStayUniqueAfterTheIdsHaveRunOut) {
    constexpr int kRenames = 50'000;
    std::string disagreement;
    int rename = 0;
    for (; rename < kRenames && disagreement.empty(); ++rename) {
        const Titles titles{"head", rename % 2 ? "odd" : "even", "tail"};
        menu.Rebuild(titles);
        disagreement = MenuDisagreement(menu, titles);
    }
    EXPECT_EQ(disagreement, "") << "after " << rename << " renames";
}

Titles Numbered(int count) {
    Titles titles;
    for (int i = 0; i < count; ++i) titles.push_back("title " + std::to_string(i));
    return titles;
}

// Runs the message loop until `done` holds, as the program's loop would;
// a test that waits for nothing more than a few seconds has failed.
bool RunMessagesUntil(const std::function<bool()>& done) {
    for (int wait = 0; wait < 1000 && !done(); ++wait) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT) != WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    return done();
}

// A long menu grows under Wine at a few items a millisecond or slower: what
// does not fit in a turn of work is done while the program waits for
// messages, towards the titles of the latest rebuild.
TEST_F(FillListsTest, AMenuThatCannotCatchUpAtOnceDoesSoWhileIdleTowardsTheLatestTitles) {
    FillMenu slow(0);  // no time for more than the least in each turn
    Titles titles = Numbered(20);
    slow.Rebuild(titles);
    ASSERT_FALSE(slow.CaughtUp());
    EXPECT_EQ(slow.Captions(), titles);
    titles.erase(titles.begin() + 1);
    titles.push_back("a title added meanwhile");
    slow.Rebuild(titles);
    EXPECT_TRUE(RunMessagesUntil([&] { return slow.CaughtUp(); }));
    EXPECT_EQ(MenuDisagreement(slow, titles), "");
}

// While the menu of the next test is open, its items are counted and it is
// closed: a thread timer, which the menu's own message loop runs.
HMENU menuShown = nullptr;
int itemsShown = -1;
void CALLBACK CountAndCloseTheMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    itemsShown = GetMenuItemCount(menuShown);
    EndMenu();
}

TEST_F(FillListsTest, AMenuIsShownWithAllItsTitlesThoughItHadNotCaughtUp) {
    FillMenu slow(0);
    slow.Rebuild(Numbered(20));
    ASSERT_FALSE(slow.CaughtUp());
    menuShown = slow.handle();
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, CountAndCloseTheMenu);
    EXPECT_EQ(slow.Popup({100, 100}), std::nullopt);
    EXPECT_EQ(itemsShown, 20);
    EXPECT_EQ(MenuDisagreement(slow, Numbered(20)), "");
}

std::string StatusText(HWND window) {
    char text[256] = {};
    // (Wine answers the simple-mode text for part 0, not for SB_SIMPLEID.)
    SendDlgItemMessageA(window, IDC_DF_STATUSBAR1, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// The user drops a title on a field of a program that refuses the posted
// characters (one running with higher rights). The drag-fill window is where
// the user looks then, and what it tells stays until the next drag starts.
TEST_F(FillListsTest, ADropTheTargetRefusedIsToldOnTheDragFillWindowUntilTheNextDrag) {
    files.files[kDataFile] = EncodeDataFile({{"a", "text", {}, {}}});
    dataFile.Load();
    window.FillList(store.WalkDragList());
    const auto drop = [&] {
        std::string whileDragging;
        DropTheFirstLine([&] { whileDragging = StatusText(window.hwnd()); });
        return whileDragging;
    };
    const std::string fixedText = StatusText(window.hwnd());
    ASSERT_EQ(fixedText, "    拖动快填");

    input.postMessageResult = false;
    drop();
    ASSERT_EQ(input.calls.back(), "SetAppCursor(0)");  // the drop ran to its end
    EXPECT_EQ(StatusText(window.hwnd()), kDropRefusedStatus);

    input.postMessageResult = true;
    EXPECT_EQ(drop(), fixedText);
    EXPECT_EQ(StatusText(window.hwnd()), fixedText);
}

// A child's place in its parent's client area.
RECT ChildRect(HWND window, int id) {
    RECT rect;
    GetWindowRect(GetDlgItem(window, id), &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Why the status line of the drag-fill window does not show `text` whole
// where the user reads it; empty when it does. The text is laid out in the
// status line's own font, broken into lines as a multi-line box breaks them,
// and must fit inside its borders; the status line must lie in the window,
// below the list.
std::string WholeTextFault(HWND window, const std::string& text) {
    if (StatusText(window) != text) return "it holds \"" + StatusText(window) + "\"";
    HWND status = GetDlgItem(window, IDC_DF_STATUSBAR1);
    if (!IsWindowVisible(status) && IsWindowVisible(window)) return "the status line is hidden";
    RECT client, inside;
    GetClientRect(window, &client);
    const RECT bar = ChildRect(window, IDC_DF_STATUSBAR1), list = ChildRect(window, IDC_DF_LISTBOX1);
    if (bar.top < 0 || bar.bottom > client.bottom || bar.left < 0 || bar.right > client.right)
        return "the status line reaches out of the window";
    if (list.bottom > bar.top) return "the list covers the status line";
    GetClientRect(status, &inside);
    int borders[3] = {};
    SendMessageA(status, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    InflateRect(&inside, -borders[0], -borders[1]);
    auto font = reinterpret_cast<HFONT>(SendMessageA(status, WM_GETFONT, 0, 0));
    HDC dc = GetDC(status);
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT needed{0, 0, inside.right - inside.left, 0};
    DrawTextA(dc, text.c_str(), int(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(status, dc);
    const SIZE room{inside.right - inside.left, inside.bottom - inside.top};
    if (needed.right > room.cx || needed.bottom > room.cy)
        return "it needs " + std::to_string(needed.right) + "x" + std::to_string(needed.bottom) + " px, has " +
               std::to_string(room.cx) + "x" + std::to_string(room.cy);
    return {};
}

// Moves the window to a monitor of `dpi` as the system does: it is told the
// DPI and the place it is given there.
void MoveToDpi(HWND window, int dpi) {
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT suggested{rect.left, rect.top, rect.left + MulDiv(150, dpi, 96), rect.top + MulDiv(273, dpi, 96)};
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Every way a drop can end short, as the fake makes the target behave: what
// the user is to read about it.
struct DropProblem {
    const char* name;
    std::function<void(fakes::FakeWindowsInput&, bool& tabToNextField)> arrange;
    const char* told;
};
const std::vector<DropProblem>& DropProblems() {
    static const std::vector<DropProblem> problems{
        {"refused", [](auto& input, bool&) { input.postMessageResult = false; }, kDropRefusedStatus},
        {"higher rights",
         [](auto& input, bool&) {
             input.postMessageResult = false;
             input.lastError = ERROR_ACCESS_DENIED;
         },
         DeliveryProblemText(Delivery::RefusedElevated)},
        {"target closed",
         [](auto& input, bool&) {
             input.postMessageResult = false;
             input.lastError = ERROR_INVALID_WINDOW_HANDLE;
         },
         DeliveryProblemText(Delivery::Closed)},
        {"focus unreadable at a Tab",
         [](auto& input, bool& tabs) {
             tabs = true;
             input.windowThreads[0x4242] = {7, 0x600};
         },
         DeliveryProblemText(Delivery::FocusUnknown)},
        {"focus stayed at a Tab",
         [](auto& input, bool& tabs) {
             tabs = true;
             input.windowThreads[0x4242] = {7, 0x600};
             input.threadFocus = {Hwnd(0x4242)};
             input.classNames[0x4242] = "Edit";
         },
         DeliveryProblemText(Delivery::FocusStayed)},
        {"Tabs too slow",
         [](auto& input, bool& tabs) {
             tabs = true;
             input.windowThreads[0x4242] = {7, 0x600};
             input.threadFocus = {Hwnd(0x4242)};
             input.classNames[0x4242] = "Edit";
             input.whileWaiting = [&input] { input.ticks += kFillWaitLimitMs; };
         },
         DeliveryProblemText(Delivery::TooSlow)},
    };
    return problems;
}

// The target takes every key again.
void Obliging(fakes::FakeWindowsInput& input) {
    input.postMessageResult = true;
    input.lastError = 0;
    input.windowThreads.clear();
    input.threadFocus.clear();
    input.classNames.clear();
    input.whileWaiting = {};
}

// Whatever went wrong, the user reads all of it at the drag-fill window, at
// every display scale, with no box in the way of the next drag: the status
// line grows to the lines the text needs, the list gives up the room, and
// both are back as they were when the next drag starts.
TEST_F(FillListsTest, EveryDropProblemIsShownWholeInTheStatusLineAtEveryScaleUntilTheNextDrag) {
    files.files[kDataFile] = EncodeDataFile({{"a", "x\ty", {}, {}}});
    dataFile.Load();
    window.FillList(store.WalkDragList());
    for (const int dpi : {96, 120, 144, 192}) {
        MoveToDpi(window.hwnd(), dpi);
        const RECT listBefore = ChildRect(window.hwnd(), IDC_DF_LISTBOX1);
        const RECT barBefore = ChildRect(window.hwnd(), IDC_DF_STATUSBAR1);
        for (const DropProblem& problem : DropProblems()) {
            SCOPED_TRACE(std::to_string(dpi) + " DPI, " + problem.name);
            Obliging(input);
            tabToNextField = false;
            problem.arrange(input, tabToNextField);
            DropTheFirstLine();
            ASSERT_EQ(input.calls.back(), "SetAppCursor(0)");  // the drop ran to its end
            EXPECT_EQ(WholeTextFault(window.hwnd(), problem.told), "");

            // The notice follows the window to another scale.
            if (dpi == 192) {
                MoveToDpi(window.hwnd(), 96);
                EXPECT_EQ(WholeTextFault(window.hwnd(), problem.told), "") << "moved back to 96 DPI";
                MoveToDpi(window.hwnd(), dpi);
                EXPECT_EQ(WholeTextFault(window.hwnd(), problem.told), "") << "and to 192 DPI again";
            }

            Obliging(input);
            tabToNextField = false;
            RECT listWhileDragging{}, barWhileDragging{};
            DropTheFirstLine([&] {
                listWhileDragging = ChildRect(window.hwnd(), IDC_DF_LISTBOX1);
                barWhileDragging = ChildRect(window.hwnd(), IDC_DF_STATUSBAR1);
            });
            EXPECT_EQ(StatusText(window.hwnd()), "    拖动快填");
            EXPECT_TRUE(EqualRect(&listWhileDragging, &listBefore)) << "the list is whole again at the next drag";
            EXPECT_TRUE(EqualRect(&barWhileDragging, &barBefore)) << "the status line is one line again";
        }
    }
}

// Pictures of the window telling the longest problem, at 100 % and 200 %,
// for a person to look at (the run folder's shots/ when the tests run on
// the test desktop).
TEST_F(FillListsTest, ShotsOfTheWindowTellingALongProblem) {
    files.files[kDataFile] = EncodeDataFile({{"地址", "北京市海淀区", {}, {}}, {"Mail", "a@b.c", {}, {}}});
    dataFile.Load();
    window.FillList(store.WalkDragList());
    window.Show();
    for (const int dpi : {96, 192}) {
        MoveToDpi(window.hwnd(), dpi);
        Obliging(input);
        input.postMessageResult = false;
        input.lastError = ERROR_ACCESS_DENIED;
        DropTheFirstLine();
        ASSERT_EQ(WholeTextFault(window.hwnd(), DeliveryProblemText(Delivery::RefusedElevated)), "");
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
        const char* runDir = std::getenv("PENNORA_RUN_DIR");
        if (!runDir) continue;
        RECT rect;
        GetWindowRect(window.hwnd(), &rect);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory, old);
        BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<char> pixels(std::size_t((width * 3 + 3) & ~3) * height);
        GetDIBits(memory, bitmap, 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                  DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()), 0, 0,
                              DWORD(sizeof(BITMAPFILEHEADER) + sizeof header)};
        std::ofstream out(testing::WindowsPath(std::string(runDir) + "/shots/dragfill-notice-" +
                                               std::to_string(dpi) + ".bmp"),
                          std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&header), sizeof header);
        out.write(pixels.data(), std::streamsize(pixels.size()));
    }
    window.Close();
}

const std::vector<Entry> kFindEntries{{"地址", "北京市海淀区", {}, {}},
                                      {"Mail", "a@b.c", {}, {}},
                                      {"Tel", "010-6275", {}, {}},
                                      {"mail 2", "x@y.z", {}, {}}};

TEST_F(FillListsTest, TypingInTheFindBoxShowsTheTitlesWhoseTitleOrContentHoldsItAndEscShowsAll) {
    LoadRunning(kFindEntries);
    const Titles all{"地址", "Mail", "Tel", "mail 2"};
    const struct {
        const char* step;
        std::function<void()> act;
        Titles shown;
    } steps[] = {
        {"letters in the other case", [&] { Type(L"MA"); }, {"Mail", "mail 2"}},
        {"one more narrows", [&] { Type(L"IL "); }, {"mail 2"}},
        {"Esc empties the box", [&] { Press(VK_ESCAPE); }, all},
        {"Chinese of a content", [&] { Type(L"海淀"); }, {"地址"}},
        {"nothing holds it", [&] { Type(L"x"); }, {}},
        {"backspace widens again", [&] { Type(L"\b\b\b"); }, all},
        {"digits of a content", [&] { Type(L"62"); }, {"Tel"}},
        {"pinyin initials of a title", [&] { Press(VK_ESCAPE); Type(L"dz"); }, {"地址"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(window.ListedTitles(), step.shown);
    }
    Press(VK_ESCAPE);
    EXPECT_EQ(FindText(), L"");
}

// The list follows stored changes as before; the find goes on applying to
// the new titles and contents.
TEST_F(FillListsTest, StoredChangesRefillTheFoundLinesByTheNewTitlesAndContents) {
    LoadRunning(kFindEntries);
    Type(L"mail");
    ASSERT_EQ(window.ListedTitles(), (Titles{"Mail", "mail 2"}));
    store.MoveTo(0);
    store.SetContent("mail@example.com");
    store.Post();
    EXPECT_EQ(window.ListedTitles(), (Titles{"地址", "Mail", "mail 2"}));
    store.MoveTo(1);
    store.SetTitle("Post");
    store.Post();
    EXPECT_EQ(window.ListedTitles(), (Titles{"地址", "mail 2"}));
    EXPECT_EQ(FindText(), L"mail");
}

// An input method shows the characters it is composing in the box; they are
// not text yet. Its Enter finishes the composition and does nothing else.
TEST_F(FillListsTest, NothingIsFoundByAnUnfinishedCompositionAndEnterDoesNothingElse) {
    LoadRunning(kFindEntries);
    const Titles all{"地址", "Mail", "Tel", "mail 2"};
    SendMessageW(FindBox(), WM_IME_STARTCOMPOSITION, 0, 0);
    Type(L"ma");
    EXPECT_EQ(window.ListedTitles(), all);
    Press(VK_RETURN);
    SendMessageW(FindBox(), WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(window.ListedTitles(), (Titles{"Mail", "mail 2"}));
    EXPECT_EQ(FindText(), L"ma");
    Press(VK_RETURN);
    EXPECT_EQ(window.ListedTitles(), (Titles{"Mail", "mail 2"}));
    EXPECT_EQ(FindText(), L"ma");
}

// A found line is dropped as any line is: the text typed is the content of
// the first entry with its title, and that content is what the find looks at.
TEST_F(FillListsTest, AFoundTitleDropsTheContentOfTheFirstEntryWithThatTitle) {
    LoadRunning({{"A", "first", false, {}}, {"A", "second", {}, {}}, {"B", "b", {}, {}}});
    ASSERT_EQ(window.ListedTitles(), (Titles{"A", "B"}));
    Type(L"second");
    EXPECT_EQ(window.ListedTitles(), Titles{});
    Press(VK_ESCAPE);
    Type(L"first");
    ASSERT_EQ(window.ListedTitles(), Titles{"A"});
    EXPECT_EQ(DropTheFirstLine(), "first");
}

// Characters the GBK code page does not have would reach the find as "?"
// and find every text holding one; they stand in no title or content.
TEST_F(FillListsTest, CharactersOutsideGbkFindNothingNotTheTextsHoldingAQuestionMark) {
    LoadRunning({{"Why?", "?", {}, {}}, {"地址", "北京?", {}, {}}, {"Tel", "010", {}, {}}});
    const Titles all{"Why?", "地址", "Tel"};
    const struct {
        const char* name;
        std::wstring typed;
    } cases[] = {
        {"a letter of another script", L"\u0E01"},
        {"a character beyond the basic plane", L"\U0001F600"},
        {"after text that is found", L"Why\u0E01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Type(c.typed);
        EXPECT_EQ(window.ListedTitles(), Titles{});
        Press(VK_ESCAPE);
        EXPECT_EQ(window.ListedTitles(), all);
    }
    Type(L"?");  // a typed question mark finds them as before
    EXPECT_EQ(window.ListedTitles(), (Titles{"Why?", "地址"}));
}

// The press that ends a composition refills the list under the pointer; the
// line dragged is the one the user pressed, not the one at its place after.
TEST_F(FillListsTest, APressThatEndsACompositionDragsTheTitleThatWasUnderThePointer) {
    LoadRunning({{"Tel", "010", {}, {}}, {"Mail", "a@b.c", {}, {}}, {"mail 2", "x@y.z", {}, {}}});
    window.Show();
    SetFocus(FindBox());
    ASSERT_EQ(GetFocus(), FindBox());
    SendMessageW(FindBox(), WM_IME_STARTCOMPOSITION, 0, 0);
    Type(L"ma");
    ASSERT_EQ(window.ListedTitles(), (Titles{"Tel", "Mail", "mail 2"}));
    EXPECT_EQ(DropTheFirstLine([&] { EXPECT_EQ(window.ListedTitles(), (Titles{"Mail", "mail 2"})); }), "010");
    // Without a composition the list does not change under a press.
    EXPECT_EQ(DropTheFirstLine(), "a@b.c");
    window.Close();
}

// While a title is dragged the list may be refilled: by a stored change (an
// edit in the main window, a fill typed into the tool's own editor) or by a
// keystroke in the find box. The drop still types the pressed title, wherever
// its line is then, and a drop given up over the tool's own window keeps it.
TEST_F(FillListsTest, ARefillDuringADragKeepsThePressedTitle) {
    LoadRunning({{"Tel", "010", {}, {}}, {"Mail", "a@b.c", {}, {}}, {"mail 2", "x@y.z", {}, {}}});
    const struct {
        const char* name;
        std::function<void()> whileDragging;
        std::function<void()> after;
    } cases[] = {
        {"a keystroke that hides it", [&] { Type(L"ma"); }, [&] { Press(VK_ESCAPE); }},
        {"a stored change of another entry",
         [&] {
             store.MoveTo(2);
             store.SetContent("changed");
             store.Post();
         },
         {}},
        {"a drop given up over the list itself, then a refill and the drop",
         [&] {
             input.windowUnderCursor = FromHwnd(GetDlgItem(window.hwnd(), IDC_DF_LISTBOX1));
             SendMessageA(window.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 60));
             input.windowUnderCursor = kOtherField;
             Type(L"mail");
         },
         [&] { Press(VK_ESCAPE); }},
        {"an entry inserted before it",
         [&] {
             store.MoveTo(0);
             store.Insert();
             store.SetTitle("New");
             store.Post();
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        input.windowUnderCursor = kOtherField;
        EXPECT_EQ(DropTheFirstLine(c.whileDragging), "010");
        if (c.after) c.after();
    }
    // Its entry gone from the list while it was dragged: nothing to type, and
    // the drag ends without a click.
    ASSERT_EQ(window.ListedTitles(), (Titles{"New", "Tel", "Mail", "mail 2"}));
    const std::string typed = DropTheFirstLine([&] {
        store.MoveTo(0);
        store.Delete();
    });
    EXPECT_EQ(typed, "");
    EXPECT_FALSE(delivery.DragActive());
    for (const std::string& call : input.calls) EXPECT_EQ(call.rfind("mouse_event", 0), std::string::npos) << call;
}

TEST_F(FillListsTest, EveryShowingStartsWithAnEmptyFindBoxAndTheWholeList) {
    LoadRunning(kFindEntries);
    Type(L"tel");
    ASSERT_EQ(window.ListedTitles(), Titles{"Tel"});
    window.Show();
    EXPECT_EQ(FindText(), L"");
    EXPECT_EQ(window.ListedTitles(), (Titles{"地址", "Mail", "Tel", "mail 2"}));
    window.Close();
}

// An edit in the main window not committed yet is committed by the drop's
// look-up of the text, before anything is clicked: a pressed line whose entry
// then has another title types nothing and clicks nothing, even where another
// entry has the old title; an edit of anything else drops as before.
TEST_F(FillListsTest, ADropCommitsAPendingEditBeforeTheClickAndTypesNothingForALineItRenamed) {
    const auto edit = [&](std::size_t row, std::function<void()> change) {
        return [this, row, change] {
            store.MoveTo(row);
            change();
        };
    };
    const auto rename = [&] { store.SetTitle("Phone"); };
    const struct {
        const char* name;
        std::vector<Entry> entries;
        std::function<void()> pendingEdit;
        std::string typed;  // and a click when something is typed
    } cases[] = {
        {"the pressed entry renamed", {{"Tel", "010", {}, {}}, {"Mail", "a@b.c", {}, {}}}, edit(0, rename), ""},
        {"the pressed one of two with its title renamed", {{"Tel", "010", {}, {}}, {"Tel", "020", {}, {}}},
         edit(0, rename), ""},
        {"the other of two with its title renamed", {{"Tel", "010", {}, {}}, {"Tel", "020", {}, {}}},
         edit(1, rename), "010"},
        {"the pressed entry's content changed", {{"Tel", "010", {}, {}}}, edit(0, [&] { store.SetContent("020"); }),
         "020"},
        {"the pressed entry taken out of the drag list", {{"Tel", "010", {}, {}}, {"Mail", "a@b.c", {}, {}}},
         edit(0, [&] { store.SetInDrag(false); }), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadRunning(c.entries);
        c.pendingEdit();
        ASSERT_TRUE(store.HasPendingChange());
        EXPECT_EQ(DropTheFirstLine(), c.typed);
        EXPECT_EQ(Clicked(), !c.typed.empty());
        EXPECT_FALSE(delivery.DragActive());
        EXPECT_FALSE(store.HasPendingChange());
    }
}

// Of two entries with one title, the line pressed stays the one selected
// through a refill during the drag, not the first line with its title.
TEST_F(FillListsTest, ARefillDuringADragKeepsThePressedOneOfTwoLinesWithATitleSelected) {
    LoadRunning({{"Tel", "010", {}, {}}, {"Mail", "a@b.c", {}, {}}, {"Tel", "020", {}, {}}});
    const struct {
        const char* name;
        std::function<void()> refill;
        LRESULT selected;
    } cases[] = {
        {"a stored change of another entry",
         [&] {
             store.MoveTo(1);
             store.SetContent("changed");
             store.Post();
         },
         2},
        {"a keystroke that keeps both lines", [&] { Type(L"tel"); }, 1},
        {"an entry with the title inserted before them",
         [&] {
             store.MoveTo(0);
             store.Insert();
             store.SetTitle("Tel");
             store.Post();
         },
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LRESULT selected = -1;
        DropLine(2, [&] {
            c.refill();
            selected = SendMessageA(List(), LB_GETCURSEL, 0, 0);
        });
        EXPECT_EQ(selected, c.selected);
        Press(VK_ESCAPE);
    }
}

// A width x height bitmap, pixel by pixel, after draw(dc) has drawn into it.
std::vector<DWORD> PixelsDrawnBy(int width, int height, const std::function<void(HDC)>& draw) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(dc, bitmap);
    draw(dc);
    GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    std::vector<DWORD> pixels(first, first + width * height);
    SelectObject(dc, before);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
}

// The list's client area, pixel by pixel, as the screen shows it or as the
// list draws itself into a bitmap (erased, then printed).
std::vector<DWORD> ClientPixels(HWND list, bool onScreen) {
    RECT client{};
    GetClientRect(list, &client);
    return PixelsDrawnBy(client.right, client.bottom, [&](HDC dc) {
        if (onScreen) {
            HDC screen = GetDC(list);
            BitBlt(dc, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
            ReleaseDC(list, screen);
        } else {
            SendMessageA(list, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        }
    });
}

// The whole list window (its edge and scroll bar too), pixel by pixel, as
// the screen shows it.
std::vector<DWORD> WindowPixels(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    return PixelsDrawnBy(width, height, [&](HDC dc) {
        HDC screen = GetWindowDC(window);
        BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        ReleaseDC(window, screen);
    });
}

// Each painted line of the list as its pixels, top to bottom, as far as the
// list shows lines.
std::vector<std::vector<DWORD>> PaintedLines(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    const std::vector<DWORD> pixels = ClientPixels(list, false);
    std::vector<std::vector<DWORD>> lines;
    const int count = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int line = 0; line < count; ++line) {
        RECT rect{};
        SendMessageA(list, LB_GETITEMRECT, WPARAM(line), reinterpret_cast<LPARAM>(&rect));
        if (rect.bottom > client.bottom) break;
        std::vector<DWORD> linePixels;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) linePixels.push_back(pixels[std::size_t(y * client.right + x)]);
        lines.push_back(std::move(linePixels));
    }
    return lines;
}

// What the list paints: a found line looks as the line of its title looks
// in the whole list, wherever the find puts it.
TEST_F(FillListsTest, EachPaintedLineShowsTheTitleFoundForIt) {
    LoadRunning(kFindEntries);  // 地址, Mail, Tel, mail 2
    const std::vector<std::vector<DWORD>> whole = PaintedLines(List());
    ASSERT_EQ(whole.size(), 4u);
    for (std::size_t i = 0; i < whole.size(); ++i)
        for (std::size_t j = i + 1; j < whole.size(); ++j) ASSERT_NE(whole[i], whole[j]) << i << " and " << j;
    const struct {
        const wchar_t* typed;
        std::vector<std::size_t> lines;  // of the whole list
    } cases[] = {{L"ma", {1, 3}}, {L"62", {2}}, {L"dz", {0}}, {L"mail ", {3}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "typed " << c.lines.size() << " lines");
        Type(c.typed);
        const std::vector<std::vector<DWORD>> found = PaintedLines(List());
        ASSERT_EQ(found.size(), c.lines.size());
        for (std::size_t line = 0; line < found.size(); ++line)
            EXPECT_TRUE(found[line] == whole[c.lines[line]]) << "line " << line;
        Press(VK_ESCAPE);
    }
}

// The list paints on the screen through a bitmap of its own: what reaches
// the screen is what the list draws, after whole and partial paints, with
// fewer lines than before (the rest erased) and a line selected.
TEST_F(FillListsTest, TheListOnTheScreenIsWhatTheListDraws) {
    LoadRunning(kFindEntries);  // 地址, Mail, Tel, mail 2
    window.Show();
    const auto screenShowsTheList = [&] {
        UpdateWindow(List());
        return ClientPixels(List(), true) == ClientPixels(List(), false);
    };
    EXPECT_TRUE(screenShowsTheList()) << "every line";
    Type(L"ma");
    EXPECT_TRUE(screenShowsTheList()) << "two lines";
    RECT line{};
    SendMessageA(List(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    SendMessageA(List(), LB_SETCURSEL, 1, 0);
    InvalidateRect(List(), &line, TRUE);
    EXPECT_TRUE(screenShowsTheList()) << "one line painted again, selected";
    Press(VK_ESCAPE);
    EXPECT_TRUE(screenShowsTheList()) << "every line again";
    // The user makes the window wider, then taller: the list grows past
    // what it was first painted at. A selected line's bar runs the whole
    // width, into what is new.
    SendMessageA(List(), LB_SETCURSEL, 0, 0);
    RECT frame;
    GetWindowRect(window.hwnd(), &frame);
    for (const SIZE grown : {SIZE{frame.right - frame.left + 120, frame.bottom - frame.top},
                             SIZE{frame.right - frame.left + 120, frame.bottom - frame.top + 160}}) {
        SetWindowPos(window.hwnd(), nullptr, 0, 0, grown.cx, grown.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_TRUE(screenShowsTheList()) << "the window made " << grown.cx << " x " << grown.cy;
    }
    window.Close();
}

// A content changed and changed back is found by what it holds each time:
// the prepared texts follow every stored change, not only the first.
TEST_F(FillListsTest, AContentChangedAndChangedBackIsFoundByWhatItHoldsNow) {
    LoadRunning(kFindEntries);
    const auto setTelTo = [&](const char* content) {
        store.MoveTo(2);
        store.SetContent(content);
        store.Post();
    };
    setTelTo("010-8888");
    Type(L"8888");
    EXPECT_EQ(window.ListedTitles(), Titles{"Tel"});
    Press(VK_ESCAPE);
    setTelTo("010-6275");
    Type(L"6275");
    EXPECT_EQ(window.ListedTitles(), Titles{"Tel"});
    Press(VK_ESCAPE);
    Type(L"8888");
    EXPECT_EQ(window.ListedTitles(), Titles{});
}

// Whatever the number of lines a find leaves (hundreds, a page and one more,
// a page, one, none, all again), the screen shows the list and its scroll
// bar as drawing them whole does, and the scroll bar stays: disabled when
// every line fits, so the lines never change width (and the list's frame is
// never laid out anew) while the user types.
TEST_F(FillListsTest, TheScrollBarStaysAndTheScreenFollowsEveryFind) {
    std::vector<Entry> entries;
    for (int i = 0; i < 300; ++i) entries.push_back({"地址" + std::to_string(i), "北京", {}, {}});
    // Typing k v's finds the 41 - k of these whose content holds k v's or
    // more ("v" starts no reading, and no title holds it).
    for (int i = 1; i <= 40; ++i)
        entries.push_back({"甲" + std::string{char('a' + i / 20), char('a' + i % 20)}, std::string(std::size_t(i), 'v'), {}, {}});
    LoadRunning(entries);
    window.Show();
    const auto screenShowsTheWholeList = [&] {
        UpdateWindow(List());
        const std::vector<DWORD> shown = WindowPixels(List());
        RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        return shown == WindowPixels(List());
    };
    ASSERT_TRUE(screenShowsTheWholeList()) << "every line";
    RECT whole{};
    GetClientRect(List(), &whole);
    const int lineHeight = int(SendMessageA(List(), LB_GETITEMHEIGHT, 0, 0));
    const int page = whole.bottom / lineHeight;
    ASSERT_LT(page + 1, 40) << "the v's find a page and one more";
    struct Key {
        wchar_t key;
        int lines;
    };
    std::vector<Key> keys{{L'1', 138}, {L'2', 13}, {L'3', 1}, {L'\b', 13}, {L'\b', 138}, {L'\b', 340},
                          {L'2', 138}, {L'9', 13}, {L'\b', 138}, {L'\b', 340}};
    for (int k = 1; k <= 41; ++k) keys.push_back({L'v', 41 - k});
    for (int k = 40; k >= 1; --k) keys.push_back({L'\b', 41 - k});
    std::wstring typed;
    for (const Key& k : keys) {
        typed = k.key == L'\b' ? typed.substr(0, typed.size() - 1) : typed + k.key;
        SCOPED_TRACE(::testing::Message() << "after " << typed.size() << " characters, " << k.lines << " lines");
        Type(std::wstring(1, k.key));
        ASSERT_EQ(SendMessageA(List(), LB_GETCOUNT, 0, 0), k.lines);
        EXPECT_TRUE(screenShowsTheWholeList());
        RECT client{};
        GetClientRect(List(), &client);
        EXPECT_EQ(client.right, whole.right) << "the lines' width";
        SCROLLBARINFO bar{};
        bar.cbSize = sizeof bar;
        ASSERT_TRUE(GetScrollBarInfo(List(), OBJID_VSCROLL, &bar));
        EXPECT_FALSE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);
        EXPECT_EQ(bool(bar.rgstate[1] & STATE_SYSTEM_UNAVAILABLE), k.lines <= page) << "the up arrow";
    }
    window.Close();
}

// After a press the keyboard is in the list, which finds nothing by typing:
// what is typed there goes to the find box, which takes the keyboard.
TEST_F(FillListsTest, CharactersTypedIntoTheListAfterAPressGoToTheFindBox) {
    LoadRunning(kFindEntries);
    window.Show();
    const struct {
        const char* name;
        std::function<void()> type;
        Titles shown;
    } cases[] = {
        {"letters", [&] { for (wchar_t c : std::wstring(L"ma")) SendMessageW(List(), WM_CHAR, c, 1); }, {"Mail", "mail 2"}},
        {"a Chinese character", [&] { SendMessageW(List(), WM_CHAR, L'地', 1); }, {"地址"}},
        {"a character of an input method", [&] { SendMessageA(List(), WM_IME_CHAR, 0xBAA3, 1); }, {"地址"}},  // 海
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DropTheFirstLine();
        SetFocus(List());
        ASSERT_EQ(GetFocus(), List());
        c.type();
        EXPECT_EQ(GetFocus(), FindBox());
        EXPECT_EQ(window.ListedTitles(), c.shown);
        Press(VK_ESCAPE);
    }
    // Keys that are no characters stay with the list.
    SetFocus(List());
    SendMessageW(List(), WM_CHAR, L'\b', 1);
    EXPECT_EQ(GetFocus(), List());
    window.Close();
}

// A refill whose find fails (the contents cannot be had) leaves no line
// that reads past the new, shorter titles, though the list was not told.
TEST(FoundListTest, AFindThatFailsAfterARefillLeavesNoLineReadingPastTheTitles) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    bool fail = false;
    FindBox box(parent, 1, nullptr, nullptr, [&](const Titles& titles) {
        if (fail) throw std::runtime_error("out of memory");
        return Titles(titles.size());
    });
    FoundList list(box);
    HWND listBox = list.Create(parent, 2);
    box.SetLines(Numbered(5));
    SetWindowTextW(box.hwnd(), L"title");
    box.OnCommand(EN_CHANGE);
    ASSERT_EQ(box.Found().size(), 5u);
    SendMessageA(listBox, LB_SETCOUNT, 5, 0);

    fail = true;
    EXPECT_THROW(box.SetLines(Numbered(2)), std::runtime_error);
    for (std::size_t index : box.Found()) EXPECT_LT(index, box.Titles().size());
    EXPECT_EQ(list.TitleOfLine(4), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    DRAWITEMSTRUCT item{ODT_LISTBOX, 2, 4, ODA_DRAWENTIRE, 0, listBox, dc, RECT{0, 0, 100, 15}, 0};
    list.DrawLine(item, HFONT(GetStockObject(DEFAULT_GUI_FONT)));
    DeleteDC(dc);
    DestroyWindow(parent);
}

}  // namespace
}  // namespace pennora
