#include "fill/DropNotice.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "fill/Subclass.h"
#include "fill/WindowText.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/Owned.h"
#include "ui/Bars.h"
#include "ui/DpiScale.h"

namespace pennora {
namespace {

// The room between the bar's borders and its text, at 96 DPI.
constexpr int kMargin = 3;
// Lines break between words, and inside a word (a run of Chinese
// characters) too long for a line, as a multi-line edit box breaks them.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;

// The bar's borders around its text: left and right, top and bottom.
struct Borders {
    int horizontal, vertical;
};
Borders BordersOf(HWND bar) {
    int borders[3] = {};  // and the gap between parts, which a simple bar has not
    SendMessageA(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return {borders[0], borders[1]};
}

}  // namespace

DropNotice::DropNotice(HWND parent, int id, HFONT font, int dpi, const std::string& text)
    : font_(font), dpi_(dpi), text_(text) {
    bar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageA(bar_, SB_SIMPLE, TRUE, 0);
    // Drawn by Draw, from text_.
    SendMessageA(bar_, SB_SETTEXTA, SB_SIMPLEID | SBT_OWNERDRAW, 0);
    barProcedure_ = Subclass(bar_, &DropNotice::Procedure, this);
}

void DropNotice::Show(const std::string& text) {
    text_ = text;
    InvalidateRect(bar_, nullptr, TRUE);
}

void DropNotice::SetFont(HFONT font, int dpi) {
    font_ = font;
    dpi_ = dpi;
    SendMessageA(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

// Where the text goes in a bar of `client`: inside its borders and margins,
// the lines centred from top to bottom.
RECT DropNotice::TextRect(const RECT& client) const {
    const Borders borders = BordersOf(bar_);
    const int margin = ScaleToDpi(kMargin, dpi_);
    RECT rect{client.left + borders.horizontal + margin, client.top, client.right - borders.horizontal - margin,
              client.bottom};
    const int height = TextHeight(std::max(0L, rect.right - rect.left));
    rect.top = std::max(client.top + borders.vertical, client.top + (client.bottom - client.top - height) / 2);
    rect.bottom = std::min(client.bottom - borders.vertical, rect.top + height);
    return rect;
}

// The height of the text's lines at `width`.
int DropNotice::TextHeight(int width) const {
    WindowDC dc(bar_);
    ScopedSelection selected(dc.get(), font_);
    RECT needed{0, 0, std::max(width, 1), 0};
    DrawTextA(dc.get(), text_.c_str(), int(text_.size()), &needed, DT_CALCRECT | kTextFormat);
    return needed.bottom;
}

int DropNotice::Layout(int most) {
    RECT parent;
    GetClientRect(GetParent(bar_), &parent);
    const Borders borders = BordersOf(bar_);
    const int margin = ScaleToDpi(kMargin, dpi_);
    const int textHeight = TextHeight(std::max(1L, parent.right - 2 * (borders.horizontal + margin)));
    // The bar is as high as its font makes it, or higher for more lines; it
    // then places itself at the bottom of its parent, across its width.
    SendMessageA(bar_, SB_SETMINHEIGHT, 0, 0);
    const int oneLine = StatusBarHeight(bar_);
    TEXTMETRICA metrics{};
    {
        WindowDC dc(bar_);
        ScopedSelection selected(dc.get(), font_);
        GetTextMetricsA(dc.get(), &metrics);
    }
    if (textHeight <= metrics.tmHeight || oneLine >= most) return oneLine;
    const int wanted = textHeight + 2 * (borders.vertical + margin);
    SendMessageA(bar_, SB_SETMINHEIGHT, std::min(wanted, most), 0);
    const int height = StatusBarHeight(bar_);
    if (height <= most) return height;
    // The control adds its borders to the least height it is given.
    SendMessageA(bar_, SB_SETMINHEIGHT, std::max(0, std::min(wanted, most) - (height - most)), 0);
    return StatusBarHeight(bar_);
}

void DropNotice::Draw(const DRAWITEMSTRUCT& item) const {
    RECT client;
    GetClientRect(bar_, &client);
    RECT rect = TextRect(client);
    ScopedSelection selected(item.hDC, font_);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(item.hDC, text_.c_str(), int(text_.size()), &rect, kTextFormat);
}

// The bar holds no text of its own (its text is drawn here): a reader of its
// text, in this process or another, gets the text shown.
LRESULT CALLBACK DropNotice::Procedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = SelfOf<DropNotice>(bar);
    const std::string& text = self->text_;
    switch (message) {
    case SB_GETTEXTLENGTHA:
        return MAKELRESULT(text.size(), 0);
    case SB_GETTEXTA:
        if (lParam) std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
        return MAKELRESULT(text.size(), 0);
    case SB_GETTEXTLENGTHW:
    case SB_GETTEXTW: {
        const std::wstring wide = ToWide(text);
        if (message == SB_GETTEXTW && lParam)
            std::memcpy(reinterpret_cast<wchar_t*>(lParam), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        return MAKELRESULT(wide.size(), 0);
    }
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT:
        return AnswerWindowText(bar, message, wParam, lParam, text);
    }
    return (IsWindowUnicode(bar) ? CallWindowProcW : CallWindowProcA)(self->barProcedure_, bar, message, wParam,
                                                                      lParam);
}

}  // namespace pennora
