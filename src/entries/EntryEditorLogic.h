#pragma once
// The rules of the entry editor page (" 数据编辑 "), apart from its window:
// what each tool button, the grid and the bound controls do to the entry
// store. The page moves texts between its controls and the store and calls
// these handlers; the store keeps the commit rule.
#include <optional>
#include <string>

#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "platform/WindowsInput.h"
#include "ui/ModeFlags.h"

namespace pennora {

inline constexpr std::size_t kTitleBoxLimit = 50;  // bytes typed or pasted into DBEdit1
inline constexpr const char* kDeleteEntryQuestion = "确定要删除本项纪录吗？";
inline constexpr const char* kDeleteEntryCaption = "删除";
inline constexpr const char* kDeletedEntryGoneText = "要删除的纪录已经不存在，没有删除任何纪录。";

// A click on a flag box: the indeterminate (null) state becomes true, then
// the box switches between true and false; there is no way back to null.
inline std::optional<bool> NextFlagState(std::optional<bool> state) { return state ? !*state : true; }

enum class EntryFlag { InDrag, InHotKey };

// What a close or the end of the Windows session must not lose: stored
// changes not saved yet, or a change typed into the editor and not committed
// (an untouched new entry is nothing to keep).
inline bool HasUnsavedEntryWork(const EntryStore& store, const ModeFlags& flags) {
    return flags.dataModified || store.HasPendingChange();
}

inline constexpr const char* kSaveCaption = "保存";
// Saves the entries. Over a data file another program changed since this run
// loaded or saved it, asks `owner`'s user first: Yes replaces it (keeping it
// as an earlier version), No saves nothing and returns false. Throws
// pennora::Error when the save fails.
bool SaveEntries(DataFileKeeper& dataFile, MessageBoxes& boxes, Hwnd owner);

class EntryEditorLogic {
public:
    // `owner` is the window that owns the delete question; `dataFile` is
    // where the save button writes the store's entries.
    EntryEditorLogic(EntryStore& store, DataFileKeeper& dataFile, ModeFlags& flags, MessageBoxes& boxes, Hwnd owner);

    void ToolButton1Click();   // new entry before the current one
    void ToolButton10Click();  // previous entry
    void ToolButton11Click();  // next entry
    void ToolButton2Click();   // delete after the question; throws on an empty store
    // Save (throws naming the file on failure), then not modified; over a
    // data file changed elsewhere only after a Yes to SaveEntries' question.
    void ToolButton3Click();

    void TitleChanged(const std::string& text);
    void ContentChanged(const std::string& text);
    void FlagClicked(EntryFlag flag);

    // Enter in the title box: the title is appended to the content, and the
    // joined text is part of the entry's pending change. Returns it. An
    // empty title changes nothing.
    std::string DBEdit1Enter(const std::string& title, const std::string& content);

    void GridRowSelected(std::size_t row);
    void GridCtrlDelete();  // at once, without the question
    void GridFocusLost();   // an untouched new entry is dropped
    // A title typed in place in the grid (up to the field's 100 bytes).
    void GridTitleEdited(std::size_t row, const std::string& text);

    // The data file, which an export must not write over and whose kept
    // versions the version dialog lists.
    const std::string& DataFilePath() const { return dataFile_.DataFilePath(); }
    const std::string& SaveRefusal() const { return dataFile_.SaveRefusal(); }
    // What the page's other dialogs ask through, and tell unsaved work by.
    const ModeFlags& flags() const { return flags_; }
    MessageBoxes& boxes() const { return boxes_; }

private:
    EntryStore& store_;
    DataFileKeeper& dataFile_;
    ModeFlags& flags_;
    MessageBoxes& boxes_;
    Hwnd owner_;
};

}  // namespace pennora
