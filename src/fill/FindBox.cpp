#include "fill/FindBox.h"

#include <commctrl.h>

#include <numeric>

#include "fill/Subclass.h"
#include "platform/win32/AnsiText.h"
#include "ui/Hints.h"
#include "ui/Window.h"

namespace pennora {
namespace {

// Posted to the box by a refill while it has the keyboard: the prepared
// texts are made again before the next key, which a posted message precedes.
constexpr UINT kPrepareMessage = WM_APP + 0x31;

constexpr const wchar_t* kFindCue = L"查找标题或内容";
constexpr const char* kFindHint =
    "只列出标题或内容含有所输文字的数据项（英文字母不分大小写，汉字也可输入拼音或声母）；Esc 清空";

// The GBK text of a Unicode window, or nothing when it holds a character
// the code page does not have: the ANSI call would make that a "?", which
// would then find every text holding one.
std::optional<std::string> WindowTextGbk(HWND window) {
    return ToAnsiExactly(WindowTextW(window));
}

}  // namespace

FindBox::FindBox(HWND parent, int id, HFONT font, HWND hints, ContentsOf contentsOf)
    : contentsOf_(std::move(contentsOf)) {
    // A Unicode box: Wine's ANSI edit control does not join the two bytes of
    // a typed Chinese character.
    box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0,
                           0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageA(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(box_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(kFindCue));
    boxProcedure_ = Subclass(box_, &FindBox::Procedure, this);
    AddHint(hints, parent, box_, kFindHint);
}

void FindBox::SetLines(const std::vector<std::string>& titles) {
    titles_ = titles;
    stale_ = true;
    typedOnTheWay_.clear();
    // The lines found index the titles: the old ones go with them, so a find
    // that fails (the contents cannot be had, memory runs out) leaves no
    // index past the new titles, and the list shows no line rather than
    // stale ones.
    found_.clear();
    try {
        Find();
    } catch (...) {
        if (onFound) onFound();
        throw;
    }
    if (stale_ && GetFocus() == box_) PostMessageW(box_, kPrepareMessage, 0, 0);
}

void FindBox::Clear() {
    text_.clear();
    findsNothing_ = false;
    SetWindowTextW(box_, L"");  // its EN_CHANGE finds the same text: nothing more happens
    Find();
}

void FindBox::OnCommand(WORD code) {
    if (code == EN_CHANGE) Change();
    // Before the user types: the contents and the prepared texts of a long
    // list are made while the box gets the keyboard, not at the first key.
    if (code == EN_SETFOCUS) Prepare();
}

// EN_CHANGE. A composition of an input method is not text yet: the lines
// follow when it is finished.
void FindBox::Change() {
    if (composing_) return;
    std::optional<std::string> text = WindowTextGbk(box_);
    // A text the code page cannot hold stands in no title or content.
    const bool findsNothing = !text;
    if (findsNothing == findsNothing_ && text.value_or(std::string()) == text_) return;
    findsNothing_ = findsNothing;
    text_ = text.value_or(std::string());
    Find();
}

void FindBox::Prepare() {
    if (index_ && !stale_) return;
    std::vector<std::string> contents = contentsOf_(titles_);
    try {
        if (index_)
            index_->Remake(preparedTitles_, preparedContents_, titles_, contents);
        else
            index_.emplace(titles_, contents);
        if (preparedTitles_ != titles_) preparedTitles_ = titles_;  // a showing's refill brings the same
        preparedContents_ = std::move(contents);
    } catch (...) {
        index_.reset();  // half remade, or not known what of: made anew next time
        throw;
    }
    stale_ = false;
}

void FindBox::Find() {
    if (findsNothing_) {
        found_.clear();
    } else if (text_.empty()) {
        found_.resize(titles_.size());
        std::iota(found_.begin(), found_.end(), std::size_t(0));
    } else {
        Prepare();
        while (!typedOnTheWay_.empty() && text_.compare(0, typedOnTheWay_.back().first.size(),
                                                        typedOnTheWay_.back().first) != 0)
            typedOnTheWay_.pop_back();
        if (!typedOnTheWay_.empty() && typedOnTheWay_.back().first == text_) {
            found_ = typedOnTheWay_.back().second;
        } else {
            found_ = index_->LinesContaining(text_, typedOnTheWay_.empty() ? nullptr : &typedOnTheWay_.back().second);
            typedOnTheWay_.emplace_back(text_, found_);
        }
    }
    if (onFound) onFound();
}

// Esc empties the box; Enter, and the Esc and Enter that an input method
// takes to finish or cancel its composition, do nothing else.
LRESULT CALLBACK FindBox::Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = SelfOf<FindBox>(box);
    const auto own = [&] { return CallWindowProcW(self->boxProcedure_, box, message, wParam, lParam); };
    switch (message) {
    case kPrepareMessage:
        ReportingErrors([&] { return self->Prepare(), true; }, false);
        return 0;
    case WM_IME_STARTCOMPOSITION:
        self->composing_ = true;
        break;
    case WM_IME_ENDCOMPOSITION:
    case WM_KILLFOCUS: {
        // A composition ends with the box's keyboard at the latest.
        const LRESULT result = own();
        if (message == WM_KILLFOCUS && !self->composing_) return result;
        self->composing_ = false;
        ReportingErrors([&] { return self->Change(), true; }, false);
        return result;
    }
    case WM_GETDLGCODE:
        // The program's message loop gives every window dialog navigation,
        // which would take Esc and Enter away from the box.
        if (wParam == VK_ESCAPE || wParam == VK_RETURN) return own() | DLGC_WANTMESSAGE;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && !self->composing_) {
            SetWindowTextW(box, L"");
            return 0;
        }
        break;
    case WM_CHAR:
        // A one-line edit box would beep at them.
        if (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B) return 0;
        break;
    }
    return own();
}

}  // namespace pennora
