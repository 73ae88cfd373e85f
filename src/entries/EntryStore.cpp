#include "entries/EntryStore.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "ui/ErrorText.h"
#include "entries/DataFile.h"
#include "platform/Error.h"

namespace pennora {
namespace {

bool InHotKeyList(const Entry& e) { return e.inHotKey.value_or(true); }
bool InDragList(const Entry& e) { return e.inDrag.value_or(true); }

std::string_view TextOf(const std::optional<std::string>& text) { return text ? std::string_view(*text) : ""; }

// FNV-1a: enough to tell another program's bytes from the tool's own.
std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

EntryStore::EntryStore(FileSystem& files, std::string dataFilePath) : files_(files), path_(std::move(dataFilePath)) {}

EntryStore::LoadResult EntryStore::Load() {
    Close();
    unreadableFileInPlace_ = false;
    saveRefusal_.clear();
    dataFileSeen_.reset();
    const FileQuery data = files_.QueryFile(path_);
    if (data.state == FileState::Unknown) return LeaveUnread(data.error);
    const bool exists = data.state == FileState::Present;
    std::string problem;
    if (exists) {
        std::string bytes;
        if (FileError error = files_.ReadWholeFile(path_, bytes); !error.empty()) return LeaveUnread(error);
        DecodedDataFile decoded = DecodeDataFile(bytes);
        if (decoded.ok()) {
            TakeEntries(std::move(decoded.entries));
            RecordDataFileSeen(&bytes);
            return {LoadStatus::Loaded, {}};
        }
        if (decoded.newerVersion) {
            const std::string version = std::to_string(decoded.newerVersion);
            saveRefusal_ = "数据文件 \"" + path_ + "\" 由较新版本的 Pennora 写成（格式版本 " + version +
                           "），为免覆盖其中的数据项，本版本不能保存。";
            return {LoadStatus::NotRead,
                    "数据文件 \"" + path_ + "\" 由较新版本的 Pennora 写成（格式版本 " + version + "），本版本只能读取格式版本 " +
                        std::to_string(kDataFileVersion) + "。文件保持原样；请使用较新版本的 Pennora。本版本不会保存数据项。"};
        }
        problem = "数据文件 \"" + path_ + "\" 无法读取：" + decoded.error;
    }
    if (auto recovered = RecoverCutShortSave(exists, problem)) return *recovered;
    // No data file, or one moved out of the way (now or at the first save).
    RecordDataFileSeen(nullptr);
    if (!exists) return {LoadStatus::NoFile, {}};
    return {LoadStatus::Unreadable, SetAsideUnreadableFile(problem)};
}

// Nothing was read, so nothing says the file is damaged or missing: it stays
// where it is, and no save may replace what could not be seen.
EntryStore::LoadResult EntryStore::LeaveUnread(const std::string& error) {
    saveRefusal_ = "数据文件 \"" + path_ + "\" 没有读取成功，为免覆盖其中的数据项，现在不能保存。请在它能被读取后重新启动 Pennora。";
    return {LoadStatus::NotRead,
            AsSentence(error) +
                "文件可能正被其他程序（同步、备份或杀毒软件）占用，或者它所在的磁盘或网络位置暂时无法访问。它保持原样；在它被读取之前，Pennora 不会保存数据项。",
            true};
}

EntryStore::LoadResult EntryStore::LeaveSavingUnread(const std::string& error) {
    const std::string saving = SavingFileOf(path_);
    saveRefusal_ = "保存时的临时文件 \"" + saving +
                   "\" 没有读取成功，为免覆盖其中可能保存着的数据项，现在不能保存。请在它能被读取后重新启动 Pennora。";
    return {LoadStatus::NotRead,
            "保存时的临时文件 \"" + saving + "\" 可能保存着上次保存的数据项。" + AsSentence(error) +
                "文件可能正被其他程序（同步、备份或杀毒软件）占用，或者它所在的磁盘或网络位置暂时无法访问。"
                "它和数据文件都保持原样；在它被读取之前，Pennora 不会保存数据项。",
            true};
}

void EntryStore::TakeEntries(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    ids_.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) ids_.push_back(nextId_++);
    current_.reset();
    if (!entries_.empty()) current_ = 0;
}

// A replace that is not atomic (FAT32, exFAT) and was cut short can leave the
// complete new file under its temporary name only, or beside a data file it
// had begun to overwrite. If that file decodes, it is the newest whole copy.
std::optional<EntryStore::LoadResult> EntryStore::RecoverCutShortSave(bool dataFileExists,
                                                                      const std::string& dataFileProblem) {
    const std::string saving = SavingFileOf(path_);
    // The temporary file may hold the only copy of the last save: one that
    // cannot be looked at or read is left where it is, as is the data file,
    // and no save may overwrite it until a start has read it.
    const FileQuery query = files_.QueryFile(saving);
    if (query.state == FileState::Unknown) return LeaveSavingUnread(query.error);
    if (query.state != FileState::Present) return std::nullopt;
    std::string bytes;
    if (FileError error = files_.ReadWholeFile(saving, bytes); !error.empty()) return LeaveSavingUnread(error);
    DecodedDataFile decoded = DecodeDataFile(bytes);
    if (!decoded.ok()) return std::nullopt;

    const std::size_t count = decoded.entries.size();
    std::string message;
    if (dataFileExists) {
        message = "上次保存数据项时被中断，数据文件 \"" + path_ + "\" 不完整。已从保存时的临时文件 \"" + saving +
                  "\" 恢复了 " + std::to_string(count) + " 个数据项。";
    } else {
        // Killed between moving the old file away and putting the new one in
        // its place: the new file was written whole, the old one was kept.
        message = "上次保存数据项时，新的数据已完整写入临时文件 \"" + saving + "\"，但在它换成数据文件 \"" + path_ +
                  "\" 之前被中断。已从中恢复了 " + std::to_string(count) + " 个数据项。";
        if (backups_ && !backups_->Versions().empty())
            message += "保存前的数据文件作为较早的版本保留在文件夹 \"" + backups_->Folder() + "\" 中。";
    }
    bool dataFileGone = !dataFileExists;
    if (dataFileExists) {
        message += AsSentence(dataFileProblem);
        std::string movedTo;
        if (FileError error = files_.MoveAside(path_, movedTo); error.empty()) {
            message += "它已改名为 \"" + movedTo + "\" 保留下来。";
            dataFileGone = true;
        } else {
            unreadableFileInPlace_ = true;
            message += AsSentence(error) + "在它被移走之前，保存不会覆盖它。";
        }
    }
    // A data file that is still in the way is moved aside by the first save.
    RecordDataFileSeen(nullptr);
    if (dataFileGone) {
        if (FileError error = files_.RenameFile(saving, path_); !error.empty())
            message += AsSentence(error) + "恢复的数据项在下次保存时写入数据文件。";
        else
            RecordDataFileSeen(&bytes);
    }
    TakeEntries(std::move(decoded.entries));
    return LoadResult{LoadStatus::Recovered, message};
}

// Keeps a file that could not be read out of the way of the next save.
std::string EntryStore::SetAsideUnreadableFile(const std::string& reason) {
    std::string movedTo;
    FileError moveError = files_.MoveAside(path_, movedTo);
    if (moveError.empty())
        return AsSentence(reason) + "它已改名为 \"" + movedTo + "\" 保留下来。";
    unreadableFileInPlace_ = true;
    return AsSentence(reason) + AsSentence(moveError) + "在它被移走之前，保存不会覆盖它。";
}

void EntryStore::MakeRoomForSave() {
    if (!saveRefusal_.empty()) throw Error(saveRefusal_);
    if (!unreadableFileInPlace_) return;
    const FileQuery data = files_.QueryFile(path_);
    if (data.state == FileState::Unknown)
        throw Error(AsSentence(data.error) + "原有的数据文件 \"" + path_ + "\" 无法读取，为免覆盖它，这次没有保存。");
    if (data.state == FileState::Present) {
        std::string movedTo;
        FileError moveError = files_.MoveAside(path_, movedTo);
        if (!moveError.empty())
            throw Error(AsSentence(moveError) + "原有的数据文件 \"" + path_ + "\" 无法读取，为免覆盖它，这次没有保存。");
    }
    unreadableFileInPlace_ = false;
}

void EntryStore::Save(IfChangedElsewhere ifChanged) {
    Commit();
    MakeRoomForSave();
    const std::string bytes = EncodeDataFile(entries_);
    if (const std::optional<std::string> other = DataFileChangedElsewhere()) {
        if (ifChanged == IfChangedElsewhere::Ask) {
            const std::string folder = backups_ ? backups_->Folder() : std::string(kBackupFolderName);
            throw DataFileChangedError(
                "数据文件 \"" + path_ +
                "\" 在 Pennora 载入或上次保存它之后被其他程序改动过（例如另一份 Pennora、同步软件，或者手工恢复的文件）。\n\n"
                "是否覆盖它？\n\n选“是”：用现在的数据项覆盖它，被改动的文件作为较早的版本保留在文件夹 \"" +
                folder + "\" 中。\n选“否”：这次不保存，修改仍在 Pennora 中，尚未保存。");
        }
        KeepFileChangedElsewhere(*other);
    }
    // The data file is written first; the file it replaces is then moved
    // into the versions' folder, so keeping it never costs the save its space.
    std::string keepAs;
    FileError notKept = backups_ ? backups_->PrepareKeep(bytes, keepAs) : FileError();
    const FileError error =
        keepAs.empty() ? files_.SaveWholeFile(path_, bytes) : files_.SaveWholeFileKeepingOld(path_, bytes, keepAs, notKept);
    if (!error.empty()) throw Error(error);
    RecordDataFileSeen(&bytes);
    if (!keepAs.empty() && notKept.empty()) backups_->RemoveOldest();
    const FileError unsavedLeft = DiscardUnsavedChanges();
    if (!unsavedLeft.empty() && tellAfterSave_)
        tellAfterSave_("数据项已经保存，但上次未保存的修改所在的文件 \"" + UnsavedFileOf(path_) + "\" 没有删除：" +
                       AsSentence(unsavedLeft) + "下次启动时不会再提供这些较早的修改。");
    if (!notKept.empty() && !versionNotKeptTold_ && tellAfterSave_) {
        versionNotKeptTold_ = true;
        tellAfterSave_("数据项已经保存，但保存前的数据文件没有作为较早的版本保留在文件夹 \"" + backups_->Folder() +
                       "\" 中：" + AsSentence(notKept) + "本次运行中不再提示。");
    }
}

void EntryStore::RecordDataFileSeen(const std::string* bytes) {
    dataFileSeen_ = bytes ? DiskStamp{true, bytes->size(), HashOf(*bytes)} : DiskStamp{};
}

// The bytes of the data file when they are not what this run last loaded or
// saved, compared by content: a file written again with the same bytes loses
// nothing when replaced. A file deleted meanwhile is no change that needs a
// question either: there is nothing left to overwrite, and the save puts the
// entries the user sees back in its place. A file that cannot be looked at
// or read cannot be told unchanged: the save stops.
std::optional<std::string> EntryStore::DataFileChangedElsewhere() {
    if (!dataFileSeen_) return std::nullopt;
    const FileQuery data = files_.QueryFile(path_);
    const char* stop = "为免覆盖其他程序对它的改动，这次没有保存。";
    if (data.state == FileState::Unknown) throw Error(AsSentence(data.error) + stop);
    if (data.state == FileState::Absent) return std::nullopt;
    std::string bytes;
    if (FileError error = files_.ReadWholeFile(path_, bytes); !error.empty()) throw Error(AsSentence(error) + stop);
    if (DiskStamp{true, bytes.size(), HashOf(bytes)} == *dataFileSeen_) return std::nullopt;
    return bytes;
}

// Before a save replaces a data file another program changed, a copy of it
// becomes the newest earlier version; the save then finds it kept already.
// Without that copy nothing is replaced.
void EntryStore::KeepFileChangedElsewhere(const std::string& bytes) {
    const FileError error = backups_ ? backups_->KeepBytesAsVersion(bytes) : FileError("没有保留较早版本的文件夹。");
    if (!error.empty())
        throw Error(AsSentence(error) + "被其他程序改动过的数据文件 \"" + path_ +
                    "\" 没能作为较早的版本保留下来，为免丢失它，这次没有保存。");
}

void EntryStore::KeepEarlierVersions(DataFileBackups& backups, std::function<void(const std::string&)> tell) {
    backups_ = &backups;
    tellAfterSave_ = std::move(tell);
}

FileError EntryStore::SaveUnsavedChanges() {
    try {
        Commit();
        return files_.SaveWholeFile(UnsavedFileOf(path_), EncodeDataFile(entries_));
    } catch (const std::exception& error) {
        return error.what();
    }
}

FileQuery EntryStore::UnsavedChanges() {
    FileQuery unsaved = files_.QueryFile(UnsavedFileOf(path_));
    if (unsaved.state != FileState::Present || !unsaved.writeTime) return unsaved;
    const FileQuery data = files_.QueryFile(path_);
    if (data.state == FileState::Present && data.writeTime && unsaved.writeTime < data.writeTime) {
        SetAsideOlderUnsavedChanges();
        return {FileState::Absent, {}};
    }
    return unsaved;
}

// Changes that look older than the data file are not offered over it: most
// often a save that could not remove them has stored them already. But a
// clock set back between a save and a session end makes real changes look
// older too, so they are never deleted: they become the newest kept version,
// which the user can still pick. When they cannot be moved there, they stay
// where they are (and are still not offered).
void EntryStore::SetAsideOlderUnsavedChanges() {
    if (backups_) backups_->KeepFileAsVersion(UnsavedFileOf(path_));
}

bool EntryStore::RestoreUnsavedChanges(std::string& error) {
    const std::string unsaved = UnsavedFileOf(path_);
    std::string bytes;
    error = files_.ReadWholeFile(unsaved, bytes);
    if (!error.empty()) return false;
    DecodedDataFile decoded = DecodeDataFile(bytes);
    if (!decoded.ok()) {
        error = "文件 \"" + unsaved + "\" 无法读取：" + decoded.error;
        return false;
    }
    Close();
    TakeEntries(std::move(decoded.entries));
    RowsChanged();
    return true;
}

FileError EntryStore::DiscardUnsavedChanges() {
    const std::string unsaved = UnsavedFileOf(path_);
    const FileQuery query = files_.QueryFile(unsaved);
    if (query.state == FileState::Unknown) return query.error;
    if (query.state == FileState::Present) return files_.RemoveFile(unsaved);
    return {};
}

void EntryStore::Close() {
    entries_.clear();
    ids_.clear();
    current_.reset();
    state_ = State::Browse;
    pending_ = {};
    changed_ = false;
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
    Close();
    TakeEntries(std::move(entries));
    RunAfterPost();
    RowsChanged();
}

}  // namespace pennora
