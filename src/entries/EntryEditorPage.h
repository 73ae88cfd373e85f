#pragma once
// TabSheet2 " 数据编辑 ", the entry editor page: the grid of titles, the
// current entry's title, content and flags, and the tool bar. The page holds
// no data: it shows the store's current entry and hands every edit to
// EntryEditorLogic.
#include <optional>
#include <string>
#include <vector>

#include "entries/EntryEditorLogic.h"
#include "platform/FileSystem.h"
#include "platform/win32/Owned.h"
#include "platform/win32/Win32TextCodec.h"
#include "ui/PageDialog.h"

namespace pennora {

class EntryEditorPage final : public PageDialog {
public:
    // `files` reads and writes the text files of export and import.
    EntryEditorPage(HWND parent, EntryStore& store, EntryEditorLogic& logic, FileSystem& files, std::string appPath);
    ~EntryEditorPage() override;

    // What is being typed on the page goes to the store, so a save, the
    // close question or a session end sees it.
    void SettleTyping();
    // A title is being typed in place in the grid and differs from the
    // row's: unsaved work, though not in the store until it is settled.
    bool IsTyping() const;
    // While held, a title typed in place stays in its editor when the focus
    // leaves it for a question; SettleTyping ends it still.
    void HoldTyping(bool hold) { holdingTyping_ = hold; }

protected:
    bool OnButtonClicked(int id) override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnNotify(const NMHDR& header) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDpiChanged(int fromDpi, int toDpi) override;

private:
    // Shows the store's rows and current entry.
    void ShowCurrent();
    struct Placement {
        int id;
        RECT design;  // in the template, in pixels
        bool followsSplitter, stretchRight, stretchBottom, sticksToBottom;
    };

    // The tool bar's and the grid's images drawn for `dpi`.
    void ShowImagesAt(int dpi);
    void Layout();
    int SplitterLeft() const;
    int ColumnWidth(int gridWidth) const;
    bool OverSplitter(POINT inPage) const;
    void ShowText(int id, const std::optional<std::string>& text);
    void ShowFlag(int id, const std::optional<bool>& flag);
    LRESULT GridNotify(const NMHDR& header);
    void DBEdit1KeyDown(WPARAM key);
    void ExportClick();
    void ImportClick();
    // The file the user chose in the standard save or open dialog; nothing
    // when the dialog was cancelled.
    std::optional<std::string> AskForFile(bool save);
    static LRESULT CALLBACK TitleBoxProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self);

    EntryStore& store_;
    EntryEditorLogic& logic_;
    FileSystem& files_;
    Win32TextCodec codec_;
    std::string appPath_;
    OwnedImageList images_;
    OwnedFont headerFont_;
    std::vector<Placement> placements_;
    RECT designClient_{};
    int gridWidth_ = 0;
    bool showing_ = false;       // the page is setting its controls
    bool editingLabel_ = false;  // a title is being typed in the grid
    std::size_t labelRow_ = 0;   // the row whose title it is
    bool holdingTyping_ = false;
    bool splitting_ = false;     // the splitter is being dragged
};

}  // namespace pennora
