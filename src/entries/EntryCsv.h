#pragma once
// Entries as a text file that spreadsheet programs open and people compare:
// UTF-8 with a byte-order mark, RFC 4180 fields, CR LF after every record,
// and the header line "Title,Content,InDrag,InHotKey". A null text is an
// empty unquoted field, an empty text is ""; a null flag is an empty field,
// true is 1, false is 0. Line breaks of a content stay inside its quoted
// field, byte for byte.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "entries/Entry.h"
#include "platform/TextCodec.h"

namespace pennora {

inline constexpr std::string_view kEntryCsvHeader = "Title,Content,InDrag,InHotKey";

// The file's bytes for `entries`, in their order. Throws pennora::Error
// naming the entry when one of its texts is not text of the ANSI code page.
std::string EncodeEntryCsv(const std::vector<Entry>& entries, TextCodec& codec);

// Reads the whole input before returning anything: on success `error` is
// empty and `entries` holds every record in order; otherwise `entries` is
// empty, `line` is the line of the first bad record (1 is the header) and
// `error` is a sentence that begins with that line and says what is wrong.
// A byte-order mark is taken if there is one; LF alone ends a record as CR
// LF does, and lines with nothing on them are passed over.
struct DecodedEntryCsv {
    std::vector<Entry> entries;
    std::string error;
    std::size_t line = 0;
    bool ok() const { return error.empty(); }
};
DecodedEntryCsv DecodeEntryCsv(std::string_view bytes, TextCodec& codec);

}  // namespace pennora
