#pragma once
// The data file "Pennora.Dat" behind the entry store, over its whole life:
// the load at start-up (with the recovery of a save cut short and an
// unreadable file set aside), each save (keeping the file it replaces as an
// earlier version, and asking before it replaces a file another program
// changed), and the unsaved-changes file an ending session leaves beside it.
// The rows themselves, with their cursor and pending change, stay in the
// EntryStore it fills and reads.
//
// Use: DataFileKeeper dataFile(store, files, appPath + "Pennora.Dat");
// KeepEarlierVersions(...) once, Load() at start-up, Save() from the save
// button and the close prompt (it throws pennora::Error naming the file and
// the system's reason; clearing DataModified stays with the caller).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "entries/DataFileBackups.h"
#include "entries/EntryStore.h"
#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace pennora {

class DataFileKeeper {
public:
    DataFileKeeper(EntryStore& store, FileSystem& files, std::string dataFilePath);
    DataFileKeeper(const DataFileKeeper&) = delete;
    DataFileKeeper& operator=(const DataFileKeeper&) = delete;

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
    // Empties the store, then puts the file's entries in it.
    LoadResult Load();
    // What a save does with a data file that another program changed since
    // this run loaded or last saved it (another copy of the folder, a sync
    // client, a restore by hand).
    enum class IfChangedElsewhere {
        Ask,      // throws DataFileChangedError, writing nothing
        Replace,  // keeps that file as the newest earlier version, then saves
    };
    // Commits the store's pending change, then writes all entries; on failure
    // throws pennora::Error and leaves the entries and the old file as they
    // were. After a load that left the file NotRead it throws without
    // writing. A data file that cannot be looked at or read now throws too:
    // it cannot be told unchanged. After the rows were replaced whole by an
    // earlier version, the data file is first copied among the versions and
    // a save that cannot keep it throws without writing.
    void Save(IfChangedElsewhere ifChanged = IfChangedElsewhere::Ask);

    // From now on each save first keeps the data file it replaces as an
    // earlier version. A version that cannot be kept never stops the save;
    // `tell` hears of it once per run, after the save. `tell` also hears of
    // a save that could not remove the unsaved-changes file.
    void KeepEarlierVersions(DataFileBackups& backups, std::function<void(const std::string&)> tell);

    // The session is ending with changes not saved: commits the pending change
    // and writes all entries to UnsavedFileOf(the data file), leaving the data
    // file alone. Rows replaced whole by an earlier version get a mark beside
    // it (UnsavedVersionMarkOf), so the save after their restore keeps the
    // data file first, as the save of the loaded version would have; a mark
    // that cannot be written is an error too. A successful Save or
    // DiscardUnsavedChanges removes both again.
    FileError SaveUnsavedChanges();
    // Whether the last session left entries that were never saved: Present
    // when it did, Unknown (with the reason) when the file's folder cannot
    // be looked into. A file older than the data file counts as absent: it
    // is moved among the kept versions (see KeepEarlierVersions), or stays
    // where it is when it cannot be.
    FileQuery UnsavedChanges();
    // Puts the entries of the unsaved-changes file in the store (they are
    // changes now, still to be saved), replaced whole when the mark is beside
    // them or cannot be looked at; false with `error` set when the file
    // cannot be read, and then nothing changes.
    bool RestoreUnsavedChanges(std::string& error);
    // Removes the unsaved-changes file, then its mark; why the file could
    // not be removed, empty otherwise. A file that stays keeps its mark.
    FileError DiscardUnsavedChanges();

    const std::string& DataFilePath() const { return path_; }
    // Why saves are refused (a data file not read at start); empty when they are not.
    const std::string& SaveRefusal() const { return saveRefusal_; }

private:
    LoadResult LeaveUnread(const std::string& error);
    LoadResult LeaveSavingUnread(const std::string& error);
    std::string SetAsideUnreadableFile(const std::string& reason);
    std::optional<LoadResult> RecoverCutShortSave(bool dataFileExists, const std::string& dataFileProblem);
    void MakeRoomForSave();
    void RecordDataFileSeen(const std::string* bytes);
    std::optional<std::string> DataFileChangedElsewhere();
    void KeepFileChangedElsewhere(const std::string& bytes);
    void KeepDataFileBeforeWholeReplace(const std::string& newBytes);
    void SetAsideOlderUnsavedChanges();
    void RemoveUnsavedVersionMark();

    EntryStore& store_;
    FileSystem& files_;
    std::string path_;
    bool unreadableFileInPlace_ = false;
    std::string saveRefusal_;  // set while the data file stays unread: why saves are refused
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
// Beside it when those changes replaced the entries whole (an earlier
// version was loaded): the restore marks them so again.
inline std::string UnsavedVersionMarkOf(const std::string& dataFilePath) {
    return UnsavedFileOf(dataFilePath) + ".version";
}

}  // namespace pennora
