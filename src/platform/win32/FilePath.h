#pragma once
// Paths for the wide file functions. A tool copied deep into a folder tree
// has its own files just inside the classic path limit and the files beside
// them (temporary, side and script files) past it, where every ANSI file
// function fails. The wide functions take such a path with the "\\?\" prefix.
#include <string>

namespace pennora {

// `path` in UTF-16, converted from the ANSI code page as the ANSI functions
// convert it; a path too long for the classic limit is made absolute and
// given the "\\?\" (or "\\?\UNC\") prefix.
std::wstring FilePathW(const std::string& path);

// The name the system knows the file at `path` by: the full path (relative
// parts resolved, trailing dots and spaces dropped as the file functions drop
// them) with each short 8.3 name of a file or folder that exists replaced by
// its long name. A file that does not exist keeps its own name after the
// long name of the deepest folder that does. Two paths to one file give the
// same text but for letter case. No "\\?\" prefix.
std::string FileIdentityOf(const std::string& path);

}  // namespace pennora
