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

}  // namespace pennora
