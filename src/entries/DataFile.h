#pragma once
// The data file "Pennora.Dat": every entry with its four fields, nulls kept
// apart from empty texts and false, in store order.
//
// Layout (integers little-endian):
//   magic "PNRD\r\n\x1A\n" (the CR LF and ^Z catch text-mode copies and truncation),
//   u32 version, u32 entry count, u32 payload length,
//   payload: per entry  title, content  as  u8 0 (null) | u8 1, u16 length, bytes
//                       inDrag, inHotKey  as  u8 0 (null) | 1 (false) | 2 (true),
//   u32 CRC-32 of everything before it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "entries/Entry.h"

namespace pennora {

inline constexpr std::uint32_t kDataFileVersion = 1;

// The file's bytes for `entries`. Throws pennora::Error when a text is longer
// than its field width, so no file is written that the reader would refuse.
std::string EncodeDataFile(const std::vector<Entry>& entries);

// Checks the whole input before returning anything: on success `error` is
// empty and `entries` holds the file's entries in order; otherwise `entries`
// is empty and `error` says in a sentence why the bytes are not a data file.
// The reader allocates in step with the entries it has read, never by the
// count the header claims, so a crafted count cannot make it ask for more
// memory than the bytes can hold; a file too large for memory is refused
// like any other.
struct DecodedDataFile {
    std::vector<Entry> entries;
    std::string error;
    // Set when the file is whole but written by a newer version of the
    // program: its version number. Such a file is not damaged and must not
    // be replaced by this version.
    std::uint32_t newerVersion = 0;
    bool ok() const { return error.empty(); }
};
DecodedDataFile DecodeDataFile(std::string_view bytes);

std::uint32_t Crc32(std::string_view bytes);

}  // namespace pennora
