#pragma once
// A start that found the data file unreadable offers the newest earlier
// version that reads.
#include <string>

#include "entries/DataFileBackups.h"
#include "entries/EntryStore.h"
#include "platform/WindowsInput.h"

namespace pennora {

inline constexpr unsigned kVersionOfferFlags = 0x34;      // MB_YESNO | MB_ICONWARNING
inline constexpr unsigned kUnreadableReportFlags = 0x10;  // MB_ICONERROR

// Shows `unreadableMessage` (what the load said about the file, in whole
// sentences) and, when a kept version reads, asks whether to load it. Yes puts its entries in the
// (empty) store as changes still to be saved; No, or no such version, leaves
// the store empty. Returns whether a version was loaded.
bool OfferNewestVersion(EntryStore& store, DataFileBackups& backups, MessageBoxes& boxes, Hwnd owner,
                        const std::string& caption, const std::string& unreadableMessage);

}  // namespace pennora
