#pragma once
// ListBox1, the drag-fill window's list: an owner-drawn list box that holds
// no copies of the titles. It knows how many lines it shows, and each line is
// drawn from the titles the find box found, so a keystroke that brings back
// thousands of lines only sets the count.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "fill/FindBox.h"
#include "platform/win32/Owned.h"

namespace pennora {

class FoundList {
public:
    // Reads the titles and the lines found from `findBox`, which outlives it.
    explicit FoundList(const FindBox& findBox) : findBox_(findBox) {}
    ~FoundList();
    FoundList(const FoundList&) = delete;
    FoundList& operator=(const FoundList&) = delete;

    // The list box, made as a child of `parent`.
    HWND Create(HWND parent, int id);
    HWND hwnd() const { return list_; }

    // The index into the find box's titles of the title line `line` shows;
    // nothing for a line past the lines found.
    std::optional<std::size_t> TitleIndexOfLine(std::size_t line) const;
    const std::string* TitleOfLine(std::size_t line) const;
    // The index of the title of the line at `inList`, if a line is there.
    std::optional<std::size_t> TitleIndexAt(POINT inList) const;
    std::optional<std::size_t> SelectedTitleIndex() const;
    std::string SelectedTitle() const;
    // Selects the line that shows the title at `titleIndex`; none when no
    // line shows it.
    void SelectLineOf(std::optional<std::size_t> titleIndex);
    // The titles the list shows.
    std::vector<std::string> ListedTitles() const;

    // A line of the list, in `font` and the list's colours.
    void DrawLine(const DRAWITEMSTRUCT& item, HFONT font) const;
    // The list's WM_PAINT, drawn by `own` (the list box's own procedure)
    // into a bitmap kept for the list and copied to the screen at once: the
    // box's erase and every line drawn on the screen one after another cost
    // a trip to the display server each, which under load adds up to frames.
    void Paint(WNDPROC own);
    // Whether a WM_ERASEBKGND is the one BeginPaint sends during Paint, which
    // the bitmap already erases; any other (a WM_PRINT's) erases as usual.
    bool SkipsErase() const { return painting_; }

    // The list's answers to readers of its text in `result`: its window
    // text (WM_GETTEXT and its length) and its accessible object for a
    // screen reader (WM_GETOBJECT), with the titles of its lines that object
    // asks for; false for any other message.
    bool AnswerText(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

    // A character typed into the list (WM_CHAR, WM_IME_CHAR) goes on to the
    // find box, which takes the keyboard; false for a key that is no
    // character, which the list handles itself.
    bool PassTypingOn(UINT message, WPARAM wParam);

private:
    std::string ListedLines() const;

    const FindBox& findBox_;
    HWND list_ = nullptr;
    // The bitmap Paint draws in, in a memory DC of its own, made again only
    // when the list grows past it.
    HDC buffer_ = nullptr;
    HGDIOBJ bufferBefore_ = nullptr;
    OwnedBitmap bufferBitmap_;
    SIZE bufferSize_{0, 0};
    bool painting_ = false;
    char leadByte_ = 0;  // the first byte of a Chinese character typed into the list
};

}  // namespace pennora
