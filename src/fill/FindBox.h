#pragma once
// EdtFind, the find box above the drag-fill list: its edit control with the
// cue and the hint, the input method's composing state, and the filter, which
// finds the lines of the list whose title or content holds the typed text.
// What matching needs is made once per filling of the list (when the box gets
// the keyboard), so a keystroke only walks it.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fill/ListFind.h"

namespace pennora {

class FindBox {
public:
    // For each title, the content a drop of it types.
    using ContentsOf = std::function<std::vector<std::string>(const std::vector<std::string>& titles)>;

    FindBox(HWND parent, int id, HFONT font, HWND hints, ContentsOf contentsOf);
    FindBox(const FindBox&) = delete;
    FindBox& operator=(const FindBox&) = delete;

    HWND hwnd() const { return box_; }

    // The titles of the list to find among; the lines found are looked for
    // again among them. Their contents are looked up when needed.
    void SetLines(const std::vector<std::string>& titles);
    // Empties the box and finds again (every line).
    void Clear();
    // Makes what a find needs now rather than at the first keystroke.
    void Prepare();
    const std::vector<std::string>& Titles() const { return titles_; }
    // The lines found, by index into the titles, in order: every line while
    // the box is empty, none while it holds a character GBK does not have.
    const std::vector<std::size_t>& Found() const { return found_; }

    // The parent's WM_COMMAND from the box.
    void OnCommand(WORD code);

    // The lines found changed.
    std::function<void()> onFound;

private:
    void Change();
    void Find();
    static LRESULT CALLBACK Procedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

    HWND box_ = nullptr;
    WNDPROC boxProcedure_ = nullptr;  // the box's own, which Procedure passes messages on to
    ContentsOf contentsOf_;
    std::vector<std::string> titles_;
    // Made from the titles and contents when first needed; after SetLines it
    // is stale until remade, which prepares again only the lines that changed
    // since the texts it was made of.
    std::optional<FindIndex> index_;
    bool stale_ = false;
    std::vector<std::string> preparedTitles_, preparedContents_;  // what index_ was made of
    std::vector<std::size_t> found_;
    // The lines found by each text typed on the way to the one in the box,
    // shortest first: a longer text looks only among the lines of the text
    // it starts with, and a backspace finds its lines here.
    std::vector<std::pair<std::string, std::vector<std::size_t>>> typedOnTheWay_;
    std::string text_;           // the text the lines were found by
    bool findsNothing_ = false;  // the box holds a character GBK does not have
    bool composing_ = false;     // an input method is composing in the box
};

}  // namespace pennora
