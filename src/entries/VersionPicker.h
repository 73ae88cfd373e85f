#pragma once
// The dialog "较早的版本" apart from its window: the kept versions of the
// data file listed against the entries the editor shows, and the choice of
// one, which puts its entries in place of all entries as changes still to
// be saved. The data file is not touched: the next save keeps it as the
// newest earlier version, so trying a version loses nothing.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "entries/DataFileBackups.h"
#include "entries/EntryStore.h"
#include "entries/VersionList.h"
#include "platform/FileSystem.h"
#include "platform/WindowsInput.h"
#include "ui/ModeFlags.h"

namespace pennora {

// The question before a load and the report of one that failed: a caption
// of their own, apart from the dialog's "较早的版本" they are shown over.
inline constexpr const char* kLoadVersionCaption = "载入较早的版本";
inline constexpr unsigned kLoadVersionFlags = 0x24;             // MB_YESNO | MB_ICONQUESTION
inline constexpr unsigned kLoadVersionOverUnsavedFlags = 0x134;  // MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2
inline constexpr unsigned kVersionNotLoadedFlags = 0x10;        // MB_ICONERROR

// The entries the editor shows: the stored ones, the current one with its
// pending change, and a new entry once something is typed into it.
std::vector<Entry> EntriesShown(const EntryStore& store);

// A row's columns: its entries, and what loading it would change ("新增 1，
// 删除 0，修改 2", "相同"); a version that cannot be read has neither.
std::string EntryCountText(const VersionRow& row);
std::string DifferenceText(const VersionRow& row);

class VersionPicker {
public:
    VersionPicker(EntryStore& store, const ModeFlags& flags, MessageBoxes& boxes, FileSystem& files,
                  DataFileBackups& backups);

    // Lists the kept versions, newest first, each compared with the entries
    // the editor shows now.
    void Refresh();
    const std::vector<VersionRow>& Rows() const { return rows_; }
    // What the dialog says of the folder: where the versions are and what
    // their times mean, that there are none yet, or why it cannot be listed.
    std::string Summary() const;
    bool CanChoose(std::size_t row) const { return row < rows_.size() && rows_[row].Readable(); }
    // What the dialog says of a selected row: the file, or why it cannot be
    // read.
    std::string RowDetail(std::size_t row) const;
    // The versions' folder, as Summary names it.
    std::string Folder() const { return backups_.Folder(); }

    // Asks `owner`'s user whether to load the version of `row`, saying what
    // happens (and, over changes not saved, that they are lost); on Yes
    // reads the file again and replaces the entries with its own. Returns
    // whether it did. A file that no longer reads is told and the rows are
    // listed again; nothing changes then.
    bool Choose(std::size_t row, Hwnd owner);
    // Why saves are refused now (a data file not read at start), empty when
    // they are not: the question then says a load cannot be saved.
    void SetSaveRefusal(std::string why) { saveRefusal_ = std::move(why); }
    // What the last successful Choose loaded, for the status line.
    const std::string& LoadedHint() const { return loadedHint_; }

private:
    std::string Question(const VersionRow& row) const;

    EntryStore& store_;
    const ModeFlags& flags_;
    MessageBoxes& boxes_;
    FileSystem& files_;
    DataFileBackups& backups_;
    std::vector<VersionRow> rows_;
    FileError listError_;
    std::string loadedHint_;
    std::string saveRefusal_;
};

}  // namespace pennora
