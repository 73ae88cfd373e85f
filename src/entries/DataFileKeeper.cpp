#include "entries/DataFileKeeper.h"

#include <exception>
#include <string_view>
#include <utility>

#include "entries/DataFile.h"
#include "platform/Error.h"
#include "ui/ErrorText.h"

namespace pennora {
namespace {

// FNV-1a: enough to tell another program's bytes from the tool's own.
std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// What the mark beside the unsaved changes says to someone who opens it;
// only whether it is there counts.
constexpr const char* kUnsavedVersionMarkText =
    "同名的 .unsaved 文件中尚未保存的数据项是载入的较早版本：保存它们之前，先将数据文件作为较早的版本保留。\r\n";

}  // namespace

DataFileKeeper::DataFileKeeper(EntryStore& store, FileSystem& files, std::string dataFilePath)
    : store_(store), files_(files), path_(std::move(dataFilePath)) {}

DataFileKeeper::LoadResult DataFileKeeper::Load() {
    store_.Close();
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
            store_.TakeStoredEntries(std::move(decoded.entries), /*tellView=*/false);
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
DataFileKeeper::LoadResult DataFileKeeper::LeaveUnread(const std::string& error) {
    saveRefusal_ = "数据文件 \"" + path_ + "\" 没有读取成功，为免覆盖其中的数据项，现在不能保存。请在它能被读取后重新启动 Pennora。";
    return {LoadStatus::NotRead,
            AsSentence(error) +
                "文件可能正被其他程序（同步、备份或杀毒软件）占用，或者它所在的磁盘或网络位置暂时无法访问。它保持原样；在它被读取之前，Pennora 不会保存数据项。",
            true};
}

DataFileKeeper::LoadResult DataFileKeeper::LeaveSavingUnread(const std::string& error) {
    const std::string saving = SavingFileOf(path_);
    saveRefusal_ = "保存时的临时文件 \"" + saving +
                   "\" 没有读取成功，为免覆盖其中可能保存着的数据项，现在不能保存。请在它能被读取后重新启动 Pennora。";
    return {LoadStatus::NotRead,
            "保存时的临时文件 \"" + saving + "\" 可能保存着上次保存的数据项。" + AsSentence(error) +
                "文件可能正被其他程序（同步、备份或杀毒软件）占用，或者它所在的磁盘或网络位置暂时无法访问。"
                "它和数据文件都保持原样；在它被读取之前，Pennora 不会保存数据项。",
            true};
}

// A replace that is not atomic (FAT32, exFAT) and was cut short can leave the
// complete new file under its temporary name only, or beside a data file it
// had begun to overwrite. If that file decodes, it is the newest whole copy.
std::optional<DataFileKeeper::LoadResult> DataFileKeeper::RecoverCutShortSave(bool dataFileExists,
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
    store_.TakeStoredEntries(std::move(decoded.entries), /*tellView=*/false);
    return LoadResult{LoadStatus::Recovered, message};
}

// Keeps a file that could not be read out of the way of the next save.
std::string DataFileKeeper::SetAsideUnreadableFile(const std::string& reason) {
    std::string movedTo;
    FileError moveError = files_.MoveAside(path_, movedTo);
    if (moveError.empty())
        return AsSentence(reason) + "它已改名为 \"" + movedTo + "\" 保留下来。";
    unreadableFileInPlace_ = true;
    return AsSentence(reason) + AsSentence(moveError) + "在它被移走之前，保存不会覆盖它。";
}

void DataFileKeeper::MakeRoomForSave() {
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

void DataFileKeeper::Save(IfChangedElsewhere ifChanged) {
    store_.Post();
    MakeRoomForSave();
    const std::string bytes = EncodeDataFile(store_.StoredEntries());
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
    if (store_.ReplacedWhole()) KeepDataFileBeforeWholeReplace(bytes);
    // The data file is written first; the file it replaces is then moved
    // into the versions' folder, so keeping it never costs the save its space.
    std::string keepAs;
    FileError notKept = backups_ ? backups_->PrepareKeep(bytes, keepAs) : FileError();
    const FileError error =
        keepAs.empty() ? files_.SaveWholeFile(path_, bytes) : files_.SaveWholeFileKeepingOld(path_, bytes, keepAs, notKept);
    if (!error.empty()) throw Error(error);
    RecordDataFileSeen(&bytes);
    store_.ForgetReplacedWhole();
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

void DataFileKeeper::RecordDataFileSeen(const std::string* bytes) {
    dataFileSeen_ = bytes ? DiskStamp{true, bytes->size(), HashOf(*bytes)} : DiskStamp{};
}

// The bytes of the data file when they are not what this run last loaded or
// saved, compared by content: a file written again with the same bytes loses
// nothing when replaced. A file deleted meanwhile is no change that needs a
// question either: there is nothing left to overwrite, and the save puts the
// entries the user sees back in its place. A file that cannot be looked at
// or read cannot be told unchanged: the save stops.
std::optional<std::string> DataFileKeeper::DataFileChangedElsewhere() {
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
void DataFileKeeper::KeepFileChangedElsewhere(const std::string& bytes) {
    const FileError error = backups_ ? backups_->KeepBytesAsVersion(bytes) : FileError("没有保留较早版本的文件夹。");
    if (!error.empty())
        throw Error(AsSentence(error) + "被其他程序改动过的数据文件 \"" + path_ +
                    "\" 没能作为较早的版本保留下来，为免丢失它，这次没有保存。");
}

// The rows were replaced by an earlier version: the data file holds the only
// copy of the entries before, so a copy of it becomes the newest version
// before anything is written (the save then finds it kept already). Without
// that copy nothing is replaced, as the question before the load promised.
void DataFileKeeper::KeepDataFileBeforeWholeReplace(const std::string& newBytes) {
    const char* stop = "为免丢失载入较早的版本之前的数据项，这次没有保存；载入的数据项仍在编辑器中，尚未保存。";
    const FileQuery data = files_.QueryFile(path_);
    if (data.state == FileState::Unknown) throw Error(AsSentence(data.error) + stop);
    if (data.state == FileState::Absent) return;
    std::string current;
    if (FileError error = files_.ReadWholeFile(path_, current); !error.empty()) throw Error(AsSentence(error) + stop);
    if (current == newBytes) return;
    const FileError error = backups_ ? backups_->KeepBytesAsVersion(current) : FileError("没有保留较早版本的文件夹。");
    if (!error.empty()) {
        const std::string folder = backups_ ? backups_->Folder() : std::string(kBackupFolderName);
        throw Error("数据文件 \"" + path_ + "\" 没能作为较早的版本保留在文件夹 \"" + folder + "\" 中：" +
                    AsSentence(error) + stop + "请让这个文件夹可以写入，或者先另存一份数据文件。");
    }
}

void DataFileKeeper::KeepEarlierVersions(DataFileBackups& backups, std::function<void(const std::string&)> tell) {
    backups_ = &backups;
    tellAfterSave_ = std::move(tell);
}

// The mark goes first: a session killed between the two writes then leaves
// a mark alone, which only makes a later restore keep the data file first,
// never a loaded version's rows without it, whose first save would overwrite
// the data file with no copy. A mark that cannot be written does not keep the
// changes from being written (a forced end that ignores the answer still has
// them); its error is reported after. A mark of an earlier session that
// cannot be removed only makes the next restore more careful, so that is no
// error; it is removed only after the new rows are written.
FileError DataFileKeeper::SaveUnsavedChanges() {
    try {
        store_.Post();
        FileError markError;
        if (store_.ReplacedWhole())
            markError = files_.SaveWholeFile(UnsavedVersionMarkOf(path_), kUnsavedVersionMarkText);
        if (FileError error = files_.SaveWholeFile(UnsavedFileOf(path_), EncodeDataFile(store_.StoredEntries()));
            !error.empty())
            return error;
        // Ordinary changes drop an earlier mark only once they stand in the
        // file: rows of an earlier session left there keep theirs.
        if (!store_.ReplacedWhole()) RemoveUnsavedVersionMark();
        return markError;
    } catch (const std::exception& error) {
        return error.what();
    }
}

void DataFileKeeper::RemoveUnsavedVersionMark() {
    const std::string mark = UnsavedVersionMarkOf(path_);
    if (files_.QueryFile(mark).state == FileState::Present) files_.RemoveFile(mark);
}

FileQuery DataFileKeeper::UnsavedChanges() {
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
void DataFileKeeper::SetAsideOlderUnsavedChanges() {
    if (!backups_) return;
    backups_->KeepFileAsVersion(UnsavedFileOf(path_));
    if (files_.QueryFile(UnsavedFileOf(path_)).state == FileState::Absent) RemoveUnsavedVersionMark();
}

bool DataFileKeeper::RestoreUnsavedChanges(std::string& error) {
    const std::string unsaved = UnsavedFileOf(path_);
    std::string bytes;
    error = files_.ReadWholeFile(unsaved, bytes);
    if (!error.empty()) return false;
    DecodedDataFile decoded = DecodeDataFile(bytes);
    if (!decoded.ok()) {
        error = "文件 \"" + unsaved + "\" 无法读取：" + decoded.error;
        return false;
    }
    // Whether the mark is there is asked before anything changes; a mark
    // that cannot be looked at counts as there: a save it refuses can be
    // made once the versions' folder takes the data file, a data file
    // overwritten without its copy is lost.
    const bool replacedWhole = files_.QueryFile(UnsavedVersionMarkOf(path_)).state != FileState::Absent;
    store_.TakeStoredEntries(std::move(decoded.entries), /*tellView=*/true);
    if (replacedWhole) store_.MarkReplacedWhole();
    return true;
}

FileError DataFileKeeper::DiscardUnsavedChanges() {
    const std::string unsaved = UnsavedFileOf(path_);
    const FileQuery query = files_.QueryFile(unsaved);
    if (query.state == FileState::Unknown) return query.error;
    if (query.state == FileState::Present)
        if (FileError error = files_.RemoveFile(unsaved); !error.empty()) return error;
    RemoveUnsavedVersionMark();
    return {};
}

}  // namespace pennora
