#pragma once
// The entries to and from a text file of the user's choice (EntryCsv).
#include <cstddef>
#include <string>

#include "entries/EntryStore.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"

namespace pennora {

// Commits the pending change, as a save does, then writes every entry in
// store order to `path` through a temporary file and a replace, so a cut
// short export never leaves a half file under that name. Throws
// pennora::Error naming the file.
void ExportEntries(EntryStore& store, FileSystem& files, TextCodec& codec, const std::string& path);

// Reads `path` whole and changes nothing unless every record is good; then
// its entries go after the last entry as stored changes (to be saved as any
// change is). Returns how many. Throws pennora::Error naming the file, the
// first bad line and why.
std::size_t ImportEntries(EntryStore& store, FileSystem& files, TextCodec& codec, const std::string& path);

}  // namespace pennora
