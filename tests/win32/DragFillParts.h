#pragma once
// What a drag-fill window under test stands on: a store loaded from a fake
// data file, fake settings and input, and the delivery its drops go through.
#include <string>

#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeProfile.h"
#include "fakes/FakeWindowsInput.h"
#include "fill/DragFillWindow.h"
#include "fill/TextDelivery.h"
#include "ui/IniFile.h"

namespace pennora {

inline const std::string kDataFile = "C:\\Pennora\\Pennora.Dat";

struct DragFillParts {
    fakes::FakeProfile profile;
    IniFile ini{profile, "C:\\Pennora\\Pennora.Ini"};
    fakes::FakeFileSystem files;
    EntryStore store;
    DataFileKeeper dataFile{store, files, kDataFile};
    fakes::FakeWindowsInput input;
    bool tabToNextField = false;  // the Options page's choice, read at each drop
    TextDelivery delivery{input, &tabToNextField};

    // A window's context on these parts.
    DragFillWindow::Context WindowContext() { return {ini, store, delivery, input, "C:\\Pennora\\"}; }
};

}  // namespace pennora
