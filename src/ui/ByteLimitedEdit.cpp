#include "ui/ByteLimitedEdit.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/AnsiText.h"
#include "platform/win32/ClipboardText.h"
#include "ui/GbkText.h"

namespace pennora {
namespace {

constexpr UINT_PTR kSubclassId = 0xB17E;
constexpr const char* kBoxProperty = "PennoraByteLimit";

// What one limited box keeps besides its limit: the selection an input
// method's composition replaced, until the composition ends.
struct LimitedBox {
    std::size_t limit;
    bool selectionSaved = false;
    DWORD selectionStart = 0;
    std::wstring selectedText;
    std::wstring textWithoutSelection;
};

bool IsSingleLine(HWND edit) { return !(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE); }

// The code units of the first character of `text`: two for a surrogate pair.
std::size_t FirstCharacterUnits(std::wstring_view text) {
    return text.size() > 1 && IS_HIGH_SURROGATE(text[0]) && IS_LOW_SURROGATE(text[1]) ? 2 : 1;
}

// The longest whole-character prefix of `text` whose ANSI form is at most
// `bytes` long. Each character turns into its own one or two bytes, so a
// prefix cut at a character boundary of the ANSI text maps back exactly.
std::wstring_view PrefixOfAnsiSize(std::wstring_view text, std::size_t bytes) {
    std::size_t units = 0, used = 0;
    while (units < text.size()) {
        const std::size_t next = FirstCharacterUnits(text.substr(units));
        const std::size_t width = ToAnsi(text.substr(units, next)).size();
        if (used + width > bytes) break;
        used += width;
        units += next;
    }
    return text.substr(0, units);
}

// `text` without the characters GBK does not have: stored through the code
// page they would become "?" or a look-alike letter while the box showed
// them. A lone half of a surrogate pair has no form either.
std::wstring WithGbkFormsOnly(std::wstring_view text) {
    std::wstring kept;
    for (std::size_t units = 0; units < text.size();) {
        const std::wstring_view character = text.substr(units, FirstCharacterUnits(text.substr(units)));
        if (ToAnsiExactly(character)) kept += character;
        units += character.size();
    }
    return kept;
}

// The part of `insertion` that the edit takes in place of its selection:
// the whole-character prefix that keeps its ANSI text within `limit` bytes.
std::wstring_view Fitting(HWND edit, std::wstring_view insertion, std::size_t limit) {
    const std::wstring text = WindowTextW(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, DWORD(text.size()));
    end = std::min<DWORD>(std::max(start, end), DWORD(text.size()));
    const std::string fitting =
        FitInsertion(ToAnsi(text).size(), ToAnsi(text.substr(start, end - start)).size(), ToAnsi(insertion), limit);
    return PrefixOfAnsiSize(insertion, fitting.size());
}

// What a character message inserts; nothing for the editing keys
// (backspace, Ctrl+letters). A multi-line box takes a tab, and Enter or
// Ctrl+Enter as a line break of two bytes.
std::wstring TypedText(HWND edit, UINT message, WPARAM character) {
    if (message == WM_UNICHAR) {
        if (character == UNICODE_NOCHAR || character > 0x10FFFF) return {};
        if (character > 0xFFFF) {
            character -= 0x10000;
            return {wchar_t(0xD800 + (character >> 10)), wchar_t(0xDC00 + (character & 0x3FF))};
        }
    }
    if (!IsSingleLine(edit)) {
        if (character == L'\r' || character == L'\n') return L"\r\n";
        if (character == L'\t') return L"\t";
    }
    if (character < 0x20) return {};
    return std::wstring(1, wchar_t(character));
}

// A paste goes in as EM_REPLACESEL, so the limit applies as to any other
// insertion. A one-line box takes the first line of what is pasted.
void Paste(HWND edit) {
    std::wstring text = ClipboardUnicodeText(edit);
    if (IsSingleLine(edit)) text = text.substr(0, text.find_first_of(L"\r\n"));
    if (!text.empty()) SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsKeyDown(int key) { return GetKeyState(key) < 0; }

// The edit deletes its selection when a composition starts, before anyone
// knows whether the result will fit. The selection is noted here ...
void NoteSelectionBeforeComposition(HWND edit, LimitedBox& box) {
    box.selectionSaved = false;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::wstring text = WindowTextW(edit);
    start = std::min<DWORD>(start, DWORD(text.size()));
    end = std::min<DWORD>(std::max(start, end), DWORD(text.size()));
    if (start == end) return;
    box.selectionSaved = true;
    box.selectionStart = start;
    box.selectedText = text.substr(start, end - start);
    box.textWithoutSelection = text.substr(0, start) + text.substr(end);
}

// ... and put back, selected, when the composition ended with nothing taken
// in its place (its result refused at the limit, or the composition given
// up), so a refused input loses nothing.
void RestoreSelectionAfterComposition(HWND edit, LimitedBox& box) {
    if (!box.selectionSaved) return;
    box.selectionSaved = false;
    if (WindowTextW(edit) != box.textWithoutSelection) return;
    const DWORD start = box.selectionStart, end = start + DWORD(box.selectedText.size());
    SendMessageW(edit, EM_SETSEL, start, start);
    // Past the limit check: the box held this text before.
    DefSubclassProc(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(box.selectedText.c_str()));
    SendMessageW(edit, EM_SETSEL, start, end);
    box.selectedText.clear();
    box.textWithoutSelection.clear();
}

// Every way text gets into the edit passes here: a character typed or sent
// by an input method, a paste (Ctrl+V, Shift+Insert, the context menu, the
// middle button), EM_REPLACESEL. What would take the text past the limit is
// refused at a character boundary, a character GBK does not have is refused
// wherever it stands (a beep for either), and the edit keeps what it held.
LRESULT CALLBACK LimitedEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
    LimitedBox& box = *reinterpret_cast<LimitedBox*>(data);
    const std::size_t limit = box.limit;
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_UNICHAR: {
        const std::wstring typed = TypedText(edit, message, wParam);
        if (!typed.empty() && (WithGbkFormsOnly(typed).size() < typed.size() ||
                               Fitting(edit, typed, limit).size() < typed.size())) {
            MessageBeep(MB_OK);
            return message == WM_UNICHAR;  // TRUE: WM_UNICHAR is understood
        }
        break;
    }
    case EM_REPLACESEL: {
        const std::wstring_view insertion = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        const std::wstring fitting(Fitting(edit, WithGbkFormsOnly(insertion), limit));
        if (fitting.size() == insertion.size()) break;
        MessageBeep(MB_OK);
        if (fitting.empty()) return 0;
        return DefSubclassProc(edit, message, wParam, reinterpret_cast<LPARAM>(fitting.c_str()));
    }
    case WM_PASTE:
        Paste(edit);
        return 0;
    case WM_KEYDOWN:
        // The edit pastes on Shift+Insert without a WM_PASTE of its own.
        if (wParam == VK_INSERT && IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_MENU)) {
            Paste(edit);
            return 0;
        }
        break;
    case WM_IME_STARTCOMPOSITION:
        NoteSelectionBeforeComposition(edit, box);
        break;
    case WM_IME_ENDCOMPOSITION: {
        const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
        RestoreSelectionAfterComposition(edit, box);
        return result;
    }
    case WM_IME_COMPOSITION:
        // An edit may insert an input method's whole result itself; the
        // default handling hands it over as WM_IME_CHAR, one character at a
        // time, each checked above.
        if (lParam & GCS_RESULTSTR) return DefWindowProcW(edit, message, wParam, lParam);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, LimitedEditProcedure, kSubclassId);
        RemovePropA(edit, kBoxProperty);
        delete &box;
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void LimitEditToBytes(HWND edit, std::size_t limit) {
    if (auto* limited = static_cast<LimitedBox*>(GetPropA(edit, kBoxProperty))) {
        limited->limit = limit;  // a new limit for a box already limited
        return;
    }
    auto box = std::make_unique<LimitedBox>(LimitedBox{limit});
    if (!SetWindowSubclass(edit, LimitedEditProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(box.get()))) return;
    SetPropA(edit, kBoxProperty, box.get());
    box.release();  // the subclass owns it from here, until WM_NCDESTROY
}

}  // namespace pennora
