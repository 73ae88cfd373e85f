#pragma once
// The fill entries in memory: store order, one current entry, a pending change
// on it, and the data file "Pennora.Dat" behind them.
//
// Use: EntryStore store(files, appPath + "Pennora.Dat"); store.SetAfterPost(...);
// Load() once at start-up, Save() from the save button and the close prompt
// (it throws pennora::Error naming the file and the system's reason; clearing
// DataModified stays with the caller), Close() at shutdown.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/ModeFlags.h"
#include "entries/DataFileBackups.h"
#include "entries/Entry.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace pennora {

// Names one entry for as long as it is in the store, wherever its row moves
// and whatever is committed meanwhile; never reused within a run.
using EntryId = std::uint64_t;

// What a delete on a store without entries throws.
inline constexpr const char* kEmptyStoreDeleteError = "Cannot perform this operation on an empty dataset";

class EntryStore {
public:
    EntryStore(FileSystem& files, std::string dataFilePath);

    enum class LoadStatus {
        Loaded,      // the file's entries are in the store, the first one current
        NoFile,      // no data file: the store is empty and the first save creates it
        Recovered,   // the data file was missing or did not decode, and the temporary
                     // file of a save that was cut short did: its entries are loaded
                     // and it is the data file now; `message` says so
        Unreadable,  // the file's bytes did not decode; `message` says why and where it was moved
        NotRead,     // the file could not be looked up or read (held by another
                     // program, a disk or share that is gone) or is of a newer
                     // format: it stays in place untouched,
                     // the store is empty and refuses to save until a load succeeds
    };
    struct LoadResult {
        LoadStatus status;
        std::string message;  // a sentence for the user naming the file, except for Loaded and NoFile
        bool canRetry = false;  // NotRead by an error that may pass: another Load may succeed
    };
    LoadResult Load();
    // What a save does with a data file that another program changed since
    // this run loaded or last saved it (another copy of the folder, a sync
    // client, a restore by hand).
    enum class IfChangedElsewhere {
        Ask,      // throws DataFileChangedError, writing nothing
        Replace,  // keeps that file as the newest earlier version, then saves
    };
    // Commits the pending change, then writes all entries; on failure throws
    // pennora::Error and leaves the entries and the old file as they were.
    // After a load that left the file NotRead it throws without writing.
    // A data file that cannot be looked at or read now throws too: it
    // cannot be told unchanged.
    void Save(IfChangedElsewhere ifChanged = IfChangedElsewhere::Ask);

    // From now on each save first keeps the data file it replaces as an
    // earlier version. A version that cannot be kept never stops the save;
    // `tell` hears of it once per run, after the save. `tell` also hears of
    // a save that could not remove the unsaved-changes file.
    void KeepEarlierVersions(DataFileBackups& backups, std::function<void(const std::string&)> tell);

    // The session is ending with changes not saved: commits the pending change
    // and writes all entries to UnsavedFileOf(the data file), leaving the data
    // file alone. A successful Save or DiscardUnsavedChanges removes it again.
    FileError SaveUnsavedChanges();
    // Whether the last session left entries that were never saved: Present
    // when it did, Unknown (with the reason) when the file's folder cannot
    // be looked into. A file older than the data file counts as absent: it
    // is moved among the kept versions (see KeepEarlierVersions), or stays
    // where it is when it cannot be.
    FileQuery UnsavedChanges();
    // Puts the entries of the unsaved-changes file in the store (they are
    // changes now, still to be saved); false with `error` set when the file
    // cannot be read, and then nothing changes.
    bool RestoreUnsavedChanges(std::string& error);
    // Removes the unsaved-changes file; why it could not, empty otherwise.
    FileError DiscardUnsavedChanges();
    // Drops unsaved changes and empties the store.
    void Close();

    // Runs after every stored change: a commit of a new or changed entry and a
    // delete of a stored entry.
    void SetAfterPost(std::function<void()> afterPost);
    // Runs whenever the rows or the current row may have changed (a commit,
    // an insert, a delete, a move, a walk), so a view of the rows can follow.
    // Field changes of the current entry do not run it.
    void SetRowsChanged(std::function<void()> rowsChanged);

    // The rows the editor shows, in store order; a new entry that is being
    // inserted is among them, and the current row shows its pending values.
    std::size_t RowCount() const;
    const Entry& Row(std::size_t row) const;
    std::optional<std::size_t> CurrentRow() const;
    const Entry* Current() const;  // nullptr when the store is empty
    bool IsEditing() const;        // the current entry has a pending change or is new
    bool IsNewEntry() const;       // the current entry is inserted and not stored yet
    // A commit would store something: an edited entry whose values differ from
    // the stored ones, or a new entry with something typed into it.
    bool HasPendingChange() const;
    std::optional<EntryId> CurrentId() const;  // nullopt when the store is empty

    // Changes of the current entry's fields, pending until committed. Texts are
    // cut to their width without splitting a GBK character. On an empty store
    // the change starts a new entry, as a bound edit control does.
    void SetTitle(std::optional<std::string> title);
    void SetContent(std::optional<std::string> content);
    void SetInDrag(std::optional<bool> inDrag);
    void SetInHotKey(std::optional<bool> inHotKey);

    // The commit rule: stores the pending change; a new entry that was never
    // changed is dropped instead.
    void Post();
    // Drops the pending change: a new entry disappears, an edited one gets back
    // its stored values. Not a stored change.
    void Cancel();
    // What the grid does when it loses the keyboard focus.
    void DropUntouchedNewEntry();

    void Insert();  // a new entry, all fields null, before the current one
    // Puts `entries` after the last entry as stored changes, as an import
    // brings them: commits the pending change first, makes the first of
    // them current and runs AfterPost once.
    void Append(std::vector<Entry> entries);
    // Throws pennora::Error kEmptyStoreDeleteError when there is nothing to
    // delete.
    void Delete();
    // Deletes the entry `id` names as Delete() deletes the current one (it
    // becomes current first, a pending change of another entry is
    // committed); false, changing nothing, when that entry is gone.
    bool Delete(EntryId id);
    void Prior();
    void Next();
    void MoveTo(std::size_t row);  // a row of RowCount(), as the grid selects it

    // Commit, then the titles (null as empty) of the entries in the list, in
    // store order, repeats included; afterwards the first entry is current.
    std::vector<std::string> WalkHotKeyList();  // InHotKey null or true
    std::vector<std::string> WalkDragList();    // InDrag null or true

    // Commit, then the content (null as empty) of the first entry whose title
    // is exactly `title`; empty text when there is none or anything fails.
    // The entry current before stays current, though the commit rebuilds the
    // lists of a running fill mode: a fill typed into the tool's own editor
    // goes to the entry it is typed into.
    std::string GetContentByTitle(const std::string& title) noexcept;
    // For each title, the content GetContentByTitle gives for it, from the
    // entries as they are stored: nothing is committed and nothing moves.
    std::vector<std::string> ContentsByTitle(const std::vector<std::string>& titles) const;

    const std::string& DataFilePath() const { return path_; }

    // Puts `entries` in place of all entries, as changes still to be saved
    // (an earlier version of the data file picked by the user): a pending
    // change and a new entry go, the first of them becomes current, and
    // AfterPost and RowsChanged run once each. The data file stays as it is.
    void ReplaceAllAsUnsaved(std::vector<Entry> entries);

private:
    enum class State { Browse, Edit, Insert };

    template <class Field, class Value>
    void Change(Field Entry::*field, Value value);
    void BeginInsert();
    void Commit();
    void DropNewEntry();
    void RunAfterPost();
    void RowsChanged();
    void CommitForLookup();
    void ClampCurrent(std::size_t wanted);
    std::vector<std::string> Walk(bool (*inList)(const Entry&));
    LoadResult LeaveUnread(const std::string& error);
    LoadResult LeaveSavingUnread(const std::string& error);
    std::string SetAsideUnreadableFile(const std::string& reason);
    std::optional<LoadResult> RecoverCutShortSave(bool dataFileExists, const std::string& dataFileProblem);
    void TakeEntries(std::vector<Entry> entries);
    std::optional<std::size_t> RowOf(EntryId id) const;
    std::unordered_map<std::string_view, std::string_view> FirstContentOfEachTitle() const;
    void MakeRoomForSave();
    void RecordDataFileSeen(const std::string* bytes);
    std::optional<std::string> DataFileChangedElsewhere();
    void KeepFileChangedElsewhere(const std::string& bytes);
    void SetAsideOlderUnsavedChanges();

    FileSystem& files_;
    std::string path_;
    std::vector<Entry> entries_;
    std::vector<EntryId> ids_;  // parallel to entries_
    EntryId newEntryId_ = 0;    // the id of the entry being inserted
    EntryId nextId_ = 1;
    std::optional<std::size_t> current_;  // a row; while inserting, the new entry's row
    State state_ = State::Browse;
    Entry pending_;         // the current entry's values while editing or inserting
    bool changed_ = false;  // a field of a new entry was changed
    bool rowsHeld_ = false;  // a lookup's commit tells rowsChanged_ once, at its end
    bool unreadableFileInPlace_ = false;
    std::string saveRefusal_;  // set while the data file stays unread: why saves are refused
    std::function<void()> afterPost_;
    std::function<void()> rowsChanged_;
    DataFileBackups* backups_ = nullptr;
    std::function<void(const std::string&)> tellAfterSave_;
    bool versionNotKeptTold_ = false;
    // The data file as this run last loaded or saved it: absent, or its
    // size and a hash of its bytes. Unset while nothing is known (a file
    // not read), and then saves do not compare.
    struct DiskStamp {
        bool present = false;
        std::uint64_t size = 0;
        std::uint64_t hash = 0;
        bool operator==(const DiskStamp&) const = default;
    };
    std::optional<DiskStamp> dataFileSeen_;
};

// What Save(IfChangedElsewhere::Ask) throws over a data file another program
// changed; what() is the question for the user, naming the file.
struct DataFileChangedError : Error {
    using Error::Error;
};

// The file a session end writes unsaved changes to, beside the data file.
inline std::string UnsavedFileOf(const std::string& dataFilePath) { return dataFilePath + ".unsaved"; }

// Where the rebuilt entry lists go: the hot-key fill menu and the drag-fill
// window's title list.
struct FillListSinks {
    std::function<void(const std::vector<std::string>& titles)> buildFillMenu;
    std::function<void(const std::vector<std::string>& titles)> fillDragList;
};

// After every stored change: marks the data modified and rebuilds the lists
// of the fill modes that are running (each walk leaves the first entry
// current); with no mode running the current entry stays where it was.
void ClientDataSet1AfterPost(EntryStore& store, ModeFlags& flags, const FillListSinks& sinks);

}  // namespace pennora
