#include "entries/EntryStore.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "entries/DataFile.h"
#include "platform/Error.h"

namespace pennora {
namespace {

bool InHotKeyList(const Entry& e) { return e.inHotKey.value_or(true); }
bool InDragList(const Entry& e) { return e.inDrag.value_or(true); }

std::string_view TextOf(const std::optional<std::string>& text) { return text ? std::string_view(*text) : ""; }

}  // namespace

void EntryStore::Close() {
    entries_.clear();
    ids_.clear();
    current_.reset();
    state_ = State::Browse;
    pending_ = {};
    changed_ = false;
    replacedWhole_ = false;
}

void EntryStore::TakeStoredEntries(std::vector<Entry> entries, bool tellView) {
    Close();
    entries_ = std::move(entries);
    for (std::size_t i = 0; i < entries_.size(); ++i) ids_.push_back(nextId_++);
    if (!entries_.empty()) current_ = 0;
    if (tellView) RowsChanged();
}

void EntryStore::SetAfterPost(std::function<void()> afterPost) { afterPost_ = std::move(afterPost); }

void EntryStore::SetRowsChanged(std::function<void()> rowsChanged) { rowsChanged_ = std::move(rowsChanged); }

void EntryStore::RowsChanged() {
    if (rowsChanged_ && !rowsHeld_) rowsChanged_();
}

std::size_t EntryStore::RowCount() const { return entries_.size() + (state_ == State::Insert ? 1 : 0); }

const Entry& EntryStore::Row(std::size_t row) const {
    if (state_ != State::Browse && row == current_) return pending_;
    if (state_ == State::Insert && row > *current_) --row;
    return entries_.at(row);
}

std::optional<std::size_t> EntryStore::CurrentRow() const { return current_; }

const Entry* EntryStore::Current() const { return current_ ? &Row(*current_) : nullptr; }

bool EntryStore::IsEditing() const { return state_ != State::Browse; }

bool EntryStore::HasPendingChange() const {
    switch (state_) {
    case State::Browse: return false;
    case State::Insert: return changed_;
    case State::Edit: return pending_ != entries_[*current_];
    }
    return false;
}

bool EntryStore::IsNewEntry() const { return state_ == State::Insert; }

std::optional<EntryId> EntryStore::CurrentId() const {
    if (!current_) return std::nullopt;
    return state_ == State::Insert ? newEntryId_ : ids_[*current_];
}

// The row of a stored entry; the entry being inserted has none yet.
std::optional<std::size_t> EntryStore::RowOf(EntryId id) const {
    const auto found = std::find(ids_.begin(), ids_.end(), id);
    if (found == ids_.end()) return std::nullopt;
    return std::size_t(found - ids_.begin());
}

void EntryStore::ClampCurrent(std::size_t wanted) {
    if (entries_.empty())
        current_.reset();
    else
        current_ = std::min(wanted, entries_.size() - 1);
}

template <class Field, class Value>
void EntryStore::Change(Field Entry::*field, Value value) {
    bool newRow = false;
    if (state_ == State::Browse) {
        if (!current_) {
            BeginInsert();
            newRow = true;
        } else {
            if (entries_[*current_].*field == value) return;
            pending_ = entries_[*current_];
            state_ = State::Edit;
        }
    }
    if (pending_.*field != value) {
        pending_.*field = std::move(value);
        changed_ = true;
    }
    // The new row appears with the value already in it.
    if (newRow) RowsChanged();
}

void EntryStore::SetTitle(std::optional<std::string> title) {
    if (title) title = CutToWidth(*title, kTitleWidth);
    Change(&Entry::title, std::move(title));
}

void EntryStore::SetContent(std::optional<std::string> content) {
    if (content) content = CutToWidth(*content, kContentWidth);
    Change(&Entry::content, std::move(content));
}

void EntryStore::SetInDrag(std::optional<bool> inDrag) { Change(&Entry::inDrag, inDrag); }

void EntryStore::SetInHotKey(std::optional<bool> inHotKey) { Change(&Entry::inHotKey, inHotKey); }

void EntryStore::BeginInsert() {
    pending_ = {};
    newEntryId_ = nextId_++;
    changed_ = false;
    state_ = State::Insert;
    if (!current_) current_ = 0;  // the only row of an empty store
}

void EntryStore::DropNewEntry() {
    state_ = State::Browse;
    pending_ = {};
    // The entry that was current at the insert is back on the new entry's row.
    ClampCurrent(*current_);
    RowsChanged();
}

void EntryStore::Commit() {
    switch (state_) {
    case State::Browse:
        return;
    case State::Insert:
        if (!changed_) {
            DropNewEntry();
            return;
        }
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(*current_), std::move(pending_));
        ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(*current_), newEntryId_);
        break;
    case State::Edit:
        entries_[*current_] = std::move(pending_);
        break;
    }
    state_ = State::Browse;
    pending_ = {};
    RunAfterPost();
    RowsChanged();
}

void EntryStore::RunAfterPost() {
    if (afterPost_) afterPost_();
}

void EntryStore::Post() { Commit(); }

void EntryStore::Cancel() {
    if (state_ == State::Insert) {
        DropNewEntry();
    } else {
        state_ = State::Browse;
        pending_ = {};
        RowsChanged();
    }
}

void EntryStore::DropUntouchedNewEntry() {
    if (state_ == State::Insert && !changed_) DropNewEntry();
}

void EntryStore::Insert() {
    Commit();
    BeginInsert();
    RowsChanged();
}

void EntryStore::Append(std::vector<Entry> entries) {
    Commit();
    if (entries.empty()) return;
    current_ = entries_.size();
    for (Entry& entry : entries) {
        entries_.push_back(std::move(entry));
        ids_.push_back(nextId_++);
    }
    RunAfterPost();
    RowsChanged();
}

void EntryStore::Delete() {
    if (state_ == State::Insert) {
        DropNewEntry();
        return;
    }
    if (entries_.empty()) throw Error(kEmptyStoreDeleteError);
    state_ = State::Browse;  // a pending edit goes with its entry
    pending_ = {};
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*current_));
    ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(*current_));
    ClampCurrent(*current_);
    RunAfterPost();
    RowsChanged();
}

bool EntryStore::Delete(EntryId id) {
    if (CurrentId() != id) {
        if (!RowOf(id)) return false;
        Commit();  // may insert or drop a new entry before it
        current_ = RowOf(id);
    }
    Delete();
    return true;
}

void EntryStore::Prior() {
    Commit();
    if (current_ && *current_ > 0) --*current_;
    RowsChanged();
}

void EntryStore::Next() {
    Commit();
    if (current_ && *current_ + 1 < entries_.size()) ++*current_;
    RowsChanged();
}

void EntryStore::MoveTo(std::size_t row) {
    if (row == current_) return;
    // Dropping an untouched new entry moves the rows after it up by one.
    if (state_ == State::Insert && !changed_ && row > *current_) --row;
    Commit();
    ClampCurrent(row);
    RowsChanged();
}

std::vector<std::string> EntryStore::Walk(bool (*inList)(const Entry&)) {
    Commit();
    std::vector<std::string> titles;
    for (const Entry& e : entries_)
        if (inList(e)) titles.emplace_back(TextOf(e.title));
    ClampCurrent(0);
    RowsChanged();
    return titles;
}

std::vector<std::string> EntryStore::WalkHotKeyList() { return Walk(InHotKeyList); }

std::vector<std::string> EntryStore::WalkDragList() { return Walk(InDragList); }

// A fill may type into the tool's own editor: the entry shown when it started
// must stay current, though the commit's rebuild of a running mode's list
// makes the first entry current. The view of the rows is told once, after,
// so it never shows another entry and a box being typed in keeps its caret.
// An untouched new entry has nothing to store and nothing to be found by:
// it stays, where a commit would drop it, to take the typed text.
void EntryStore::CommitForLookup() {
    if (state_ == State::Browse || (state_ == State::Insert && !changed_)) return;
    const std::optional<EntryId> shown = CurrentId();
    rowsHeld_ = true;
    try {
        Commit();
    } catch (...) {
        rowsHeld_ = false;
        throw;
    }
    rowsHeld_ = false;
    if (const std::optional<std::size_t> row = RowOf(*shown)) current_ = row;
    RowsChanged();
}

std::string EntryStore::GetContentByTitle(const std::string& title) noexcept {
    try {
        CommitForLookup();
        const auto first = FirstContentOfEachTitle();
        if (const auto found = first.find(title); found != first.end()) return std::string(found->second);
    } catch (...) {
    }
    return {};
}

std::vector<std::string> EntryStore::ContentsByTitle(const std::vector<std::string>& titles) const {
    const auto first = FirstContentOfEachTitle();
    std::vector<std::string> contents;
    contents.reserve(titles.size());
    for (const std::string& title : titles) {
        const auto found = first.find(title);
        contents.emplace_back(found == first.end() ? std::string_view() : found->second);
    }
    return contents;
}

// The lookup's rule: a title names the first stored entry that has exactly
// that title (byte for byte), whatever its flags; null texts read as empty.
std::unordered_map<std::string_view, std::string_view> EntryStore::FirstContentOfEachTitle() const {
    std::unordered_map<std::string_view, std::string_view> first;
    first.reserve(entries_.size());
    for (const Entry& e : entries_) first.try_emplace(TextOf(e.title), TextOf(e.content));
    return first;
}

void ClientDataSet1AfterPost(EntryStore& store, ModeFlags& flags, const FillListSinks& sinks) {
    flags.dataModified = true;
    // The walk runs whenever its mode is on, list or not: it is what leaves the
    // first entry current.
    if (flags.hotKeyOn) {
        std::vector<std::string> titles = store.WalkHotKeyList();
        if (sinks.buildFillMenu) sinks.buildFillMenu(titles);
    }
    if (flags.dragFillOn) {
        std::vector<std::string> titles = store.WalkDragList();
        if (sinks.fillDragList) sinks.fillDragList(titles);
    }
}

void EntryStore::ReplaceAllAsUnsaved(std::vector<Entry> entries) {
    TakeStoredEntries(std::move(entries), /*tellView=*/false);
    replacedWhole_ = true;
    RunAfterPost();
    RowsChanged();
}

}  // namespace pennora
