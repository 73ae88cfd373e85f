#pragma once
// Which files an export must never replace: the program's own. The save
// dialog offers every file of a folder, and an export written over the data
// file (or the files that keep it safe) leaves the next start nothing it can
// read.
#include <string>

namespace pennora {

struct OwnFiles {
    std::string dataFile;      // Pennora.Dat; its side files and Backup\ go by it
    std::string settingsFile;  // Pennora.Ini
    std::string executable;    // the running exe, under whatever name it has
};

// A path to the one name the system knows its file by: full (a relative
// path resolved), long (8.3 names expanded) as far as the file or its folders
// exist. Two names of one file give equal strings but for letter case.
using FileIdentity = std::string (*)(const std::string& path);

// Empty when an export may write `target`; otherwise a sentence naming the
// file and why it is refused. Compares as the system does: identities, with
// letter case ignored.
std::string ExportTargetRefusal(const std::string& target, const OwnFiles& own, FileIdentity identify);

// `a` and `b` as file names on the system: GBK text, letter case ignored
// (ASCII, full-width Latin, Greek and Cyrillic letters); a two-byte character
// is never taken apart, so its second byte is no letter.
bool SameFileName(const std::string& a, const std::string& b);

}  // namespace pennora
