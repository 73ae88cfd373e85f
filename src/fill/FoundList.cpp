#include "fill/FoundList.h"

#include <algorithm>
#include <cstring>

#include "fill/FoundListAccess.h"
#include "fill/WindowText.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/Owned.h"
#include "ui/GbkText.h"

namespace pennora {

// The scroll bar stays when every line fits (disabled then): a find never
// changes the lines' width nor lays the list's frame out anew, so a
// keystroke that changes the number of lines draws the scroll bar once and
// the lines once. A bar shown or hidden would change the frame, and the
// paint after it would draw the bar a second time.
HWND FoundList::Create(HWND parent, int id) {
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                                LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_DISABLENOSCROLL,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr),
                            nullptr);
    return list_;
}

FoundList::~FoundList() {
    if (!buffer_) return;
    SelectObject(buffer_, bufferBefore_);
    DeleteDC(buffer_);
}

void FoundList::Paint(WNDPROC own) {
    PAINTSTRUCT paint;
    painting_ = true;
    HDC screen = BeginPaint(list_, &paint);
    painting_ = false;
    RECT client;
    GetClientRect(list_, &client);
    const RECT& dirty = paint.rcPaint;
    if (screen && !IsRectEmpty(&dirty)) {
        if (!buffer_) {
            buffer_ = CreateCompatibleDC(screen);
            bufferBefore_ = buffer_ ? GetCurrentObject(buffer_, OBJ_BITMAP) : nullptr;
        }
        if (buffer_ && (client.right > bufferSize_.cx || client.bottom > bufferSize_.cy)) {
            SelectObject(buffer_, bufferBefore_);
            const SIZE size{std::max(client.right, bufferSize_.cx), std::max(client.bottom, bufferSize_.cy)};
            bufferBitmap_.reset(CreateCompatibleBitmap(screen, size.cx, size.cy));
            bufferSize_ = bufferBitmap_ ? size : SIZE{0, 0};
            if (bufferBitmap_) SelectObject(buffer_, bufferBitmap_.get());
        }
        // A state that cannot be saved could not be put back: the clip would
        // stay narrowed for every later paint. Drawn on the screen instead.
        const int saved = bufferBitmap_ ? SaveDC(buffer_) : 0;
        if (saved) {
            IntersectClipRect(buffer_, dirty.left, dirty.top, dirty.right, dirty.bottom);
            CallWindowProcA(own, list_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer_), 0);
            CallWindowProcA(own, list_, WM_PAINT, reinterpret_cast<WPARAM>(buffer_), 0);
            RestoreDC(buffer_, saved);
            BitBlt(screen, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, buffer_,
                   dirty.left, dirty.top, SRCCOPY);
        } else {
            // No bitmap (or its state) to be had: drawn on the screen as the box draws itself.
            CallWindowProcA(own, list_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen), 0);
            CallWindowProcA(own, list_, WM_PAINT, reinterpret_cast<WPARAM>(screen), 0);
        }
    }
    EndPaint(list_, &paint);
}

// A found index is checked against the titles too: the two come from one
// find, but a line must never read past the titles whatever left them apart.
std::optional<std::size_t> FoundList::TitleIndexOfLine(std::size_t line) const {
    const std::vector<std::size_t>& found = findBox_.Found();
    if (line >= found.size() || found[line] >= findBox_.Titles().size()) return std::nullopt;
    return found[line];
}

const std::string* FoundList::TitleOfLine(std::size_t line) const {
    const std::optional<std::size_t> index = TitleIndexOfLine(line);
    return index ? &findBox_.Titles()[*index] : nullptr;
}

std::optional<std::size_t> FoundList::TitleIndexAt(POINT inList) const {
    const LRESULT hit = SendMessageA(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
    if (HIWORD(hit) != 0) return std::nullopt;
    return TitleIndexOfLine(LOWORD(hit));
}

std::optional<std::size_t> FoundList::SelectedTitleIndex() const {
    const LRESULT selected = SendMessageA(list_, LB_GETCURSEL, 0, 0);
    return selected < 0 ? std::nullopt : TitleIndexOfLine(std::size_t(selected));
}

std::string FoundList::SelectedTitle() const {
    const std::optional<std::size_t> index = SelectedTitleIndex();
    return index ? findBox_.Titles()[*index].c_str() : std::string();
}

// By the title's place among all titles, not by its text: of two entries
// with one title, the line of the one meant is selected.
void FoundList::SelectLineOf(std::optional<std::size_t> titleIndex) {
    const std::vector<std::size_t>& found = findBox_.Found();
    const auto line = titleIndex ? std::find(found.begin(), found.end(), *titleIndex) : found.end();
    SendMessageA(list_, LB_SETCURSEL, line != found.end() ? WPARAM(line - found.begin()) : WPARAM(-1), 0);
}

std::vector<std::string> FoundList::ListedTitles() const {
    std::vector<std::string> titles;
    const int count = int(SendMessageA(list_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::string* title = TitleOfLine(std::size_t(i));
        titles.push_back(title ? title->c_str() : "");
    }
    return titles;
}

std::string FoundList::ListedLines() const {
    std::string lines;
    for (const std::string& title : ListedTitles()) lines += title + "\r\n";
    return lines;
}

// A title is drawn up to a NUL it may hold, as a list box that held it as
// text would.
void FoundList::DrawLine(const DRAWITEMSTRUCT& item, HFONT font) const {
    const RECT rect = item.rcItem;
    if (item.itemAction == ODA_FOCUS) {
        DrawFocusRect(item.hDC, &rect);
        return;
    }
    const bool selected = item.itemState & ODS_SELECTED;
    const std::string* title = item.itemID == UINT(-1) ? nullptr : TitleOfLine(item.itemID);
    ScopedSelection selectedFont(item.hDC, font);
    SetBkColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const char* text = title ? title->c_str() : "";
    ExtTextOutA(item.hDC, rect.left + 1, rect.top, ETO_OPAQUE | ETO_CLIPPED, &rect, text, UINT(std::strlen(text)),
                nullptr);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &rect);
}

// The list holds no text. Its window text is its lines, one a line, which
// another process (a test, an automation tool) can read; a screen reader
// asks for the list's accessible object, which names each line by its
// title. LB_GETTEXT stays the list box's own: for a list without strings a
// caller, and the system carrying the message from another process, makes
// room for an item's data only, which a title would overrun.
bool FoundList::AnswerText(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    if (message == WM_GETOBJECT && DWORD(lParam) == DWORD(OBJID_CLIENT)) {
        result = AccessibleListResult(list_, wParam);
        return result != 0;
    }
    // Registered messages are numbered from 0xC000: the list registers this
    // one when it gets the first of them, not at its first message.
    if (message >= 0xC000 && message == LineTitleMessage())
        return result = AnswerLineTitle(list_, TitleOfLine(wParam)), true;
    if (message != WM_GETTEXTLENGTH && message != WM_GETTEXT) return false;
    result = AnswerWindowText(list_, message, wParam, lParam, ListedLines());
    return true;
}

// A list whose lines hold no text has no type-ahead: a character typed while
// it has the keyboard (after a press) goes to the find box, which takes the
// keyboard, so typing narrows the list as it does in the box. Keys that are
// no characters (arrows, Backspace) stay with the list. A Chinese character
// reaches this ANSI list as two bytes, or as one input-method character.
bool FoundList::PassTypingOn(UINT message, WPARAM wParam) {
    std::wstring typed;
    if (IsWindowUnicode(list_)) {
        typed.assign(1, wchar_t(wParam));
    } else {
        std::string bytes;
        if (message == WM_IME_CHAR && HIBYTE(LOWORD(wParam)) != 0) {
            bytes = {char(HIBYTE(LOWORD(wParam))), char(LOBYTE(LOWORD(wParam)))};
        } else if (leadByte_ != 0) {
            bytes = {leadByte_, char(wParam)};
            leadByte_ = 0;
        } else if (IsDBCSLeadByte(BYTE(wParam))) {
            leadByte_ = char(wParam);
            return true;
        } else {
            bytes.assign(1, char(wParam));
        }
        typed = ToWide(bytes);
    }
    if (typed.empty() || typed[0] < L' ' || typed[0] == 0x7F) return false;
    SetFocus(findBox_.hwnd());
    for (wchar_t c : typed) SendMessageW(findBox_.hwnd(), WM_CHAR, c, 1);
    return true;
}

}  // namespace pennora
