#pragma once
// The dialog of earlier versions' rules over fakes, for the unit and the
// Win32 tests alike: the data file at a path of the fake file system, its
// kept versions in the fake folder beside it, message boxes answered from
// a list, and the picker over them all.
#include <string>
#include <utility>

#include "entries/DataFileBackups.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "entries/VersionPicker.h"
#include "fakes/CallLog.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeFolderFiles.h"
#include "fakes/FakeWindowsInput.h"
#include "ui/ModeFlags.h"

namespace pennora::fakes {

inline const std::string kPickerDataFile = "C:\\Pennora\\Pennora.Dat";

struct PickerOverFakes {
    explicit PickerOverFakes(std::string dataFilePath = kPickerDataFile) : dataFilePath(std::move(dataFilePath)) {}

    const std::string dataFilePath;
    FakeFileSystem files;
    FakeFolderFiles folders{files};
    FakeClock clock;
    FakeWindowsInput boxes;
    DataFileBackups backups{files, folders, clock, dataFilePath};
    EntryStore store;
    DataFileKeeper dataFile{store, files, dataFilePath};
    ModeFlags flags;
    VersionPicker picker{store, flags, boxes, files, backups};
};

// Whether a recorded message box call says `part` (the log shows GBK bytes
// escaped).
inline bool Says(const std::string& call, const std::string& part) {
    const std::string quoted = Quoted(part);
    return call.find(quoted.substr(1, quoted.size() - 2)) != std::string::npos;
}

}  // namespace pennora::fakes
