#pragma once
// The fill entries in memory: store order, one current entry and a pending
// change on it, the commit rule, the lookups and the walks of the fill lists.
// The data file behind them is DataFileKeeper's: it fills the store at
// start-up and writes what is stored.
//
// Use: EntryStore store; store.SetAfterPost(...); DataFileKeeper loads it;
// Close() at shutdown.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/ModeFlags.h"
#include "entries/Entry.h"
#include "platform/Error.h"

namespace pennora {

// Names one entry for as long as it is in the store, wherever its row moves
// and whatever is committed meanwhile; never reused within a run.
using EntryId = std::uint64_t;

// What a delete on a store without entries throws.
inline constexpr const char* kEmptyStoreDeleteError = "Cannot perform this operation on an empty dataset";

class EntryStore {
public:
    // Drops unsaved changes and empties the store.
    void Close();
    // Drops all rows, a pending change included, and takes `entries` as the
    // stored ones, the first current, as a read of a file gives them. Not a
    // stored change: AfterPost does not run; the view of the rows hears of
    // it only when `tellView` is set.
    void TakeStoredEntries(std::vector<Entry> entries, bool tellView);
    // The entries as stored, in store order: without a pending change or a
    // new entry not committed yet (Post() first to include them).
    const std::vector<Entry>& StoredEntries() const { return entries_; }

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

    // Puts `entries` in place of all entries, as changes still to be saved
    // (an earlier version of the data file picked by the user): a pending
    // change and a new entry go, the first of them becomes current, and
    // AfterPost and RowsChanged run once each. The data file stays as it is.
    void ReplaceAllAsUnsaved(std::vector<Entry> entries);
    // Whether the rows were replaced whole that way since they were last
    // loaded or saved: the data file then holds the only copy of the entries
    // before, and a save must keep it first. The saver forgets it.
    bool ReplacedWhole() const { return replacedWhole_; }
    void ForgetReplacedWhole() { replacedWhole_ = false; }
    // The rows taken back from a session that ended after such a load are
    // that replacement still.
    void MarkReplacedWhole() { replacedWhole_ = true; }

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
    std::optional<std::size_t> RowOf(EntryId id) const;
    std::unordered_map<std::string_view, std::string_view> FirstContentOfEachTitle() const;

    std::vector<Entry> entries_;
    std::vector<EntryId> ids_;  // parallel to entries_
    EntryId newEntryId_ = 0;    // the id of the entry being inserted
    EntryId nextId_ = 1;
    std::optional<std::size_t> current_;  // a row; while inserting, the new entry's row
    State state_ = State::Browse;
    Entry pending_;         // the current entry's values while editing or inserting
    bool changed_ = false;  // a field of a new entry was changed
    bool replacedWhole_ = false;
    bool rowsHeld_ = false;  // a lookup's commit tells rowsChanged_ once, at its end
    std::function<void()> afterPost_;
    std::function<void()> rowsChanged_;
};

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
